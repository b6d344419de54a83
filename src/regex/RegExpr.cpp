#include "regex/RegExpr.h"

#include <cctype>
#include <algorithm>
#include <climits>
#include <cstring>

#include "regex/RegExprMatch.h"
#include "regex/RegExprProgram.h"

namespace {

const char* const DefaultSpaceChars = " \t\n\r\f";
const char* const DefaultWordChars = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
const char* const DefaultLineSeparators = "\r\n";
const char* const DefaultPairedSeparator = "\r\n";

const int64_t DefaultBudgetBase = 20000000;
const int64_t DefaultBudgetPerChar = 100;

struct TErrorEntry {
  int Code;
  const char* Text;
};

const TErrorEntry ErrorTable[] = {
    {rxOk, "No errors"},
    {rxNullArgument, "TRegexEngine(comp): Null Argument"},
    {rxTooBig, "TRegexEngine(comp): Regexp Too Big"},
    {rxTooManyGroups, "TRegexEngine(comp): ParseReg Too Many ()"},
    {rxUnclosedGroup, "TRegexEngine(comp): ParseReg Unmatched ()"},
    {rxStrayCloseParen, "TRegexEngine(comp): ParseReg Unmatched ()"},
    {rxJunkOnEnd, "TRegexEngine(comp): ParseReg Junk On End"},
    {rxEmptyOperand, "TRegexEngine(comp): *+ Operand Could Be Empty"},
    {rxNestedQuantifier, "TRegexEngine(comp): Nested *?+"},
    {rxBadHexDigit, "TRegexEngine(comp): Bad Hex Digit"},
    {rxInvalidRange, "TRegexEngine(comp): Invalid [] Range"},
    {rxSetTrailingBackslash, "TRegexEngine(comp): Parse Atom Trailing \\"},
    {rxNoHexCode, "TRegexEngine(comp): No Hex Code After \\x"},
    {rxHexCodeTooBig, "TRegexEngine(comp): Hex Code After \\x Is Too Big"},
    {rxUnclosedSet, "TRegexEngine(comp): Unmatched []"},
    {rxInternalCompile, "TRegexEngine(comp): Internal Urp"},
    {rxQuantifierFollowsNothing, "TRegexEngine(comp): ?+*{ Follows Nothing"},
    {rxTrailingBackslash, "TRegexEngine(comp): Trailing \\"},
    {rxInternalAtom, "TRegexEngine(comp): ParseAtom Internal Disaster"},
    {rxBraceArgTooBig, "TRegexEngine(comp): BRACES Argument Too Big"},
    {rxBraceMinAboveMax, "TRegexEngine(comp): BRACE Min Param Greater Than Max"},
    {rxUnclosedComment, "TRegexEngine(comp): Unclosed (?#Comment)"},
    {rxComplexBraces,
     "TRegexEngine(comp): Braces and non-greedy operators on complex sub-expressions are not supported"},
    {rxUnknownModifier, "TRegexEngine(comp): Unrecognized Modifier"},
    {rxBadPairedSeparator,
     "TRegexEngine(comp): LinePairedSeparator must contain two different chars or no chars at all"},
    {rxInternalRepeat, "TRegexEngine(exec): RegRepeat Called Inappropriately"},
    {rxInternalMemory, "TRegexEngine(exec): MatchPrim Memory Corruption"},
    {rxInternalPointers, "TRegexEngine(exec): MatchPrim Corrupted Pointers"},
    {rxNoExpression, "TRegexEngine(exec): Not Assigned Expression Property"},
    {rxCorruptedProgram, "TRegexEngine(exec): Corrupted Program"},
    {rxNoInput, "TRegexEngine(exec): No Input String Specified"},
    {rxBadOffset, "TRegexEngine(exec): Offset Must Be Greater Than 0"},
    {rxExecNextWithoutExec, "TRegexEngine(exec): ExecNext Without Exec[Pos]"},
    {rxNoInputString, "TRegexEngine(exec): GetInputString Without InputString"},
    {rxCorruptedOpcode, "TRegexEngine(dump): Corrupted Opcode"},
    {rxLoopStackExceeded, "TRegexEngine(exec): Loop Stack Exceeded"},
    {rxLoopWithoutEntry, "TRegexEngine(exec): Loop Without LoopEntry !"},
    {rxStepBudgetExhausted,
     "TRegexEngine(exec): Expression too complex for the input (too much backtracking)"},
    {rxBacktrackStackExhausted,
     "TRegexEngine(exec): Expression too complex for the input (backtracking memory exhausted)"},
};

std::string ErrorMessage(int code, int pos) {
  std::string text = TRegexEngine::ErrorText(code);
  if (code < 1000) text += " (pos " + std::to_string(pos) + ")";
  return text;
}

}  // namespace

