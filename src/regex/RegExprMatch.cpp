#include "regex/RegExprMatch.h"

#include <algorithm>
#include <cstring>

#include "regex/RegExpr.h"

namespace {


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
}

void TRegexMatcher::Grow() {
  if (Stack.size() >= MaxEntries) RaiseRegexError(rxBacktrackStackExhausted, 0);
  Stack.resize(std::min(MaxEntries, std::max<size_t>(1024, Stack.size() * 2)));
}

void TRegexMatcher::Spend(int64_t steps) {
  StepsLeft -= steps;
  if (StepsLeft < 0) RaiseRegexError(rxStepBudgetExhausted, 0);
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
  for (;;) {
    if (--StepsLeft < 0) RaiseRegexError(rxStepBudgetExhausted, 0);
    if (Prog->Code[pc] == opEnd) {
      matchEnd = pos;
      return true;
    }
    if (!Step(pc, pos) && !Backtrack(pc, pos)) return false;
  }
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
