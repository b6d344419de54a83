// Syntax tree -> node program. Covered by RegExpr_test, RegExprReplace_test
// and RegExprReference_test.
#include <cstring>

#include "regex/RegExprTree.h"

namespace {

const size_t RegexMaxProgramSize = 64u << 20;

class TRegexEmitter {
 public:
  TRegexEmitter(const std::vector<TAstNode>& nodes, TRegexProgram& prog, int exprLength)
      : Nodes(nodes), Prog(prog), Code(prog.Code), ExprLength(exprLength) {}
  void EmitProgram(int root);

 private:
  struct TSpan {
    int Entry, Exit;
  };
  TSpan Emit(int n);
  TSpan EmitSeq(const std::vector<int>& kids);
  TSpan EmitAlt(const std::vector<int>& kids);
  TSpan EmitGroup(const TAstNode& node);
  TSpan EmitRepeat(const TAstNode& node);
  TSpan EmitOptional(int kid);
  TSpan EmitLoop(const TAstNode& node);
  TSpan EmitLeaf(const TAstNode& node);
  int Node(uint8_t op);
  void Link(int from, int to) { WriteInt32(&Code[from + 1], to - from); }
  void PutByte(uint8_t b);
  void PutInt(int32_t v);

  const std::vector<TAstNode>& Nodes;
  TRegexProgram& Prog;
  std::vector<uint8_t>& Code;
  int ExprLength;
  int Depth = 0;
};

void TRegexEmitter::PutByte(uint8_t b) {
  if (Code.size() >= RegexMaxProgramSize) RaiseRegexError(rxTooBig, ExprLength);
  Code.push_back(b);
}

void TRegexEmitter::PutInt(int32_t v) {
  uint8_t bytes[4];
  WriteInt32(bytes, v);
  for (uint8_t b : bytes) PutByte(b);
}

int TRegexEmitter::Node(uint8_t op) {
  int at = static_cast<int>(Code.size());
  PutByte(op);
  PutInt(0);
  return at;
}

void TRegexEmitter::EmitProgram(int root) {
  Code.assign(1, RegexMagic);
  TSpan span = Emit(root);
  Link(span.Exit, Node(opEnd));
}

TRegexEmitter::TSpan TRegexEmitter::Emit(int n) {
  const TAstNode& node = Nodes[n];
  switch (node.Kind) {
    case akSeq: return EmitSeq(node.Kids);
    case akAlt: return EmitAlt(node.Kids);
    case akGroup: return EmitGroup(node);
    case akRepeat: return EmitRepeat(node);
    case akEmpty: {
      int at = Node(opNothing);
      return {at, at};
    }
    default: return EmitLeaf(node);
  }
}

TRegexEmitter::TSpan TRegexEmitter::EmitSeq(const std::vector<int>& kids) {
  if (kids.empty()) {
    int at = Node(opNothing);
    return {at, at};
  }
  TSpan whole = Emit(kids[0]);
  for (size_t i = 1; i < kids.size(); ++i) {
    TSpan next = Emit(kids[i]);
    Link(whole.Exit, next.Entry);
    whole.Exit = next.Exit;
  }
  return whole;
}

TRegexEmitter::TSpan TRegexEmitter::EmitAlt(const std::vector<int>& kids) {
  std::vector<int> branches, exits;
  for (int kid : kids) {
    branches.push_back(Node(opBranch));
    exits.push_back(Emit(kid).Exit);
  }
  int tail = Node(opNothing);
  for (size_t i = 0; i < kids.size(); ++i) {
    if (i + 1 < kids.size()) Link(branches[i], branches[i + 1]);
    Link(exits[i], tail);
  }
  return {branches[0], tail};
}

TRegexEmitter::TSpan TRegexEmitter::EmitGroup(const TAstNode& node) {
  int open = Node(opOpen);
  PutByte(static_cast<uint8_t>(node.N));
  TSpan body = Emit(node.Kids[0]);
  int close = Node(opClose);
  PutByte(static_cast<uint8_t>(node.N));
  Link(open, body.Entry);
  Link(body.Exit, close);
  return {open, close};
}

TRegexEmitter::TSpan TRegexEmitter::EmitRepeat(const TAstNode& node) {
  const TAstNode& kid = Nodes[node.Kids[0]];
  if (kid.Simple) {
    int rep = Node(opRepeat);
    PutInt(node.Min);
    PutInt(node.Max);
    PutByte(node.Greedy);
    PutInt(-1);
    Emit(node.Kids[0]);
    return {rep, rep};
  }
  if (node.Greedy && !node.Braces && node.Max == 1) return EmitOptional(node.Kids[0]);
  return EmitLoop(node);
}

// Greedy "?" on a complex atom: the atom or nothing, in that order.
TRegexEmitter::TSpan TRegexEmitter::EmitOptional(int kid) {
  int first = Node(opBranch);
  TSpan body = Emit(kid);
  int second = Node(opBranch);
  int nothing = Node(opNothing);
  int tail = Node(opNothing);
  Link(first, second);
  Link(body.Exit, tail);
  Link(nothing, tail);
  return {first, tail};
}

TRegexEmitter::TSpan TRegexEmitter::EmitLoop(const TAstNode& node) {
  bool counted = node.Braces || !node.Greedy;
  if (counted) ++Depth;
  int entry = Node(opLoopEntry);
  PutInt(node.Min);
  PutInt(node.Max);
  PutByte(node.Greedy);
  PutByte(counted);
  PutByte(static_cast<uint8_t>(Prog.LoopSlots++));
  PutByte(static_cast<uint8_t>(counted ? Depth : 0));
  TSpan body = Emit(node.Kids[0]);
  int loop = Node(opLoop);
  PutInt(entry - loop);
  Link(body.Exit, loop);
  Link(entry, loop);
  if (counted) --Depth;
  return {entry, loop};
}

TRegexEmitter::TSpan TRegexEmitter::EmitLeaf(const TAstNode& node) {
  int at = Node(node.Op ? node.Op : static_cast<uint8_t>(opSet));
  switch (node.Kind) {
    case akLit:
      PutInt(static_cast<int32_t>(node.Text.size()));
      for (char c : node.Text) PutByte(static_cast<uint8_t>(c));
      PutByte(0);
      break;
    case akSet:
      for (uint32_t w : node.Set.Bits) PutInt(static_cast<int32_t>(w));
      break;
    case akBackref:
      PutByte(static_cast<uint8_t>(node.N));
      break;
    default:
      break;
  }
  return {at, at};
}

// The top-level pieces of a single-branch expression must all match in
// order, which is what makes a first or required literal safe to use.
void SetSearchAids(const std::vector<TAstNode>& nodes, int root, bool hasStar, TRegexProgram& prog) {
  if (nodes[root].Kind == akAlt) return;
  std::vector<int> pieces;
  if (nodes[root].Kind == akSeq)
    pieces = nodes[root].Kids;
  else
    pieces.push_back(root);
  if (pieces.empty()) return;
  const TAstNode& first = nodes[pieces[0]];
  if (first.Kind == akLit && first.Op == opExact) prog.FirstLiteral.Set(first.Text);
  if (first.Kind == akLeaf && (first.Op == opBol || first.Op == opBoi)) prog.Anchored = true;
  if (!hasStar) return;
  std::string longest;
  for (int piece : pieces) {
    const TAstNode& node = nodes[piece];
    if (node.Kind == akLit && node.Op == opExact && node.Text.size() > longest.size()) longest = node.Text;
  }
  prog.RequiredLiteral.Set(longest);
}

}  // namespace

void EmitRegexProgram(const TRegexTree& tree, int exprLength, TRegexProgram& prog) {
  TRegexEmitter(tree.Nodes, prog, exprLength).EmitProgram(tree.Root);
  SetSearchAids(tree.Nodes, tree.Root, tree.HasStar, prog);
}
