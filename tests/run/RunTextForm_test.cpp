// The run's steps over text from a double-byte code page (932, Japanese),
// in the form the run chooses for it.

#include <gtest/gtest.h>

#include <string>

#include "base/CodePage.h"
#include "run/MacroRun.h"
#include "run/RunTestUtil.h"
#include "run/RunTextForm.h"

namespace {

constexpr unsigned kJapanese = 932;
constexpr unsigned kJapaneseMaxCharSize = 2;

// Katakana whose second bytes in code page 932 are ASCII: "}" (MA),
// "{" (BO) and "A" (A).
const std::string kMa = "\x83\x7D", kBo = "\x83\x7B", kA = "\x83\x41";

// Runs `step` over texts given in code page 932, in the form the run picks
// for that code page, and gives the results back in code page 932.
template <typename TStep>
void InRunForm(TMacroRun& run, TStep step) {
  const bool utf8 = RunsInUtf8FromStart(kJapaneseMaxCharSize);
  auto in = [utf8](std::string& text) { if (utf8) text = AnsiToUtf8(text, kJapanese); };
  auto out = [utf8](std::string& text) { if (utf8) text = Utf8ToAnsi(text, kJapanese); };
  run.FUtf8Texts = utf8;
  for (std::string& text : run.FMacro.Texts) in(text);
  in(run.FSelection);
  step();
  for (std::string& text : run.FMacro.Texts) out(text);
  for (std::string& name : run.FVarNames) out(name);
  out(run.FSelection);
}

}  // namespace

TEST(RunTextForm, OnlyMultiByteCodePagesRunInUtf8FromTheStart) {
  EXPECT_FALSE(RunsInUtf8FromStart(1));
  EXPECT_TRUE(RunsInUtf8FromStart(2));
  EXPECT_TRUE(RunsInUtf8FromStart(4));
}

TEST(RunTextForm, ChangeCaseFlipsOnlyAsciiLetters) {
  TMacroRun run(MacroWith(mtChangeCase, {}));
  run.FSelection = "ab" + kA + "Cd" + kMa + kBo;
  InRunForm(run, [&] { run.DoChangeCase(); });
  EXPECT_EQ(run.FSelection, "AB" + kA + "cD" + kMa + kBo);
}

TEST(RunTextForm, TagsEndAtTheirOwnBraceNotInsideACharacter) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "<{$" + kMa + kBo + "}>{line}"}}));
  run.FSelection = kA + "x";
  InRunForm(run, [&] {
    run.ScanAllVariables();
    ASSERT_EQ(run.UserVariableCount(), 1);
    run.ApplyUserVariables({run.FVarNames[0]});
    run.DoBlockMode();
  });
  ASSERT_EQ(run.FVarNames.size(), 1u);
  EXPECT_EQ(run.FVarNames[0], kMa + kBo);
  EXPECT_EQ(run.FSelection, "<" + kMa + kBo + ">" + kA + "x");
}