void TLiteralFinder::Set(const std::string& text) {
  FText = text;
  const int len = static_cast<int>(text.size());
  for (int& shift : FShift) shift = len;
  for (int i = 0; i + 1 < len; ++i) FShift[static_cast<uint8_t>(text[static_cast<size_t>(i)])] = len - 1 - i;
}

int TLiteralFinder::Find(const uint8_t* in, int end, int from) const {
  const int len = static_cast<int>(FText.size());
  const uint8_t* text = reinterpret_cast<const uint8_t*>(FText.data());
  if (len < 4) {
    for (int p = from; end - p >= len; ++p) {
      const void* hit = std::memchr(in + p, text[0], static_cast<size_t>(end - p - len + 1));
      if (!hit) return -1;
      p = static_cast<int>(static_cast<const uint8_t*>(hit) - in);
      if (std::memcmp(in + p, text, static_cast<size_t>(len)) == 0) return p;
    }
    return -1;
  }
  const uint8_t last = text[len - 1];
  for (int p = from; end - p >= len;) {
    uint8_t c = in[p + len - 1];
    if (c == last && std::memcmp(in + p, text, static_cast<size_t>(len - 1)) == 0) return p;
    p += FShift[c];
  }
  return -1;
}

void RaiseRegexError(int code, int pos) { throw ERegexError(ErrorMessage(code, pos), code, pos); }

char DefaultInvertCase(char c) {
  int u = static_cast<unsigned char>(c);
  int upper = std::toupper(u);
  return static_cast<char>(upper != u ? upper : std::tolower(u));
}

TRegexEngine::TRegexEngine()
    : FMatcher(new TRegexMatcher),
      FModifiers(rmR | rmS | rmG),
      FSpaceChars(DefaultSpaceChars),
      FWordChars(DefaultWordChars),
      FLineSeparators(DefaultLineSeparators),
      FLinePairedSeparator(DefaultPairedSeparator),
      FInvertCase(DefaultInvertCase),
      FBudgetBase(DefaultBudgetBase),
      FBudgetPerChar(DefaultBudgetPerChar) {
  ClearGroups();
}

TRegexEngine::~TRegexEngine() = default;

std::string TRegexEngine::ErrorText(int code) {
  for (const TErrorEntry& entry : ErrorTable)
    if (entry.Code == code) return entry.Text;
  return "Unknown error";
}

void TRegexEngine::Fail(int code, int pos) {
  FLastError = code;
  RaiseRegexError(code, pos);
}

void TRegexEngine::ClearGroups() {
  for (int i = 0; i < 15; ++i) FGroupStart[i] = FGroupEnd[i] = -1;
}

void TRegexEngine::DropProgram() {
  FProgram.reset();
  FReqFrom = FReqAt = -1;
}

void TRegexEngine::SetModifierFlag(int index, bool on) {
  if (index < rmIndexI || index > rmIndexX) Fail(rxBadModifierIndex);
  int bit = 1 << (index - 1);
  FModifiers = on ? (FModifiers | bit) : (FModifiers & ~bit);
}

bool TRegexEngine::ModifierFlag(int index) const {
  if (index < rmIndexI || index > rmIndexX) return false;
  return (FModifiers >> (index - 1)) & 1;
}

void TRegexEngine::Expression(const std::string& text) {
  if (text == FExpression && FProgram) return;
  FExpression.clear();
  FHasExpression = false;
  DropProgram();
  if (!text.empty()) {
    FExpression = text;
    FHasExpression = true;
  }
}

