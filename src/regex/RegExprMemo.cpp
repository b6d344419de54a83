// Which nodes the matcher remembers, and the table it keeps them in.
// Tested through RegExprReference_test (every pair also matched remembering
// from the first step), the RegexSafety cases in RegExprReplace_test and the
// regex fuzz target.
#include "regex/RegExprMemo.h"

#include <algorithm>

namespace {

// Where the matcher can go from a node: the nodes Step and DecideLoop can
// continue at, and where a choice resumes.
int Successors(const std::vector<uint8_t>& code, int node, int out[2]) {
  switch (code[static_cast<size_t>(node)]) {
    case opEnd:
      return 0;
    case opBranch:
      out[0] = node + NodeHeaderSize;
      out[1] = NextNode(code, node);
      return out[1] ? 2 : 1;
    case opLoopEntry:
      out[0] = node + LoopBodyOffset;
      out[1] = NextNode(code, NextNode(code, node));
      return 2;
    case opLoop:
      out[0] = node + ReadInt32(&code[static_cast<size_t>(node) + NodeHeaderSize]) + LoopBodyOffset;
      out[1] = NextNode(code, node);
      return 2;
    default:
      out[0] = NextNode(code, node);
      return 1;
  }
}

bool IsBackref(uint8_t op) { return op == opBackref || op == opBackrefCi; }

bool Consumes(const std::vector<uint8_t>& code, int node) {
  switch (code[static_cast<size_t>(node)]) {
    case opExact: case opExactCi: case opAny: case opAnyMl: case opSet: return true;
    case opRepeat: return ReadRepeat(&code[static_cast<size_t>(node)]).Min > 0;
    default: return false;
  }
}

}  // namespace

void TRegexMemo::Study(const TRegexProgram& prog) {
  FStudied = true;
  FUsable = false;
  FNodes.clear();
  FKeys.clear();
  FLoops.clear();
  FRepeatCost = 0;
  const std::vector<uint8_t>& code = prog.Code;
  const int size = static_cast<int>(code.size());
  FNodeId.assign(code.size(), -1);
  std::vector<int> inDegree(code.size(), 0), nodes, work{1};
  std::vector<uint8_t> seen(code.size(), 0), follower(code.size(), 0);
  seen[1] = 1;
  while (!work.empty()) {
    int node = work.back();
    work.pop_back();
    nodes.push_back(node);
    uint8_t op = code[static_cast<size_t>(node)];
    if (IsBackref(op)) return;  // no memory makes back-references linear
    bool repeatChoice = false;
    if (op == opRepeat) {
      TRepeatInfo rep = ReadRepeat(&code[static_cast<size_t>(node)]);
      if (IsBackref(code[static_cast<size_t>(node) + RepeatOperandOffset])) return;
      FRepeatCost = std::max<int64_t>(FRepeatCost, rep.Max == RegexInfinite ? rep.Min : rep.Max);
      repeatChoice = rep.Min < rep.Max;
    }
    int next[2];
    for (int i = 0, n = Successors(code, node, next); i < n; ++i) {
      if (next[i] <= 0 || next[i] >= size) return;  // a damaged program keeps the budget
      ++inDegree[static_cast<size_t>(next[i])];
      if (!seen[static_cast<size_t>(next[i])]) {
        seen[static_cast<size_t>(next[i])] = 1;
        work.push_back(next[i]);
      }
    }
    if (repeatChoice) follower[static_cast<size_t>(next[0])] = 1;
  }
  FReachable = static_cast<int>(nodes.size());
  std::sort(nodes.begin(), nodes.end());
  if (!StudyLoops(code, nodes)) return;
  // Remembered: every choice, every node where paths meet, and where a
  // repeat's counts continue. Between them a path has no choice and no
  // cycle, so each remembered cell costs at most a walk over the program.
  for (int node : nodes) {
    uint8_t op = code[static_cast<size_t>(node)];
    if (op == opEnd) continue;
    int next[2];
    bool repeatChoice = false, unbounded = false;
    if (op == opRepeat) {
      TRepeatInfo rep = ReadRepeat(&code[static_cast<size_t>(node)]);
      repeatChoice = rep.Min < rep.Max;
      unbounded = rep.Max == RegexInfinite;
    }
    if (repeatChoice || Successors(code, node, next) > 1 || inDegree[static_cast<size_t>(node)] > 1 ||
        follower[static_cast<size_t>(node)])
      AddNode(node, unbounded);
  }
  FUsable = true;
}

