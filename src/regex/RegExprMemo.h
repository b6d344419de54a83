// The matcher's memory of failures (the idea of a bit-state engine's visited
// bitmap, kept for failures only so the first match found never changes).
//
// Without back-references, whether the rest of a program can match from a
// node at a position depends on nothing but that node, that position and
// the counts of the loops around the node: groups only record where things
// matched, and the guard against empty loop turns never decides anything
// once we have checked that no loop body with room for a second turn can
// match empty (the parser's "operand could be empty" error already makes
// sure, Study checks it again). So a (node, position, counts) cell that was
// explored to the end without a match fails every time, and the matcher
// skips it instead of exploring it again.
//
// The counts enter the key only where they can decide something: for a loop
// with at most Max turns all counts below Max differ, for an unbounded loop
// the counts below its minimum (so `*` and `+` add nothing, `{12}` adds 12
// states to every node of its body). We key on the counts rather than leave
// the nodes of counted loops out, because shapes such as "(.*a){12}z"
// explode inside such a loop. A program whose table would pass the caps
// below keeps the plain step budget, as programs with back-references do.
#pragma once

#include <cstdint>
#include <vector>

#include "regex/RegExprProgram.h"

class TRegexMemo {
 public:
  // At most this many bits per search: 8 MB. A typical program remembers
  // 6 to 16 rows (its choices, the nodes where paths meet, the nodes after
  // a repeat's choice, one more row per unbounded repeat; a counted loop
  // multiplies the rows of its body), so inputs of 4 to 11 million
  // characters are remembered: "(a|aa)+c" (6 rows) up to 11 million,
  // ".X(.+)+X" (7) 9.5 million, "(x+x+)+y" (9) 7.4 million, "(.*a){12}z"
  // (62) 1 million. Longer inputs keep the plain budget.
  static const int64_t BitCap = int64_t(1) << 26;
  // At most this many steps for a remembering search, counted generously
  // (every cell explored, every node behind it walked, every repeat scanned
  // in full); searches stay far below it, but a program whose bound passes
  // it (long bounded repeats over long inputs) keeps the plain budget.
  static const int64_t WorkCap = int64_t(1) << 32;

  // The program changed: study it again before the next table.
  void Forget() { FStudied = false; }
  // Sets up an empty table for an input of inputLength characters; false
  // when this program cannot remember or its table would pass a cap.
  bool Start(const TRegexProgram& prog, int inputLength);
  // Steps a search may take once it remembers: the bound of the table.
  int64_t WorkBound() const { return FWorkBound; }

  // The cell of node pc at pos under the current loop counts; -1 when pc is
  // not a node we remember.
  int Cell(int pc, int pos, const int* loopCount) const {
    int id = FNodeId[static_cast<size_t>(pc)];
    return id < 0 ? -1 : RowOf(FNodes[static_cast<size_t>(id)].Row, id, loopCount) * FWidth + pos;
  }
  // The cell at position 0 of an unbounded repeat's run row (see
  // StartRunRemembering in RegExprRepeat.cpp); pc must be such a repeat.
  int RunRow(int pc, const int* loopCount) const {
    int id = FNodeId[static_cast<size_t>(pc)];
    return RowOf(FNodes[static_cast<size_t>(id)].RunRow, id, loopCount) * FWidth;
  }
  bool Failed(int cell) const { return (FBits[static_cast<size_t>(cell) >> 6] >> (cell & 63)) & 1u; }
  void MarkFailed(int cell) { FBits[static_cast<size_t>(cell) >> 6] |= uint64_t(1) << (cell & 63); }
  void MarkFailed(int first, int last);  // every cell from first to last

 private:
  struct TNode {
    int Row, RunRow;         // first rows of this node (RunRow: -1 when none)
    int FirstKey, EndKey;    // its loops in FKeys
  };
  struct TKey {
    int Slot;
    int64_t States;  // counts that decide something (before the input's limit)
    int Radix;
    int Limit;
  };

  void Study(const TRegexProgram& prog);
  bool StudyLoops(const std::vector<uint8_t>& code, const std::vector<int>& nodes);
  bool BodyCanBeEmpty(const std::vector<uint8_t>& code, int entry, int loopNode) const;
  void AddNode(int node, bool runRow);
  int RowOf(int row, int id, const int* loopCount) const {
    const TNode& n = FNodes[static_cast<size_t>(id)];
    for (int k = n.FirstKey; k < n.EndKey; ++k) {
      const TKey& key = FKeys[static_cast<size_t>(k)];
      int count = loopCount[key.Slot];
      row += (count < key.Limit ? count : key.Limit - 1) * key.Radix;
    }
    return row;
  }

  bool FStudied = false;
  bool FUsable = false;
  int FReachable = 0;         // nodes a search can visit
  int64_t FRepeatCost = 0;    // the most one repeat can scan per visit
  std::vector<int> FNodeId;   // per code offset: index into FNodes, or -1
  std::vector<TNode> FNodes;
  std::vector<TKey> FKeys;
  struct TLoopSpan {
    int Entry, LoopNode, Slot;
    int64_t States;
  };
  std::vector<TLoopSpan> FLoops;

  int FWidth = 0;  // positions per row: input length + 1
  int64_t FWorkBound = 0;
  std::vector<uint64_t> FBits;
};
