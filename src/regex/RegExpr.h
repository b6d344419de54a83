// The program's regular-expression engine: compiles an expression into a
// node program and matches it with a backtracking matcher over 8-bit text.
// Matching keeps its choice points on a heap stack, never on the thread's
// stack, and every search is bounded, so no expression or input can crash
// or freeze the program: by remembering the places it already failed from
// (inputs up to a few million characters, expressions without
// back-references), or else by a step budget scaled to its input.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Error codes of the engine. The numbers are shown to users inside
// messages and must never change.
enum : int {
  rxOk = 0,
  rxNullArgument = 100,
  rxTooBig = 101,
  rxTooManyGroups = 102,
  rxUnclosedGroup = 103,
  rxStrayCloseParen = 104,
  rxJunkOnEnd = 105,
  rxEmptyOperand = 106,
  rxNestedQuantifier = 107,
  rxBadHexDigit = 108,
  rxInvalidRange = 109,
  rxSetTrailingBackslash = 110,
  rxNoHexCode = 111,
  rxHexCodeTooBig = 112,
  rxUnclosedSet = 113,
  rxInternalCompile = 114,
  rxQuantifierFollowsNothing = 115,
  rxTrailingBackslash = 116,
  rxInternalAtom = 119,
  rxBraceArgTooBig = 122,
  rxBraceMinAboveMax = 124,
  rxUnclosedComment = 125,
  rxComplexBraces = 126,
  rxUnknownModifier = 127,
  rxBadPairedSeparator = 128,
  rxInternalRepeat = 1000,
  rxInternalMemory = 1001,
  rxInternalPointers = 1002,
  rxNoExpression = 1003,
  rxCorruptedProgram = 1004,
  rxNoInput = 1005,
  rxBadOffset = 1006,
  rxExecNextWithoutExec = 1007,
  rxNoInputString = 1008,
  rxCorruptedOpcode = 1011,
  rxBadModifierIndex = 1013,
  rxLoopStackExceeded = 1014,
  rxLoopWithoutEntry = 1015,
  // Our own guards against runaway searches; not part of the historical table.
  rxStepBudgetExhausted = 1100,
  rxBacktrackStackExhausted = 1101,
};

class ERegexError : public std::runtime_error {
 public:
  ERegexError(const std::string& message, int code, int pos)
      : std::runtime_error(message), RegErrorCode(code), RegErrorPos(pos) {}
  int RegErrorCode;
  // Where compilation stopped (characters read so far); 0 outside compilation.
  int RegErrorPos;
};

// Modifier indexes for SetModifierFlag and their bits in Modifiers().
enum : int {
  rmIndexI = 1, rmIndexR = 2, rmIndexS = 3, rmIndexG = 4, rmIndexM = 5, rmIndexX = 6,
};
enum : int {
  rmI = 1, rmR = 2, rmS = 4, rmG = 8, rmM = 16, rmX = 32,
};

struct TRegexProgram;
struct TRegexMatcher;

// Maps a character to its other case; locale-dependent, so replaceable.
using TCaseInverter = std::function<char(char)>;
char DefaultInvertCase(char c);

class TRegexEngine {
 public:
  TRegexEngine();
  ~TRegexEngine();
  TRegexEngine(const TRegexEngine&) = delete;
  TRegexEngine& operator=(const TRegexEngine&) = delete;

  void SetModifierFlag(int index, bool on);
  bool ModifierFlag(int index) const;
  int Modifiers() const { return FModifiers; }

  void Expression(const std::string& text);
  const std::string& Expression() const { return FExpression; }
  bool HasExpression() const { return FHasExpression; }

  bool Exec(const std::string& input);
  bool ExecPos(int offset);
  bool ExecNext();

  int MatchStart(int n) const;
  int MatchLength(int n) const;
  std::string Match(int n) const;

  // Searches the caller's text in place instead of a copy, so afterwards the
  // engine holds no input (its last search always fails, leaving no match).
  std::string ReplaceMatches(const std::string& input, const std::string& replacement);

  static std::string ErrorText(int code);
  int LastError() const { return FLastError; }

  void SetSpaceChars(const std::string& chars);
  void SetWordChars(const std::string& chars);
  void SetLineSeparators(const std::string& chars);
  void SetLinePairedSeparator(const std::string& pair);
  const std::string& SpaceChars() const { return FSpaceChars; }
  const std::string& WordChars() const { return FWordChars; }
  const std::string& LineSeparators() const { return FLineSeparators; }
  const std::string& LinePairedSeparator() const { return FLinePairedSeparator; }

  void SetCaseInverter(TCaseInverter inverter);

  // Work allowed per search: Base + PerChar * input length, counted in
  // matcher steps; exposed so tests can provoke the guard on small input.
  // A search that can remember failures starts to once it has spent this
  // (or a few steps per character, if that comes first) and then has its
  // table's bound instead: with a budget of 0 it remembers from the start.
  void SetStepBudget(int64_t base, int64_t perChar);

  // Compiles now instead of at the next search; raises on a bad expression.
  void Compile();

 private:
  [[noreturn]] void Fail(int code, int pos = 0);
  void DropProgram();
  void EnsureCompiled();
  bool Search(int start);
  bool TryAt(int pos);
  bool ScanStartSet(int start);
  int NextCandidate(int p) const;
  bool RequiredLiteralFrom(int start);
  void ClearGroups();

  std::string FExpression;
  bool FHasExpression = false;
  std::unique_ptr<TRegexProgram> FProgram;
  std::unique_ptr<TRegexMatcher> FMatcher;
  int FModifiers;
  void AttachInput(const std::string& text);
  std::string FInput;
  const uint8_t* FText = nullptr;  // FInput, or the caller's text during ReplaceMatches
  bool FHasInput = false;
  int FInputEnd = 0;  // the input ends at its first NUL
  int FGroupStart[15];
  int FGroupEnd[15];
  std::string FSpaceChars;
  std::string FWordChars;
  std::string FLineSeparators;
  std::string FLinePairedSeparator;
  TCaseInverter FInvertCase;
  int FLastError = 0;
  int64_t FBudgetBase;
  int64_t FBudgetPerChar;
  // First occurrence of the required literal at or after FReqFrom (-1: none).
  int FReqFrom = -1;
  int FReqAt = -1;
};