void TRegexEngine::SetSpaceChars(const std::string& chars) {
  FSpaceChars = chars;
  DropProgram();
}

void TRegexEngine::SetWordChars(const std::string& chars) {
  FWordChars = chars;
  DropProgram();
}

void TRegexEngine::SetLineSeparators(const std::string& chars) {
  FLineSeparators = chars;
  DropProgram();
}

void TRegexEngine::SetLinePairedSeparator(const std::string& pair) {
  if (!pair.empty() && (pair.size() != 2 || pair[0] == pair[1])) Fail(rxBadPairedSeparator);
  FLinePairedSeparator = pair;
  DropProgram();
}

void TRegexEngine::SetCaseInverter(TCaseInverter inverter) {
  FInvertCase = inverter ? std::move(inverter) : TCaseInverter(DefaultInvertCase);
  DropProgram();
}

void TRegexEngine::SetStepBudget(int64_t base, int64_t perChar) {
  FBudgetBase = base;
  FBudgetPerChar = perChar;
}

void TRegexEngine::Compile() {
  if (!FHasExpression) Fail(rxNoExpression);
  uint8_t invert[256];
  for (int c = 0; c < 256; ++c) invert[c] = static_cast<uint8_t>(FInvertCase(static_cast<char>(c)));
  TRegexSyntax syntax;
  syntax.Modifiers = FModifiers;
  syntax.Space.AddChars(FSpaceChars);
  syntax.Word.AddChars(FWordChars);
  syntax.Invert = invert;
  DropProgram();
  std::unique_ptr<TRegexProgram> prog(new TRegexProgram);
  try {
    CompileRegex(FExpression, syntax, *prog);
  } catch (const ERegexError& e) {
    FLastError = e.RegErrorCode;
    throw;
  }
  FProgram = std::move(prog);
  FMatcher->Prepare(*FProgram);
}

void TRegexEngine::EnsureCompiled() {
  if (!FHasExpression) Fail(rxNoExpression);
  if (!FProgram || FProgram->Modifiers != FModifiers) Compile();
  if (FProgram->Code.empty() || FProgram->Code[0] != RegexMagic) Fail(rxCorruptedProgram);
}

void TRegexEngine::AttachInput(const std::string& text) {
  FText = reinterpret_cast<const uint8_t*>(text.data());
  FHasInput = true;
  // Positions are ints; anything past 2 GB is not searched.
  size_t end = std::min(text.find('\0'), std::min(text.size(), static_cast<size_t>(INT_MAX - 2)));
  FInputEnd = static_cast<int>(end);
  FReqFrom = FReqAt = -1;
  ClearGroups();
}

bool TRegexEngine::Exec(const std::string& input) {
  FInput = input;
  AttachInput(FInput);
  return ExecPos(1);
}

bool TRegexEngine::ExecPos(int offset) {
  EnsureCompiled();
  if (!FHasInput) Fail(rxNoInput);
  if (offset < 1) Fail(rxBadOffset);
  FMatcher->SetBudget(FBudgetBase + FBudgetPerChar * FInputEnd, FInputEnd);
  ClearGroups();
  if (offset > FInputEnd + 1) return false;
  return Search(offset - 1);
}

bool TRegexEngine::ExecNext() {
  if (FGroupStart[0] < 0 || FGroupEnd[0] < 0) Fail(rxExecNextWithoutExec);
  int start = FGroupEnd[0];
  if (start == FGroupStart[0]) ++start;
  EnsureCompiled();
  ClearGroups();
  if (start > FInputEnd) return false;
  return Search(start);
}

bool TRegexEngine::RequiredLiteralFrom(int start) {
  const TLiteralFinder& lit = FProgram->RequiredLiteral;
  if (lit.Empty()) return true;
  // The first occurrence at or after an earlier start is still the first
  // one for any later start up to it, so successive searches scan once.
  if (FReqFrom < 0 || FReqFrom > start || (FReqAt >= 0 && FReqAt < start)) {
    FReqFrom = start;
    FReqAt = lit.Find(FText, FInputEnd, start);
  }
  return FReqAt >= 0;
}