bool TRegexMemo::StudyLoops(const std::vector<uint8_t>& code, const std::vector<int>& nodes) {
  for (int entry : nodes) {
    if (code[static_cast<size_t>(entry)] != opLoopEntry) continue;
    int loopNode = NextNode(code, entry);
    if (loopNode <= entry || code[static_cast<size_t>(loopNode)] != opLoop) return false;
    TLoopInfo loop = ReadLoop(&code[static_cast<size_t>(entry)]);
    if (loop.Max > 1 && BodyCanBeEmpty(code, entry, loopNode)) return false;
    int64_t states = loop.Max != RegexInfinite ? loop.Max : std::max(loop.Min, 1);
    FLoops.push_back({entry, loopNode, loop.Slot, states});
  }
  return true;
}

// Over-approximates: true when some path from the loop's body reaches its
// loop node without consuming a character.
bool TRegexMemo::BodyCanBeEmpty(const std::vector<uint8_t>& code, int entry, int loopNode) const {
  std::vector<uint8_t> seen(code.size(), 0);
  std::vector<int> work{entry + LoopBodyOffset};
  while (!work.empty()) {
    int node = work.back();
    work.pop_back();
    if (node == loopNode) return true;
    if (seen[static_cast<size_t>(node)] || Consumes(code, node)) continue;
    seen[static_cast<size_t>(node)] = 1;
    int next[2];
    int n = Successors(code, node, next);
    // An inner loop that must turn at least once reaches its continuation
    // only through its body.
    if (code[static_cast<size_t>(node)] == opLoopEntry && ReadLoop(&code[static_cast<size_t>(node)]).Min > 0) n = 1;
    for (int i = 0; i < n; ++i) work.push_back(next[i]);
  }
  return false;
}

// The loops around a node are those whose entry comes before it and whose
// loop node not before it: the emitter lays a loop's body out between them.
void TRegexMemo::AddNode(int node, bool runRow) {
  FNodeId[static_cast<size_t>(node)] = static_cast<int>(FNodes.size());
  TNode n{0, runRow ? 0 : -1, static_cast<int>(FKeys.size()), 0};
  for (const TLoopSpan& loop : FLoops)
    if (loop.Entry < node && node <= loop.LoopNode && loop.States > 1) FKeys.push_back({loop.Slot, loop.States, 0, 0});
  n.EndKey = static_cast<int>(FKeys.size());
  FNodes.push_back(n);
}

bool TRegexMemo::Start(const TRegexProgram& prog, int inputLength) {
  if (!FStudied) Study(prog);
  if (!FUsable) return false;
  FWidth = inputLength + 1;
  const int64_t maxRows = BitCap / FWidth;
  int64_t rows = 0;
  for (TNode& n : FNodes) {
    int64_t states = 1;
    for (int k = n.FirstKey; k < n.EndKey; ++k) {
      TKey& key = FKeys[static_cast<size_t>(k)];
      // Every turn consumes a character, so no count passes the input.
      key.Limit = static_cast<int>(std::min<int64_t>(key.States, FWidth));
      key.Radix = static_cast<int>(states);
      states *= key.Limit;
      if (states > maxRows) return false;
    }
    n.Row = static_cast<int>(rows);
    rows += states;
    if (n.RunRow >= 0) {
      n.RunRow = static_cast<int>(rows);
      rows += states;
    }
    if (rows > maxRows) return false;
  }
  const int64_t cells = rows * FWidth;
  const int64_t perCell = 2 * int64_t(FReachable) + 16 + std::min<int64_t>(FRepeatCost, FWidth);
  FWorkBound = (cells + FWidth) * perCell;
  if (FWorkBound > WorkCap) return false;
  FBits.assign(static_cast<size_t>((cells + 63) / 64), 0);
  return true;
}

void TRegexMemo::MarkFailed(int first, int last) {
  int cell = first;
  for (; cell <= last && (cell & 63) != 0; ++cell) MarkFailed(cell);
  for (; last - cell >= 63; cell += 64) FBits[static_cast<size_t>(cell) >> 6] = ~uint64_t(0);
  for (; cell <= last; ++cell) MarkFailed(cell);
}
