// The backtracking matcher. Choice points and the undo records of group and
// loop state live on a heap stack, so a long input costs memory (bounded)
// instead of thread stack. A search that has worked for a while starts to
// remember failures (RegExprMemo.h) where its program allows, which bounds
// it by its table; other programs stop at the step budget.
#pragma once

#include <cstdint>
#include <vector>

#include "regex/RegExprMemo.h"
#include "regex/RegExprProgram.h"

enum : int32_t {
  btUndoStart,   // A group, B old start
  btUndoEnd,     // A group, B old end
  btUndoLoop,    // A slot, B old count, C old iteration start
  btBranch,      // A next alternative, B position
  btRepeat,      // A repeat node, B base position, C count in use
  btLoopIter,    // A loop entry, B position: one more turn
  btLoopExit,    // A continuation, B position: leave the loop
  btFailed,      // A, B, C memory cells (-1: none): all failed once this is reached
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
  size_t MaxEntries = 8u << 20;

  void Prepare(const TRegexProgram& prog);
  // Starts the searches of one input (ExecNext continues them): steps is the
  // budget, inputLength sets when remembering starts.
  void SetBudget(int64_t steps, int inputLength);
  // Matches the program at pos; on success matchEnd is where it ended.
  bool Run(int pos, int& matchEnd);

 private:
  bool RunRemembering(int pc, int pos, int& matchEnd);
  void Remember(int cell);
  bool StartRemembering();
  void OutOfSteps();
  bool Step(int& pc, int& pos);
  bool Backtrack(int& pc, int& pos);
  void Push(int32_t kind, int32_t a, int32_t b, int32_t c) {
    if (Top == Stack.size()) Grow();
    Stack[Top++] = {kind, a, b, c};
  }
  void Grow();
  void Spend(int64_t steps) {
    StepsLeft -= steps;
    if (StepsLeft < 0) OutOfSteps();
  }

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
  int StartRunRemembering(int pc, const uint8_t* operand, const TRepeatInfo& rep, const TCharSet* follow, int pos);
  int ResumeRunRemembering(const TBacktrackEntry& e, const uint8_t* operand, const TRepeatInfo& rep,
                           const TCharSet* follow);
  int NextLazyExit(const uint8_t* operand, const TCharSet* follow, int base, int min, int from, int row);

  int EnterLoop(int pc, int pos);
  int ContinueLoop(int pc, int pos);
  int DecideLoop(int entry, int loopNode, int pos);

  std::vector<TBacktrackEntry> Stack;
  size_t Top = 0;
  std::vector<int> LoopCount, LoopIterStart;

  int64_t StepsLeft = 0;
  // The plain loop hands over to RunRemembering once StepsLeft drops below
  // this (INT64_MAX: at once).
  int64_t StepsFloor = 0;
  int64_t StepsBeforeMemo = 0;
  bool Remembering = false;
  TRegexMemo Memo;
};
