#include <gtest/gtest.h>

#include <memory>

#include "run/MacroRun.h"
#include "run/RunTestUtil.h"

namespace {

std::unique_ptr<TMacroRun> Scanned(TTextList texts) {
  auto run = std::make_unique<TMacroRun>(MacroWith(mtBlockMode, texts));
  run->ScanAllVariables();
  return run;
}

using TNames = std::vector<std::string>;

}  // namespace

TEST(ScanUserVariables, SameTokenInTwoFieldsIsOneVariable) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxFirstLine, "{$a}"}, {mxLastLine, "x{$a}y"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, TNames{"a"});
  EXPECT_EQ(run.FVarDefaults, TNames{""});
  EXPECT_EQ(run.FVarHasDefault, std::vector<bool>{false});
}

TEST(ScanUserVariables, TokensAreComparedWholeAndExactly) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{$a=1}{$a=1}{$a}{$A}{$a=2}"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, (TNames{"a", "a", "A", "a"}));
  EXPECT_EQ(run.FVarDefaults, (TNames{"1", "", "", "2"}));
  EXPECT_EQ(run.FVarHasDefault, (std::vector<bool>{true, false, false, true}));
  EXPECT_EQ(run.UserVariableToken(0), "a=1");
  EXPECT_EQ(run.UserVariableToken(1), "a");
}

TEST(ScanUserVariables, DefaultIsEverythingAfterTheFirstEquals) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{$a=x=y}{$b=}{$=c}"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, (TNames{"a", "b", ""}));
  EXPECT_EQ(run.FVarDefaults, (TNames{"x=y", "", "c"}));
  EXPECT_EQ(run.FVarHasDefault, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(run.UserVariableToken(1), "b=") << "{$b=} must keep its '=' in the tag";
}

TEST(ScanUserVariables, EmptyTokenIsAVariableWithAnEmptyName) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "<{$}>"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, TNames{""});
  EXPECT_EQ(run.FVarHasDefault, std::vector<bool>{false});
}

TEST(ScanUserVariables, OrderOfFirstAppearanceFollowsTheRunsFieldOrder) {
  // Replace1 and With1 come before Line2 in a run's passes.
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine3, "{$l3}"},
                                        {mxLine2, "{$l2}"},
                                        {mxWith1, "{$w1}"},
                                        {mxReplace1, "{$r1}"},
                                        {mxLine1, "{$l1}"},
                                        {mxLastLine, "{$last}"},
                                        {mxFirstLine, "{$first}"},
                                        {mxWith3, "{$w3}"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, (TNames{"first", "last", "l1", "r1", "w1", "l2", "l3", "w3"}));
}

TEST(ScanUserVariables, NoNestingNoEscape) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{$a{$b}}"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, TNames{"a{$b"});
}

TEST(ScanUserVariables, NamesMayHoldSpacesAndPunctuation) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{$Your name, please=Ann Smith}"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FVarNames, TNames{"Your name, please"});
  EXPECT_EQ(run.FVarDefaults, TNames{"Ann Smith"});
}

TEST(ScanUnclosedTags, UnclosedTagEndsTheScanOfThatTextOnly) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxFirstLine, "{$a}{$b {$c"},
                                        {mxLastLine, "{$d}"}}));
  run.ScanAllVariables();
  // "{$b {$c" has no "}" at all; the next text is scanned afresh.
  EXPECT_EQ(run.FVarNames, (TNames{"a", "d"}));
}

TEST(ScanUnclosedTags, UnclosedTagOfOneKindLeavesOtherKindsAlone) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{file:f}{image:p{$a}"}}));
  run.ScanAllVariables();
  EXPECT_EQ(run.FFileVars, TNames{"f"});
  // "{image:" takes everything up to the first "}" as its name.
  EXPECT_EQ(run.FImageVars, TNames{"p{$a"});
  EXPECT_EQ(run.FVarNames, TNames{"a"});
}

TEST(ScanFileAndImageVariables, FirstAppearanceAndNoDuplicates) {
  auto run = Scanned({{mxFirstLine, "{file:f}{image:p}"},
                           {mxLastLine, "{file:g}{file:f}{image:q}{image:p}"},
                           {mxLine1, "{width:p}{height:z}"}});
  EXPECT_EQ(run->FFileVars, (TNames{"f", "g"}));
  EXPECT_EQ(run->FImageVars, (TNames{"p", "q"}));
  EXPECT_TRUE(run->FVarNames.empty());
  EXPECT_FALSE(run->FUsesRelDir);
}

TEST(ScanFileAndImageVariables, TagsAreCaseSensitive) {
  auto run = Scanned({{mxLine1, "{File:f}{IMAGE:p}{file:F}"}});
  EXPECT_EQ(run->FFileVars, TNames{"F"});
  EXPECT_TRUE(run->FImageVars.empty());
}

TEST(ScanRelDir, LastTagMetInTheRunWins) {
  auto run = Scanned({{mxFirstLine, "{reldir:one/}{reldir:two/}"},
                           {mxLine1, "{reldir:three/}"}});
  EXPECT_EQ(run->FRelDirName, "three/");
  EXPECT_TRUE(run->FUsesRelDir);
}

TEST(ScanRelDir, UnclosedTagSetsUsesRelDirButNoName) {
  auto run = Scanned({{mxLine1, "{reldir:images/"}});
  EXPECT_TRUE(run->FUsesRelDir);
  EXPECT_EQ(run->FRelDirName, "");
}

TEST(ScanRelDir, NoTagNoRelDir) {
  auto run = Scanned({{mxLine1, "{image:p} {reldir}"}});
  EXPECT_FALSE(run->FUsesRelDir);
  EXPECT_EQ(run->FRelDirName, "");
}

TEST(ScanRelDir, FoundInAReplaceField) {
  auto run = Scanned({{mxWith3, "{reldir:z/}"}});
  EXPECT_TRUE(run->FUsesRelDir);
  EXPECT_EQ(run->FRelDirName, "z/");
}
