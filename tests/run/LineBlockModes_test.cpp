#include <gtest/gtest.h>

#include <string>

#include "run/MacroRun.h"
#include "run/RunTestUtil.h"

namespace {

std::string Processed(std::uint8_t type, TTextList texts, const std::string& selection) {
  TMacroRun run(MacroWith(type, texts));
  run.FSelection = selection;
  EXPECT_TRUE(run.RunTextStep());
  return run.FSelection;
}

std::string LineMode(TTextList texts, const std::string& selection) {
  return Processed(mtLineMode, texts, selection);
}

std::string BlockMode(TTextList texts, const std::string& selection) {
  return Processed(mtBlockMode, texts, selection);
}

std::string Replaced(TTextList pairs, const std::string& selection) {
  TMacroRun run(MacroWith(mtBlockMode, pairs));
  run.FSelection = selection;
  run.ApplyReplacePairs();
  return run.FSelection;
}

}  // namespace

TEST(BlockMode, TemplateAloneAddsNoLineBreak) {
  EXPECT_EQ(BlockMode({{mxLine1, "<b>{line}</b>"}}, "x"), "<b>x</b>");
}

TEST(BlockMode, FirstAndLastLinesGetALineBreakEach) {
  EXPECT_EQ(BlockMode({{mxFirstLine, "<p>"}, {mxLine1, "{line}"}, {mxLastLine, "</p>"}}, "x"),
            "<p>\r\nx</p>\r\n");
}

TEST(BlockMode, LineTagInFirstLineIsFilledButNotInLastLine) {
  EXPECT_EQ(BlockMode({{mxFirstLine, "[{line}]"}, {mxLine1, "({line})"}, {mxLastLine, "{line}"}}, "s"),
            "[s]\r\n(s){line}\r\n");
}

TEST(BlockMode, LineTagInsideTheSelectionIsNotReplacedAgain) {
  EXPECT_EQ(BlockMode({{mxLine1, "{line}|{line}"}}, "a{line}b"), "a{line}b|a{line}b");
}

TEST(BlockMode, TemplateWithoutLineTagDropsTheSelection) {
  EXPECT_EQ(BlockMode({{mxLine1, "fixed"}}, "gone"), "fixed");
}

TEST(BlockMode, EmptySelection) {
  EXPECT_EQ(BlockMode({{mxFirstLine, "F"}, {mxLine1, "<{line}>"}, {mxLastLine, "L"}}, ""),
            "F\r\n<>L\r\n");
  EXPECT_EQ(BlockMode({{mxLine1, "{line}"}}, ""), "");
}

TEST(BlockMode, SelectionKeptByteForByte) {
  const std::string selection("a\r\n\"b\0c\xe9\n", 10);
  EXPECT_EQ(BlockMode({{mxLine1, "{line}"}}, selection), selection);
}

TEST(LineMode, ListAroundLines) {
  EXPECT_EQ(LineMode({{mxFirstLine, "<ul>"}, {mxLine1, "<li>{line}</li>"}, {mxLastLine, "</ul>"}},
                     "a\r\nb\r\n"),
            "<ul>\r\n<li>a</li>\r\n<li>b</li>\r\n</ul>\r\n");
}

TEST(LineMode, BlankLinesDoNotAdvanceTheCycle) {
  EXPECT_EQ(LineMode({{mxLine1, "A{line}"}, {mxLine2, "B{line}"}}, "x\r\n\r\ny\r\nz"),
            "Ax\r\nBy\r\nAz\r\n");
}

TEST(LineMode, ThreeTemplatesCycle) {
  EXPECT_EQ(LineMode({{mxLine1, "1{line}"}, {mxLine2, "2{line}"}, {mxLine3, "3{line}"}}, "a\nb\nc\nd\ne"),
            "1a\r\n2b\r\n3c\r\n1d\r\n2e\r\n");
}

TEST(LineMode, EmptyLine2MeansOneTemplateEvenWithLine3) {
  EXPECT_EQ(LineMode({{mxLine1, "1{line}"}, {mxLine3, "3{line}"}}, "a\nb\nc"), "1a\r\n1b\r\n1c\r\n");
}

TEST(LineMode, EveryLineBreakStyleSplitsAlike) {
  const TTextList texts = {{mxLine1, "<{line}>"}};
  const std::string expected = "<a>\r\n<b>\r\n<c>\r\n";
  EXPECT_EQ(LineMode(texts, "a\r\nb\r\nc\r\n"), expected);
  EXPECT_EQ(LineMode(texts, "a\nb\nc\n"), expected);
  EXPECT_EQ(LineMode(texts, "a\rb\rc\r"), expected);
  EXPECT_EQ(LineMode(texts, "a\n\rb\r\r\nc"), expected);
}

