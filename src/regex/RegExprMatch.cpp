#include "regex/RegExprMatch.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "regex/RegExpr.h"

namespace {

// A search remembers failures once it has spent this much, counted in the
// steps of the budget: ordinary searches spend well under one step per
// character (a quarter at most in the benchmark's cases) and never pay for
// a table.
const int64_t RememberAfterBase = 1 << 16;
const int64_t RememberAfterPerChar = 4;

inline int NextOf(const uint8_t* code, int node) {
  int32_t off = ReadInt32(code + node + 1);
  return node + off;
}


inline bool SetHas(const uint8_t* node, uint8_t c) {
  const uint8_t* bits = node + NodeHeaderSize;
  return (bits[c >> 3] >> (c & 7)) & 1;
}

}  // namespace

void TRegexMatcher::Prepare(const TRegexProgram& prog) {
  Prog = &prog;
  LoopCount.assign(static_cast<size_t>(prog.LoopSlots) + 1, 0);
  LoopIterStart.assign(static_cast<size_t>(prog.LoopSlots) + 1, -1);
  Memo.Forget();
  // A new program in the middle of ExecNext's searches: what it failed
  // says nothing about the new one, so it goes on under the plain budget.
  if (Remembering) {
    Remembering = false;
    StepsLeft = StepsBeforeMemo;
    StepsFloor = 0;
  }
}

void TRegexMatcher::SetBudget(int64_t steps, int inputLength) {
  StepsLeft = steps;
  Remembering = false;
  int64_t patience = RememberAfterBase + RememberAfterPerChar * (int64_t(inputLength) + 1);
  StepsFloor = steps > patience ? steps - patience : 0;
}

// The plain search has used its patience, or its whole budget: from here on
// it remembers failures if its program and input allow, with the table's
// bound for a budget.
bool TRegexMatcher::StartRemembering() {
  if (Remembering) return true;
  StepsFloor = 0;
  if (!Memo.Start(*Prog, End)) {
    if (StepsLeft < 0) RaiseRegexError(rxStepBudgetExhausted, 0);
    return false;
  }
  Remembering = true;
  StepsBeforeMemo = StepsLeft;
  StepsLeft = std::max(StepsLeft, Memo.WorkBound());
  return true;
}

// Spend found the budget used up in the middle of a step: remembering (if
// it can start) takes over at the plain loop's next step.
void TRegexMatcher::OutOfSteps() {
  if (Remembering || !StartRemembering()) RaiseRegexError(rxStepBudgetExhausted, 0);
  StepsFloor = INT64_MAX;
}

void TRegexMatcher::Grow() {
  size_t limit = Remembering ? 2 * MaxEntries : MaxEntries;
  if (Stack.size() >= limit) RaiseRegexError(rxBacktrackStackExhausted, 0);
  Stack.resize(std::min(limit, std::max<size_t>(1024, Stack.size() * 2)));
}

bool TRegexMatcher::IsLineBreakAt(int pos) const {
  uint8_t c = In[pos];
  if (LineSep.Has(c)) return true;
  return HasPair && c == Pair0 && pos + 1 < End && In[pos + 1] == Pair1;
}

bool TRegexMatcher::AtLineStart(int pos) const {
  if (pos == 0) return true;
  uint8_t prev = In[pos - 1];
  if (HasPair && prev == Pair0 && pos < End && In[pos] == Pair1) return false;
  if (LineSep.Has(prev)) return true;
  return HasPair && prev == Pair1 && pos >= 2 && In[pos - 2] == Pair0;
}

bool TRegexMatcher::AtLineEnd(int pos) const {
  if (pos == End) return true;
  uint8_t c = In[pos];
  if (HasPair && pos > 0 && In[pos - 1] == Pair0 && c == Pair1) return false;
  if (LineSep.Has(c)) return true;
  return HasPair && c == Pair0 && pos + 1 < End && In[pos + 1] == Pair1;
}

bool TRegexMatcher::MatchExact(const uint8_t* node, int& pos) const {
  int len = ReadInt32(node + NodeHeaderSize);
  const uint8_t* text = node + NodeHeaderSize + 4;
  if (End - pos < len || In[pos] != text[0] || std::memcmp(In + pos, text, static_cast<size_t>(len)) != 0)
    return false;
  pos += len;
  return true;
}

bool TRegexMatcher::MatchExactCi(const uint8_t* node, int& pos) const {
  int len = ReadInt32(node + NodeHeaderSize);
  const uint8_t* text = node + NodeHeaderSize + 4;
  if (End - pos < len) return false;
  const uint8_t* inv = Prog->Invert;
  for (int i = 0; i < len; ++i) {
    uint8_t c = In[pos + i];
    if (c != text[i] && c != inv[text[i]]) return false;
  }
  pos += len;
  return true;
}

// Length of a group's capture; -1 when it has not captured.
int TRegexMatcher::BackrefLength(int group) const {
  int s = GroupStart[group], e = GroupEnd[group];
  if (s < 0 || e < 0 || e < s) return -1;
  return e - s;
}

bool TRegexMatcher::MatchBackrefAt(const uint8_t* node, int pos) const {
  int group = node[NodeHeaderSize];
  int len = BackrefLength(group);
  if (len < 0 || End - pos < len) return false;
  const uint8_t* cap = In + GroupStart[group];
  if (node[0] == opBackref) return std::memcmp(In + pos, cap, static_cast<size_t>(len)) == 0;
  const uint8_t* inv = Prog->Invert;
  for (int i = 0; i < len; ++i) {
    uint8_t c = In[pos + i];
    if (c != cap[i] && c != inv[cap[i]]) return false;
  }
  return true;
}

