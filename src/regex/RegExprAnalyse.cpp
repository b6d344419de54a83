// Walks over a compiled program: the start set (which decides where a
// search tries to match at all) and, for each counting loop, the set of
// characters that can follow it (which only lets the matcher skip counts
// that cannot succeed).
#include "regex/RegExpr.h"
#include "regex/RegExprProgram.h"

namespace {

void AddFirstChar(const TRegexProgram& prog, int node, TCharSet& set) {
  const uint8_t* p = &prog.Code[node];
  switch (p[0]) {
    case opExact:
      set.Add(p[NodeHeaderSize + 4]);
      break;
    case opExactCi:
      set.Add(p[NodeHeaderSize + 4]);
      set.Add(prog.Invert[p[NodeHeaderSize + 4]]);
      break;
    case opSet: {
      TCharSet members;
      for (int i = 0; i < 8; ++i) members.Bits[i] = static_cast<uint32_t>(ReadInt32(p + NodeHeaderSize + 4 * i));
      set.AddSet(members);
      break;
    }
    default:  // '.', a back-reference
      set.Fill();
      break;
  }
}

bool ConsumesChar(uint8_t op) {
  return op == opExact || op == opExactCi || op == opSet || op == opAny || op == opAnyMl ||
         op == opBackref || op == opBackrefCi;
}

class TStartSetWalk {
 public:
  explicit TStartSetWalk(const TRegexProgram& prog) : Prog(prog), Visited(prog.Code.size(), 0) {}
  void Walk(int node, TCharSet& set);

 private:
  const TRegexProgram& Prog;
  std::vector<uint8_t> Visited;
};

void TStartSetWalk::Walk(int node, TCharSet& set) {
  const std::vector<uint8_t>& code = Prog.Code;
  while (node != 0 && !Visited[node]) {
    Visited[node] = 1;
    uint8_t op = code[node];
    if (op == opEnd) return;
    if (ConsumesChar(op)) {
      AddFirstChar(Prog, node, set);
      return;
    }
    if (op == opBranch) {
      for (int b = node; b != 0; b = NextNode(code, b)) Walk(b + NodeHeaderSize, set);
      return;
    }
    if (op == opRepeat) {
      AddFirstChar(Prog, node + RepeatOperandOffset, set);
      if (ReadRepeat(&code[node]).Min > 0) return;
    } else if (op == opLoopEntry) {
      Walk(node + LoopBodyOffset, set);
      if (ReadLoop(&code[node]).Min > 0) return;
    }
    node = NextNode(code, node);
  }
}

// The follow walk must over-approximate: whatever can come first after a
// loop is in the set, or the walk gives up and the loop tries every count.
class TFollowWalk {
 public:
  explicit TFollowWalk(const TRegexProgram& prog) : Prog(prog), Visited(prog.Code.size(), 0) {}
  bool Walk(int node, TCharSet& set);
  void Reset() {
    for (int node : Touched) Visited[node] = 0;
    Touched.clear();
    Budget = 64;
  }

 private:
  const TRegexProgram& Prog;
  std::vector<uint8_t> Visited;
  std::vector<int> Touched;
  int Budget = 64;
};

bool TFollowWalk::Walk(int node, TCharSet& set) {
  const std::vector<uint8_t>& code = Prog.Code;
  while (node != 0) {
    if (Visited[node]) return true;
    if (--Budget < 0) return false;
    Visited[node] = 1;
    Touched.push_back(node);
    uint8_t op = code[node];
    if (op == opEnd || op == opBackref || op == opBackrefCi) return false;
    if (ConsumesChar(op)) {
      AddFirstChar(Prog, node, set);
      return true;
    }
    if (op == opBranch) {
      for (int b = node; b != 0; b = NextNode(code, b))
        if (!Walk(b + NodeHeaderSize, set)) return false;
      return true;
    }
    if (op == opRepeat) {
      int operand = node + RepeatOperandOffset;
      if (code[operand] == opBackref || code[operand] == opBackrefCi) return false;
      AddFirstChar(Prog, operand, set);
      if (ReadRepeat(&code[node]).Min > 0) return true;
    } else if (op == opLoopEntry) {
      // The body, then (conservatively, whatever the minimum) the loop node.
      if (!Walk(node + LoopBodyOffset, set)) return false;
    } else if (op == opLoop) {
      // Either another turn of the loop or what follows it.
      if (!Walk(node + ReadInt32(&code[node + NodeHeaderSize]) + LoopBodyOffset, set)) return false;
    }
    node = NextNode(code, node);
  }
  return false;
}

// The first node repeats a single-character atom, unbounded and greedy,
// and what follows can never start with a character of that atom.
bool StartsWithPossessiveRun(const TRegexProgram& prog) {
  const std::vector<uint8_t>& code = prog.Code;
  if (code[1] != opRepeat) return false;
  TRepeatInfo rep = ReadRepeat(&code[1]);
  uint8_t op = code[1 + RepeatOperandOffset];
  if (!rep.Greedy || rep.Min < 1 || rep.Max != RegexInfinite || rep.Follow < 0) return false;
  if (op != opSet && op != opExact && op != opExactCi) return false;
  return !prog.FollowSets[static_cast<size_t>(rep.Follow)].Intersects(prog.StartSet);
}

}  // namespace

void AnalyseRegex(TRegexProgram& prog) {
  TStartSetWalk(prog).Walk(1, prog.StartSet);
  if (prog.StartSet.Count() == 1) prog.StartChar = prog.StartSet.FirstMember();
  std::vector<uint8_t>& code = prog.Code;
  TFollowWalk walk(prog);
  for (size_t node = 1; node < code.size();) {
    uint8_t op = code[node];
    if (op == opRepeat) {
      TCharSet follow;
      walk.Reset();
      if (walk.Walk(NextNode(code, static_cast<int>(node)), follow) && !follow.Full()) {
        WriteInt32(&code[node + 14], static_cast<int32_t>(prog.FollowSets.size()));
        prog.FollowSets.push_back(follow);
        prog.FollowChars.push_back(follow.Count() == 1 ? follow.FirstMember() : -1);
      }
    }
    node += NodeSize(code, static_cast<int>(node));
  }
  prog.SkipFailedRuns = StartsWithPossessiveRun(prog);
}