TEST(LineMode, OddQuoteJoinsLinesUpToTheNextQuote) {
  EXPECT_EQ(LineMode({{mxLine1, "<{line}>"}}, "say \"one\r\ntwo\" now\r\nthree"),
            "<say \"one\r\ntwo\" now>\r\n<three>\r\n");
}

TEST(LineMode, UnclosedQuoteTakesTheRestAsOnePiece) {
  EXPECT_EQ(LineMode({{mxLine1, "<{line}>"}}, "a\r\n\"b\r\nc\r\n"), "<a>\r\n<\"b\r\nc\r\n>\r\n");
}

TEST(LineMode, LinesAreNotTrimmed) {
  EXPECT_EQ(LineMode({{mxLine1, "[{line}]"}}, "  \r\n\tx "), "[  ]\r\n[\tx ]\r\n");
}

TEST(LineMode, EmptySelectionGivesFirstAndLastLinesOnly) {
  EXPECT_EQ(LineMode({{mxFirstLine, "F"}, {mxLine1, "<{line}>"}, {mxLastLine, "L"}}, ""), "F\r\nL\r\n");
  EXPECT_EQ(LineMode({{mxLine1, "<{line}>"}}, "\r\n\r\n"), "");
}

TEST(LineMode, LineTagInsideALineStaysAndEveryTemplateTagIsFilled) {
  EXPECT_EQ(LineMode({{mxLine1, "{line}={line}"}}, "{line}\nx"), "{line}={line}\r\nx=x\r\n");
}

TEST(LineMode, TemplateWithoutLineTagRepeatsPerLine) {
  EXPECT_EQ(LineMode({{mxLine1, "-"}}, "a\nb"), "-\r\n-\r\n");
}

TEST(LineMode, LineTagsInFirstAndLastLinesStay) {
  EXPECT_EQ(LineMode({{mxFirstLine, "{line}"}, {mxLine1, "{line}"}, {mxLastLine, "{line}"}}, "a"),
            "{line}\r\na\r\n{line}\r\n");
}

TEST(ReplacePairs, NoRescanOfInsertedText) {
  EXPECT_EQ(Replaced({{mxReplace1, "a"}, {mxWith1, "aa"}}, "aaa"), "aaaaaa");
}

TEST(ReplacePairs, EmptySearchTextChangesNothing) {
  EXPECT_EQ(Replaced({{mxWith1, "x"}}, "abc"), "abc");
}

TEST(ReplacePairs, CaseSensitive) {
  EXPECT_EQ(Replaced({{mxReplace1, "A"}, {mxWith1, "x"}}, "aA"), "ax");
}

TEST(ReplacePairs, EmptyReplacementDeletes) {
  EXPECT_EQ(Replaced({{mxReplace2, "-"}}, "a-b-c"), "abc");
}

TEST(ReplacePairs, LeftToRightWithoutOverlap) {
  EXPECT_EQ(Replaced({{mxReplace1, "aa"}, {mxWith1, "b"}}, "aaaaa"), "bba");
}

TEST(ReplacePairs, LaterPairsSeeEarlierResults) {
  EXPECT_EQ(Replaced({{mxReplace1, "a"},
                      {mxWith1, "b"},
                      {mxReplace2, "b"},
                      {mxWith2, "c"},
                      {mxReplace3, "cc"},
                      {mxWith3, "d"}},
                     "ab"),
            "d");
}

TEST(ReplacePairs, HyphenToPlus) {
  EXPECT_EQ(Replaced({{mxReplace1, "-"}, {mxWith1, "+"}}, "a-b"), "a+b");
}

TEST(ReplacePairs, LineTokenInASearchTextMatchesLineBreaksAfterExpansion) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxReplace1, "{n}"}, {mxWith1, "<br>{$a}"}}));
  run.ExpandAllLineTokens();
  run.FSelection = "a\r\nb";
  run.ApplyReplacePairs();
  // Variables in the pairs are used literally: the pairs run before the prompt.
  EXPECT_EQ(run.FSelection, "a<br>{$a}b");
}

TEST(ProcessingSteps, OnlyTheFourTextTypesRunHere) {
  for (int type : {int(mtRunProgram), int(mtTidyHTML), int(mtEmail), 7, 255}) {
    TMacroRun run(MacroWith(static_cast<std::uint8_t>(type), {{mxLine1, "{line}!"}}));
    run.FSelection = "Sel";
    EXPECT_FALSE(run.RunTextStep()) << type;
    EXPECT_EQ(run.FSelection, "Sel") << type;
  }
}
