// Repetition in the matcher: counting loops over single-character atoms
// and back-references, and counted loops over groups.
#include <cstring>

#include "regex/RegExpr.h"
#include "regex/RegExprMatch.h"

namespace {

inline int NextOf(const uint8_t* code, int node) { return node + ReadInt32(code + node + 1); }

inline bool SetHas(const uint8_t* node, uint8_t c) {
  const uint8_t* bits = node + NodeHeaderSize;
  return (bits[c >> 3] >> (c & 7)) & 1;
}

}  // namespace

// Width of one repetition: 1, or the captured length for a back-reference
// (-1 when that group has not captured).
int TRegexMatcher::RepWidth(const uint8_t* operand) const {
  if (operand[0] == opBackref || operand[0] == opBackrefCi) return BackrefLength(operand[NodeHeaderSize]);
  return 1;
}

bool TRegexMatcher::OneRep(const uint8_t* operand, int pos, int width) const {
  if (pos + width > End) return false;
  uint8_t c = In[pos];
  switch (operand[0]) {
    case opExact: return c == operand[NodeHeaderSize + 4];
    case opExactCi: {
      uint8_t lit = operand[NodeHeaderSize + 4];
      return c == lit || c == Prog->Invert[lit];
    }
    case opAny: return true;
    case opAnyMl: return !IsLineBreakAt(pos);
    case opSet: return SetHas(operand, c);
    default: return MatchBackrefAt(operand, pos);
  }
}

// How many repetitions match from pos, at most limit.
int TRegexMatcher::CountReps(const uint8_t* operand, int pos, int width, int limit) const {
  int64_t room = (End - pos) / width;
  int max = static_cast<int>(room < limit ? room : limit);
  int n = 0;
  switch (operand[0]) {
    case opAny:
      return max;
    case opExact: {
      uint8_t lit = operand[NodeHeaderSize + 4];
      while (n < max && In[pos + n] == lit) ++n;
      return n;
    }
    case opSet:
      while (n < max && SetHas(operand, In[pos + n])) ++n;
      return n;
    default:
      while (n < max && OneRep(operand, pos + n * width, width)) ++n;
      return n;
  }
}

// Largest count in [min, count] after which the follower can start.
int TRegexMatcher::PickDown(const TCharSet* follow, int base, int width, int count, int min) {
  if (!follow) return count >= min ? count : -1;
  int c = count;
  while (c >= min && !FollowOk(follow, base + c * width)) --c;
  Spend((count - c) / 8);
  return c >= min ? c : -1;
}

// Scans "." forward for the first position the follower accepts.
int TRegexMatcher::ScanAnyForward(const TCharSet* follow, int from, int last) {
  int p = from;
  int ch = Prog->FollowChars[static_cast<size_t>(follow - Prog->FollowSets.data())];
  if (ch >= 0) {
    const void* hit = std::memchr(In + p, ch, static_cast<size_t>(last - p));
    p = hit ? static_cast<int>(static_cast<const uint8_t*>(hit) - In) : last;
  } else {
    while (p < last && !follow->Has(In[p])) ++p;
  }
  Spend((p - from) / 8);
  return p;
}

// Smallest count in [count, max] that the operand allows and after which
// the follower can start; -1 when there is none.
int TRegexMatcher::PickUp(const uint8_t* operand, const TCharSet* follow, int base, int width, int count,
                          int max) {
  if (operand[0] == opAny && follow && width == 1) {
    int64_t lastPos = static_cast<int64_t>(base) + max;
    int last = static_cast<int>(lastPos < End ? lastPos : End);
    int p = ScanAnyForward(follow, base + count, last);
    if (p < last || (p == last && FollowOk(follow, p))) return p - base;
    return -1;
  }
  int c = count;
  for (;;) {
    if (FollowOk(follow, base + c * width)) return c;
    if (c >= max || !OneRep(operand, base + c * width, width)) return -1;
    ++c;
    if ((c & 7) == 0) Spend(1);
  }
}

