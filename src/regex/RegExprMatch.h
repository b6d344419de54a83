// The backtracking matcher. Choice points and the undo records of group and
// loop state live on a heap stack, so a long input costs memory (bounded)
// instead of thread stack.
#pragma once

#include <cstdint>
#include <vector>

#include "regex/RegExprProgram.h"

enum : int32_t {
  btUndoStart,   // A group, B old start
  btUndoEnd,     // A group, B old end
  btUndoLoop,    // A slot, B old count, C old iteration start
  btBranch,      // A next alternative, B position
  btRepeat,      // A repeat node, B base position, C count in use
  btLoopIter,    // A loop entry, B position: one more turn
  btLoopExit,    // A continuation, B position: leave the loop
};

struct TBacktrackEntry {
  int32_t Kind, A, B, C;
};

struct TRegexMatcher {
  // Set up by the engine before each search.
  const TRegexProgram* Prog = nullptr;
  const uint8_t* In = nullptr;
  int End = 0;
  int* GroupStart = nullptr;
  int* GroupEnd = nullptr;
  TCharSet LineSep;
  bool HasPair = false;
  uint8_t Pair0 = 0, Pair1 = 0;
  int64_t StepsLeft = 0;
  size_t MaxEntries = 8u << 20;

  void Prepare(const TRegexProgram& prog);
  // Matches the program at pos; on success matchEnd is where it ended.
  bool Run(int pos, int& matchEnd);

 private:
  bool Step(int& pc, int& pos);
  bool Backtrack(int& pc, int& pos);
  void Push(int32_t kind, int32_t a, int32_t b, int32_t c) {
    if (Top == Stack.size()) Grow();
    Stack[Top++] = {kind, a, b, c};
  }
  void Grow();
  void Spend(int64_t steps);

  bool AtLineStart(int pos) const;
  bool AtLineEnd(int pos) const;
  bool IsLineBreakAt(int pos) const;
  bool MatchExact(const uint8_t* node, int& pos) const;
  bool MatchExactCi(const uint8_t* node, int& pos) const;
  int BackrefLength(int group) const;
  bool MatchBackrefAt(const uint8_t* node, int pos) const;

  bool OneRep(const uint8_t* operand, int pos, int width) const;
  int CountReps(const uint8_t* operand, int pos, int width, int limit) const;
  int RepWidth(const uint8_t* operand) const;
  bool FollowOk(const TCharSet* follow, int pos) const {
    return !follow || (pos < End && follow->Has(In[pos]));
  }
  int PickDown(const TCharSet* follow, int base, int width, int count, int min);
  int PickUp(const uint8_t* operand, const TCharSet* follow, int base, int width, int count, int max);
  int ScanAnyForward(const TCharSet* follow, int from, int last);
  bool StartRepeat(int pc, int& pos);
  bool ResumeRepeat(const TBacktrackEntry& e, int& pc, int& pos);

  int EnterLoop(int pc, int pos);
  int ContinueLoop(int pc, int pos);
  int DecideLoop(int entry, int loopNode, int pos);

  std::vector<TBacktrackEntry> Stack;
  size_t Top = 0;
  std::vector<int> LoopCount, LoopIterStart;
};
