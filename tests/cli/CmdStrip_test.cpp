// zarvel-cli strip: standard input with every match deleted.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliRun.h"

namespace {

TEST(CliStrip, DeletesEveryMatchWithIAndMOn) {
  TRun run = Cli({"strip", "--expr", "<(.*?)>"}, "<b>bold</b> and <I>x</I>\r\n<p\r\nclass=y>z");
  EXPECT_EQ(0, run.Code);
  EXPECT_EQ("bold and x\r\nz", run.Out);
  EXPECT_EQ("", run.Err);
  EXPECT_EQ("a", Cli({"strip", "--expr", "B"}, "ab").Out);          // i on
  EXPECT_EQ("\r\n", Cli({"strip", "--expr", "^x$"}, "x\r\nx").Out);  // m on
}

TEST(CliStrip, ModifiersSwitchOffOrOn) {
  EXPECT_EQ("ab", Cli({"strip", "--expr", "B", "--modifiers", "-i"}, "ab").Out);
  EXPECT_EQ("x\r\nx", Cli({"strip", "--expr=^x$", "--modifiers=-m"}, "x\r\nx").Out);
  EXPECT_EQ("", Cli({"strip", "--expr", "a b", "--modifiers", "x"}, "ab").Out);
  EXPECT_EQ("", Cli({"strip", "--expr", "<.*>"}, "<a>x<b>").Out);
  EXPECT_EQ("x", Cli({"strip", "--expr", "<.*>", "--modifiers", "-g"}, "<a>x<b>").Out);
}

TEST(CliStrip, EmptyInputAndNoMatches) {
  EXPECT_EQ("", Cli({"strip", "--expr", "<(.*?)>"}, "").Out);
  EXPECT_EQ("plain text", Cli({"strip", "--expr", "<(.*?)>"}, "plain text").Out);
}

TEST(CliStrip, CompileErrorGoesToStandardError) {
  TRun run = Cli({"strip", "--expr", "x{2,1}"}, "xx");
  EXPECT_EQ(1, run.Code);
  EXPECT_EQ("", run.Out);
  EXPECT_NE(std::string::npos, run.Err.find("TRegexEngine(comp): BRACE Min Param Greater Than Max (pos 6)"));
  run = Cli({"strip", "--expr", ""}, "xx");
  EXPECT_EQ(1, run.Code);
  EXPECT_NE(std::string::npos, run.Err.find("Not Assigned Expression Property"));
}

// Only a back-reference can still run away: the empty group 1 changes no
// match, but the search can no longer remember where it failed.
TEST(CliStrip, RunawaySearchEndsWithMessage) {
  TRun run = Cli({"strip", "--expr", "()(a|aa)+\\1$"}, std::string(60, 'a') + "b");
  EXPECT_EQ(1, run.Code);
  EXPECT_EQ("", run.Out);
  EXPECT_NE(std::string::npos, run.Err.find("too complex for the input"));
}

TEST(CliStrip, CatastrophicShapesAnswer) {
  EXPECT_EQ("bbb" + std::string(30, 'a'), Cli({"strip", "--expr", ".X(.+)+X"}, "bbbbXcX" + std::string(30, 'a')).Out);
  TRun run = Cli({"strip", "--expr", "(a|aa)+$"}, std::string(60, 'a') + "b");
  EXPECT_EQ(0, run.Code);
  EXPECT_EQ(std::string(60, 'a') + "b", run.Out);
}

TEST(CliStrip, UsageErrors) {
  EXPECT_EQ(2, Cli({"strip"}, "").Code);
  EXPECT_EQ(2, Cli({"strip", "--expr", "a", "--modifiers", "q"}, "").Code);
  EXPECT_EQ(2, Cli({"strip", "--expr", "a", "extra"}, "").Code);
}

}  // namespace