bool TRegexMatcher::StartRepeat(int pc, int& pos) {
  const uint8_t* node = Prog->Code.data() + pc;
  const uint8_t* operand = node + RepeatOperandOffset;
  TRepeatInfo rep = ReadRepeat(node);
  const TCharSet* follow = rep.Follow >= 0 ? &Prog->FollowSets[static_cast<size_t>(rep.Follow)] : nullptr;
  int width = RepWidth(operand);
  // A group that has not captured, or captured nothing: every count lands
  // on the same position, so only one outcome exists.
  if (width < 0) return rep.Min == 0;
  if (width == 0) return true;
  int c;
  if (Remembering && rep.Max == RegexInfinite) {
    c = StartRunRemembering(pc, operand, rep, follow, pos);
    if (c < 0) return false;
  } else if (rep.Greedy) {
    int n = CountReps(operand, pos, width, rep.Max);
    Spend(n / 8);
    if (n < rep.Min) return false;
    c = PickDown(follow, pos, width, n, rep.Min);
    if (c < 0) return false;
    if (c > rep.Min) Push(btRepeat, pc, pos, c);
  } else {
    if (CountReps(operand, pos, width, rep.Min) < rep.Min) return false;
    Spend(rep.Min / 8);
    c = PickUp(operand, follow, pos, width, rep.Min, rep.Max);
    if (c < 0) return false;
    if (c < rep.Max) Push(btRepeat, pc, pos, c);
  }
  pos += c * width;
  return true;
}

bool TRegexMatcher::ResumeRepeat(const TBacktrackEntry& e, int& pc, int& pos) {
  const uint8_t* node = Prog->Code.data() + e.A;
  const uint8_t* operand = node + RepeatOperandOffset;
  TRepeatInfo rep = ReadRepeat(node);
  const TCharSet* follow = rep.Follow >= 0 ? &Prog->FollowSets[static_cast<size_t>(rep.Follow)] : nullptr;
  int width = RepWidth(operand);
  int c;
  if (Remembering && rep.Max == RegexInfinite) {
    c = ResumeRunRemembering(e, operand, rep, follow);
    if (c < 0) return false;
  } else if (rep.Greedy) {
    c = PickDown(follow, e.B, width, e.C - 1, rep.Min);
    if (c < 0) return false;
    if (c > rep.Min) Push(btRepeat, e.A, e.B, c);
  } else {
    if (e.C >= rep.Max || !OneRep(operand, e.B + e.C * width, width)) return false;
    c = PickUp(operand, follow, e.B, width, e.C + 1, rep.Max);
    if (c < 0) return false;
    if (c < rep.Max) Push(btRepeat, e.A, e.B, c);
  }
  pc = NextOf(Prog->Code.data(), e.A);
  pos = e.B + c * width;
  return true;
}

int TRegexMatcher::EnterLoop(int pc, int pos) {
  TLoopInfo loop = ReadLoop(&Prog->Code[static_cast<size_t>(pc)]);
  if (loop.Counted && loop.Depth > RegexMaxLoopNesting) RaiseRegexError(rxLoopStackExceeded, 0);
  Push(btUndoLoop, loop.Slot, LoopCount[loop.Slot], LoopIterStart[loop.Slot]);
  LoopCount[loop.Slot] = 0;
  return DecideLoop(pc, NextOf(Prog->Code.data(), pc), pos);
}

int TRegexMatcher::ContinueLoop(int pc, int pos) {
  const uint8_t* code = Prog->Code.data();
  int entry = pc + ReadInt32(code + pc + NodeHeaderSize);
  if (code[entry] != opLoopEntry) RaiseRegexError(rxLoopWithoutEntry, 0);
  TLoopInfo loop = ReadLoop(code + entry);
  Push(btUndoLoop, loop.Slot, LoopCount[loop.Slot], LoopIterStart[loop.Slot]);
  int count = ++LoopCount[loop.Slot];
  // A turn that consumed nothing would repeat forever; leave instead.
  if (pos == LoopIterStart[loop.Slot] && count >= loop.Min) return NextOf(code, pc);
  return DecideLoop(entry, pc, pos);
}

