#pragma once
// The syntax tree between the parser and the program emitter. Not for use
// outside the engine.

#include <cstdint>
#include <string>
#include <vector>

#include "regex/RegExpr.h"
#include "regex/RegExprProgram.h"

enum TAstKind { akEmpty, akSeq, akAlt, akGroup, akLit, akLeaf, akSet, akBackref, akRepeat };

struct TAstNode {
  TAstKind Kind = akEmpty;
  uint8_t Op = 0;
  std::string Text;
  TCharSet Set;
  int N = 0;
  int Min = 0, Max = 0;
  bool Greedy = true;
  bool Braces = false;
  std::vector<int> Kids;
  bool Width = false;
  bool Simple = false;
};

// A parsed expression: the nodes, the root's index, and whether some
// repeat has no upper bound (which makes a required literal worth seeking).
struct TRegexTree {
  std::vector<TAstNode> Nodes;
  int Root = 0;
  bool HasStar = false;
};

// Expression text -> tree. Raises ERegexError with the position of the
// first fault.
TRegexTree ParseRegex(const std::string& text, const TRegexSyntax& syntax);

// Tree -> node program, with the search aids (first and required literal,
// anchoring). exprLength is the position a too-large program reports.
void EmitRegexProgram(const TRegexTree& tree, int exprLength, TRegexProgram& prog);