bool TRegexEngine::TryAt(int pos) {
  int end;
  if (!FMatcher->Run(pos, end)) return false;
  FGroupStart[0] = pos;
  FGroupEnd[0] = end;
  return true;
}

bool TRegexEngine::Search(int start) {
  TRegexMatcher& m = *FMatcher;
  const TRegexProgram& prog = *FProgram;
  const uint8_t* in = FText;
  m.In = in;
  m.End = FInputEnd;
  m.GroupStart = FGroupStart;
  m.GroupEnd = FGroupEnd;
  m.LineSep = TCharSet();
  m.LineSep.AddChars(FLineSeparators);
  m.HasPair = FLinePairedSeparator.size() == 2;
  m.Pair0 = m.HasPair ? static_cast<uint8_t>(FLinePairedSeparator[0]) : 0;
  m.Pair1 = m.HasPair ? static_cast<uint8_t>(FLinePairedSeparator[1]) : 0;
  try {
    if (!RequiredLiteralFrom(start)) return false;
    if (prog.Anchored) return TryAt(start);
    if (!prog.FirstLiteral.Empty()) {
      for (int p = start; p < FInputEnd; ++p) {
        p = prog.FirstLiteral.Find(in, FInputEnd, p);
        if (p < 0) return false;
        if (TryAt(p)) return true;
      }
      return false;
    }
    return ScanStartSet(start);
  } catch (const ERegexError& e) {
    FLastError = e.RegErrorCode;
    ClearGroups();
    throw;
  }
}

// The first position at or after p whose character is in the start set;
// FInputEnd when there is none.
int TRegexEngine::NextCandidate(int p) const {
  const TRegexProgram& prog = *FProgram;
  if (prog.StartChar >= 0) {
    const void* hit = std::memchr(FText + p, prog.StartChar, static_cast<size_t>(FInputEnd - p));
    return hit ? static_cast<int>(static_cast<const uint8_t*>(hit) - FText) : FInputEnd;
  }
  while (p < FInputEnd && !prog.StartSet.Has(FText[p])) ++p;
  return p;
}

// Tries every position from start whose character can begin a match; the
// position at the very end of the input is never tried.
bool TRegexEngine::ScanStartSet(int start) {
  const TRegexProgram& prog = *FProgram;
  const bool everywhere = prog.StartSet.Full();
  for (int p = start; p < FInputEnd; ++p) {
    if (!everywhere) p = NextCandidate(p);
    if (p >= FInputEnd) return false;
    if (TryAt(p)) return true;
    if (prog.SkipFailedRuns)
      while (p + 1 < FInputEnd && prog.StartSet.Has(FText[p + 1])) ++p;
  }
  return false;
}

int TRegexEngine::MatchStart(int n) const {
  if (n < 0 || n > 14 || !FHasInput || FGroupStart[n] < 0 || FGroupEnd[n] < 0) return -1;
  return FGroupStart[n] + 1;
}

int TRegexEngine::MatchLength(int n) const {
  if (n < 0 || n > 14 || !FHasInput || FGroupStart[n] < 0 || FGroupEnd[n] < 0) return -1;
  return FGroupEnd[n] - FGroupStart[n];
}

std::string TRegexEngine::Match(int n) const {
  int start = MatchStart(n);
  if (start < 0) return std::string();
  return std::string(reinterpret_cast<const char*>(FText) + start - 1, static_cast<size_t>(MatchLength(n)));
}

std::string TRegexEngine::ReplaceMatches(const std::string& input, const std::string& replacement) {
  struct TDetach {
    TRegexEngine& Re;
    ~TDetach() {
      Re.FInput.clear();
      Re.FText = nullptr;
      Re.FHasInput = false;
      Re.ClearGroups();
    }
  } detach{*this};
  std::string result;
  if (replacement.empty()) result.reserve(input.size());
  size_t from = 0;
  AttachInput(input);
  if (ExecPos(1)) {
    do {
      size_t start = static_cast<size_t>(MatchStart(0) - 1);
      result.append(input, from, start - from);
      result += replacement;
      from = start + static_cast<size_t>(MatchLength(0));
    } while (ExecNext());
  }
  result.append(input, from, std::string::npos);
  return result;
}