int TRegexMatcher::DecideLoop(int entry, int loopNode, int pos) {
  const uint8_t* code = Prog->Code.data();
  TLoopInfo loop = ReadLoop(code + entry);
  int continuation = NextOf(code, loopNode);
  int body = entry + LoopBodyOffset;
  int count = LoopCount[loop.Slot];
  if (count < loop.Min) {
    LoopIterStart[loop.Slot] = pos;
    return body;
  }
  if (count >= loop.Max) return continuation;
  if (loop.Greedy) {
    Push(btLoopExit, continuation, pos, 0);
    LoopIterStart[loop.Slot] = pos;
    return body;
  }
  Push(btLoopIter, entry, pos, 0);
  return continuation;
}

// Remembering, an unbounded repeat of a one-character operand keeps a run
// row beside its cell: cell q of the row failed when leaving the repeat at
// q, or anywhere after q in the same run of operand characters, has failed
// (for any count: past its minimum the repeat forgets its count). Greedy
// counts are tried downwards, so each exit marks the row as it fails; lazy
// ones upwards, so the row is marked when the run is used up. Either way a
// later visit stops at the first marked cell, and every exit of a run is
// tried once, not once per visit: "(x+x+)+y" over a long run of x would
// otherwise rescan the run from every start of its second repeat.
// Both return the count to continue with (pushing the next choice), -1 when
// no exit is left.
int TRegexMatcher::StartRunRemembering(int pc, const uint8_t* operand, const TRepeatInfo& rep,
                                       const TCharSet* follow, int pos) {
  if (CountReps(operand, pos, 1, rep.Min) < rep.Min) return -1;
  Spend(rep.Min / 8);
  int row = Memo.RunRow(pc, LoopCount.data());
  int first = pos + rep.Min;
  int c;
  if (rep.Greedy) {
    if (Memo.Failed(row + first)) return -1;
    int top = first;
    while (OneRep(operand, top, 1) && !Memo.Failed(row + top + 1)) ++top;
    Spend((top - first) / 8);
    c = PickDown(follow, pos, 1, top - pos, rep.Min);
    Memo.MarkFailed(row + (c < 0 ? first : pos + c + 1), row + top);
    if (c < 0) return -1;
    if (c > rep.Min) Push(btRepeat, pc, pos, c);
  } else {
    c = NextLazyExit(operand, follow, pos, rep.Min, rep.Min, row);
    if (c < 0) return -1;
    Push(btRepeat, pc, pos, c);
  }
  return c;
}

int TRegexMatcher::ResumeRunRemembering(const TBacktrackEntry& e, const uint8_t* operand, const TRepeatInfo& rep,
                                        const TCharSet* follow) {
  int row = Memo.RunRow(e.A, LoopCount.data());
  int c;
  if (rep.Greedy) {
    c = PickDown(follow, e.B, 1, e.C - 1, rep.Min);
    Memo.MarkFailed(row + e.B + (c < 0 ? rep.Min : c + 1), row + e.B + e.C);
    if (c < 0) return -1;
    if (c > rep.Min) Push(btRepeat, e.A, e.B, c);
  } else {
    if (!OneRep(operand, e.B + e.C, 1)) {
      Memo.MarkFailed(row + e.B + rep.Min, row + e.B + e.C);
      return -1;
    }
    c = NextLazyExit(operand, follow, e.B, rep.Min, e.C + 1, row);
    if (c < 0) return -1;
    Push(btRepeat, e.A, e.B, c);
  }
  return c;
}

// The next lazy count from `from` worth leaving at; marks the row from the
// repeat's first exit when there is none.
int TRegexMatcher::NextLazyExit(const uint8_t* operand, const TCharSet* follow, int base, int min, int from,
                                int row) {
  for (int c = from;; ++c) {
    int q = base + c;
    if (Memo.Failed(row + q)) {
      Memo.MarkFailed(row + base + min, row + q - 1);
      return -1;
    }
    if (FollowOk(follow, q)) return c;
    if (!OneRep(operand, q, 1)) {
      Memo.MarkFailed(row + base + min, row + q);
      return -1;
    }
    if ((c & 7) == 0) Spend(1);
  }
}
