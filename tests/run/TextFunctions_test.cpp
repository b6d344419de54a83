#include <gtest/gtest.h>

#include <string>

#include "run/MacroRun.h"
#include "run/RunTestUtil.h"
#include "regex/RegExpr.h"

namespace {

std::string Stripped(const std::string& expression, const std::string& selection) {
  TMacroRun run(MacroWith(mtStripTags, {{mxLine1, expression}}));
  run.FSelection = selection;
  EXPECT_TRUE(run.RunTextStep());
  return run.FSelection;
}

const std::string kDefaultExpression = "<(.*?)>";

}  // namespace

TEST(ChangeCase, SwapsAsciiLettersOnly) {
  TMacroRun run(MacroWith(mtChangeCase, {}));
  run.FSelection = "Hello, World! 123 \xc4\xe9\xff@[`{";
  EXPECT_TRUE(run.RunTextStep());
  EXPECT_EQ(run.FSelection, "hELLO, wORLD! 123 \xc4\xe9\xff@[`{");
}

TEST(ChangeCase, KeepsZeroBytesAndLength) {
  TMacroRun run(MacroWith(mtChangeCase, {}));
  run.FSelection = std::string("a\0Z", 3);
  run.DoChangeCase();
  EXPECT_EQ(run.FSelection, std::string("A\0z", 3));
}

TEST(StripTags, DefaultExpressionRemovesTags) {
  EXPECT_EQ(Stripped(kDefaultExpression, "<b>bold</b> and <I>x</I>"), "bold and x");
}

TEST(StripTags, TagRunningOverALineBreakGoesWhole) {
  EXPECT_EQ(Stripped(kDefaultExpression, "a<span\r\nclass=\"x\">b"), "ab");
}

TEST(StripTags, TextWithoutTagsAndEmptySelectionAreUnchanged) {
  EXPECT_EQ(Stripped(kDefaultExpression, "no tags here\r\n"), "no tags here\r\n");
  EXPECT_EQ(Stripped(kDefaultExpression, ""), "");
}

TEST(StripTags, CaseInsensitive) {
  EXPECT_EQ(Stripped("<b>", "<B>x<b>"), "x");
}

TEST(StripTags, MultiLineAnchors) {
  EXPECT_EQ(Stripped("^#", "#a\r\n#b\n#c"), "a\r\nb\nc");
}

TEST(StripTags, EmptyMatchesDeleteNothingAndEnd) {
  EXPECT_EQ(Stripped("x*", "axxbx"), "ab");
  EXPECT_EQ(Stripped("q?", "abc"), "abc");
}

TEST(StripTags, BadExpressionRaises) {
  EXPECT_THROW(Stripped("(unclosed", "text"), ERegexError);
}

TEST(StripTags, EmptyExpressionRaisesEvenOnAnEmptySelection) {
  TMacroRun run(MacroWith(mtStripTags, {}));
  try {
    run.DoStripTags();
    FAIL() << "no error";
  } catch (const ERegexError& error) {
    EXPECT_STREQ(error.what(), "TRegexEngine(exec): Not Assigned Expression Property");
  }
}