bool TRegexMatcher::Run(int startPos, int& matchEnd) {
  Top = 0;
  int pc = 1;
  int pos = startPos;
  if (Remembering) return RunRemembering(pc, pos, matchEnd);
  for (;;) {
    if (--StepsLeft < StepsFloor && StartRemembering()) return RunRemembering(pc, pos, matchEnd);
    if (Prog->Code[pc] == opEnd) {
      matchEnd = pos;
      return true;
    }
    if (!Step(pc, pos) && !Backtrack(pc, pos)) return false;
  }
}

// Run's loop, skipping the cells that failed before and marking each cell
// it enters, so that Backtrack records the cell once everything after it
// has failed. Failure is all a cell records: the search still takes its
// choices in the same order, so the first match and its groups stay the
// same, it only stops exploring what cannot match.
bool TRegexMatcher::RunRemembering(int pc, int pos, int& matchEnd) {
  const uint8_t* code = Prog->Code.data();
  for (;;) {
    if (--StepsLeft < 0) RaiseRegexError(rxStepBudgetExhausted, 0);
    if (code[pc] == opEnd) {
      matchEnd = pos;
      return true;
    }
    int cell = Memo.Cell(pc, pos, LoopCount.data());
    bool known = cell >= 0 && Memo.Failed(cell);
    if (cell >= 0 && !known) Remember(cell);
    if ((known || !Step(pc, pos)) && !Backtrack(pc, pos)) return false;
  }
}

// A cell reached from the last remembered one with no choice left in
// between has failed once that one is popped, so up to three share one
// entry: remembering then adds about one entry per choice on the stack, and
// Grow allows twice the entries while remembering, so a search that fitted
// before still fits.
void TRegexMatcher::Remember(int cell) {
  for (size_t i = Top; i > 0; --i) {
    TBacktrackEntry& e = Stack[i - 1];
    if (e.Kind == btUndoStart || e.Kind == btUndoEnd || e.Kind == btUndoLoop) continue;
    if (e.Kind == btFailed && e.C < 0) {
      (e.B < 0 ? e.B : e.C) = cell;
      return;
    }
    break;
  }
  Push(btFailed, cell, -1, -1);
}

// Executes one node; false when it fails at this position.
bool TRegexMatcher::Step(int& pc, int& pos) {
  const uint8_t* code = Prog->Code.data();
  const uint8_t* node = code + pc;
  bool ok = true;
  switch (node[0]) {
    case opNothing:
      break;
    case opBranch: {
      if (ReadInt32(node + 1) != 0) Push(btBranch, NextOf(code, pc), pos, 0);
      pc += NodeHeaderSize;
      return true;
    }
    case opOpen: {
      int n = node[NodeHeaderSize];
      Push(btUndoStart, n, GroupStart[n], 0);
      GroupStart[n] = pos;
      break;
    }
    case opClose: {
      int n = node[NodeHeaderSize];
      Push(btUndoEnd, n, GroupEnd[n], 0);
      GroupEnd[n] = pos;
      break;
    }
    case opBol: case opBoi: ok = pos == 0; break;
    case opEol: case opEoi: ok = pos == End; break;
    case opBolMl: ok = AtLineStart(pos); break;
    case opEolMl: ok = AtLineEnd(pos); break;
    case opExact: ok = MatchExact(node, pos); break;
    case opExactCi: ok = MatchExactCi(node, pos); break;
    case opAny: ok = pos < End && (++pos, true); break;
    case opAnyMl: ok = pos < End && !IsLineBreakAt(pos) && (++pos, true); break;
    case opSet: ok = pos < End && SetHas(node, In[pos]) && (++pos, true); break;
    case opBackref: case opBackrefCi: {
      ok = MatchBackrefAt(node, pos);
      if (ok) pos += BackrefLength(node[NodeHeaderSize]);
      break;
    }
    case opRepeat: ok = StartRepeat(pc, pos); break;
    case opLoopEntry: pc = EnterLoop(pc, pos); return true;
    case opLoop: pc = ContinueLoop(pc, pos); return true;
    default: RaiseRegexError(rxInternalPointers, 0);
  }
  if (ok) pc = NextOf(code, pc);
  return ok;
}

// Undoes state back to the latest choice point and resumes there.
bool TRegexMatcher::Backtrack(int& pc, int& pos) {
  while (Top > 0) {
    const TBacktrackEntry e = Stack[--Top];
    switch (e.Kind) {
      case btUndoStart: GroupStart[e.A] = e.B; continue;
      case btUndoEnd: GroupEnd[e.A] = e.B; continue;
      case btUndoLoop:
        LoopCount[e.A] = e.B;
        LoopIterStart[e.A] = e.C;
        continue;
      case btFailed:
        for (int cell : {e.A, e.B, e.C})
          if (cell >= 0) Memo.MarkFailed(cell);
        continue;
      default: break;
    }
    Spend(1);
    switch (e.Kind) {
      case btBranch:
        pc = e.A, pos = e.B;
        return true;
      case btRepeat:
        if (ResumeRepeat(e, pc, pos)) return true;
        continue;
      case btLoopIter: {
        TLoopInfo loop = ReadLoop(&Prog->Code[e.A]);
        Push(btUndoLoop, loop.Slot, LoopCount[loop.Slot], LoopIterStart[loop.Slot]);
        LoopIterStart[loop.Slot] = e.B;
        pc = e.A + LoopBodyOffset, pos = e.B;
        return true;
      }
      case btLoopExit:
        pc = e.A, pos = e.B;
        return true;
      default:
        RaiseRegexError(rxInternalMemory, 0);
    }
  }
  return false;
}
