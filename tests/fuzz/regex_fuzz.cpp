// Compiles a random expression under random modifiers and runs it over
// random input: no input may crash, hang or leave a match out of bounds,
// and remembering failures never changes the match.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "regex/RegExpr.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckGroups(const TRegexEngine& re, int inputLength) {
  for (int n = 0; n <= 14; ++n) {
    int start = re.MatchStart(n), length = re.MatchLength(n);
    Check((start == -1) == (length == -1));
    if (start == -1) continue;
    Check(start >= 1 && length >= 0 && start - 1 + length <= inputLength);
  }
  Check(re.MatchStart(0) != -1);
}

void Run(TRegexEngine& re, const std::string& input) {
  std::string stripped = re.ReplaceMatches(input, "");
  Check(stripped.size() <= input.size());
  if (re.Exec(input)) CheckGroups(re, static_cast<int>(input.size()));
  for (int offset = 1; offset <= static_cast<int>(input.size()) + 2; offset += 3)
    if (re.ExecPos(offset)) {
      CheckGroups(re, static_cast<int>(input.size()));
      Check(re.MatchStart(0) >= offset);
    }
}

// With no budget a search remembers failures from its first step (where its
// program allows): whenever both finish, it finds what the plain one finds.
void CompareRemembering(TRegexEngine& re, TRegexEngine& remembering, const std::string& input) {
  bool plain = false, memo = false;
  try {
    plain = re.Exec(input);
    memo = remembering.Exec(input);
  } catch (const ERegexError&) {
    return;
  }
  Check(plain == memo);
  for (int n = 0; n <= 14; ++n)
    Check(re.MatchStart(n) == remembering.MatchStart(n) && re.MatchLength(n) == remembering.MatchLength(n));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int modifiers = data[0];
  size_t exprLength = data[1] % 64;
  data += 2;
  size -= 2;
  if (exprLength > size) exprLength = size;
  std::string expr(reinterpret_cast<const char*>(data), exprLength);
  std::string input(reinterpret_cast<const char*>(data + exprLength), size - exprLength);
  TRegexEngine re, remembering;
  for (TRegexEngine* engine : {&re, &remembering}) {
    for (int index = 1; index <= 6; ++index) engine->SetModifierFlag(index, (modifiers >> (index - 1)) & 1);
    if (modifiers & 0x40) engine->SetLinePairedSeparator("");
    engine->Expression(expr);
  }
  re.SetStepBudget(200000, 200);
  remembering.SetStepBudget(0, 0);
  try {
    Run(re, input);
  } catch (const ERegexError& e) {
    Check(e.RegErrorCode != 0 && std::string(e.what()).size() > 0);
  }
  CompareRemembering(re, remembering, input);
  return 0;
}
