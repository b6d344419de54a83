#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "run/MacroRun.h"
#include "run/RunTestUtil.h"

namespace {

// A run over the given texts, scanned, its user variables given `values`.
std::unique_ptr<TMacroRun> WithValues(TTextList texts, const std::vector<std::string>& values,
                                      TImageSizeReader reader = nullptr) {
  auto run = std::make_unique<TMacroRun>(MacroWith(mtBlockMode, texts), std::move(reader));
  run->ScanAllVariables();
  run->ApplyUserVariables(values);
  return run;
}

std::string Line1After(const std::string& line1, const std::vector<std::string>& values) {
  return WithValues({{mxLine1, line1}}, values)->FMacro.Text(mxLine1);
}

}  // namespace

TEST(UserVariables, EveryOccurrenceInEveryFieldIsReplaced) {
  auto run = WithValues({{mxFirstLine, "{$a}"}, {mxLastLine, "<{$a}>"}, {mxWith2, "{$a}{$a}"}}, {"V"});
  EXPECT_EQ(run->FMacro.Text(mxFirstLine), "V");
  EXPECT_EQ(run->FMacro.Text(mxLastLine), "<V>");
  EXPECT_EQ(run->FMacro.Text(mxWith2), "VV");
}

TEST(UserVariables, EachFormReplacesOnlyItsOwnTag) {
  EXPECT_EQ(Line1After("{$a}|{$a=1}|{$a=1}|{$a}", {"plain", "given"}), "plain|given|given|plain");
}

TEST(UserVariables, DefaultWithEqualsSignsAndEmptyName) {
  EXPECT_EQ(Line1After("[{$a=x=y}][{$}]", {"1", "2"}), "[1][2]");
}

TEST(UserVariables, ReplacementIsCaseSensitiveAndNotRescanned) {
  EXPECT_EQ(Line1After("{$a}{$A}", {"{$a}", "b"}), "{$a}b");
}

TEST(UserVariables, ValueHoldingALaterVariablesTagIsExpandedByThatVariable) {
  EXPECT_EQ(Line1After("{$first} {$second}", {"<{$second}>", "2"}), "<2> 2");
  // The other way round the earlier pass is over: the tag stays as typed.
  EXPECT_EQ(Line1After("{$first} {$second}", {"1", "<{$first}>"}), "1 <{$first}>");
}

TEST(UserVariables, ValueTypedAsALineTokenStaysAsTyped) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{$a}{n}"}}));
  run.ExpandAllLineTokens();
  run.ScanAllVariables();
  run.ApplyUserVariables({"{n}{tab}"});
  EXPECT_EQ(run.FMacro.Text(mxLine1), "{n}{tab}\r\n");
}

TEST(OptionalSections, EmptyValueRemovesTheWholeSection) {
  EXPECT_EQ(Line1After("Hello{!Dear {$!name},!} there", {""}), "Hello there");
}

TEST(OptionalSections, ValueRemovesOnlyTheMarkers) {
  EXPECT_EQ(Line1After("{!Dear {$!name},!}", {"Ann"}), "Dear Ann,");
}

TEST(OptionalSections, EverySectionOfTheVariableGoes) {
  EXPECT_EQ(Line1After("a{!1{$!x}1!}b{!2{$!x}2!}c", {""}), "abc");
  EXPECT_EQ(Line1After("a{!1{$!x}1!}b{!2{$!x}2!}c", {"-"}), "a1-1b2-2c");
}

TEST(OptionalSections, SectionWithoutSectionVariableKeepsItsMarkers) {
  EXPECT_EQ(Line1After("{!static!} {!Hi {$!x}!}", {""}), "{!static!} ");
  EXPECT_EQ(Line1After("{!plain {$x}!}", {""}), "{!plain !}");
}

TEST(OptionalSections, BoundToTheNearestMarkersAroundTheTag) {
  EXPECT_EQ(Line1After("{!a {!b {$!x} c!} d!}", {""}), "{!a  d!}");
  EXPECT_EQ(Line1After("{!a {!b {$!x} c!} d!}", {"v"}), "{!a b v c d!}");
}

TEST(OptionalSections, SearchGoesOnFromTheTagsEndBeforeItsMarkersWent) {
  // The second tag starts right behind the first once "{!" and "!}" are gone,
  // which is before the search resumes: it is replaced, its section kept.
  EXPECT_EQ(Line1After("{!{!{$!x}!}{$!x}!}", {"v"}), "{!vv!}");
}

TEST(OptionalSections, MissingMarkerLeavesTheTextAndReplacesTheTag) {
  EXPECT_EQ(Line1After("{$!x} c!}", {""}), " c!}");
  EXPECT_EQ(Line1After("{!a {$!x}", {""}), "{!a ");
  EXPECT_EQ(Line1After("!} {$!x} {!", {"v"}), "!} v {!");
}

TEST(OptionalSections, SectionVariableWithADefault) {
  EXPECT_EQ(Line1After("[{!To {$!who=Ann}!}]", {""}), "[]");
  EXPECT_EQ(Line1After("[{!To {$!who=Ann}!}]", {"Ann"}), "[To Ann]");
}

TEST(OptionalSections, SectionSpanningFieldsIsNotASection) {
  auto run = WithValues({{mxFirstLine, "{!Dear {$!n}"}, {mxLastLine, "!}"}}, {""});
  EXPECT_EQ(run->FMacro.Text(mxFirstLine), "{!Dear ");
  EXPECT_EQ(run->FMacro.Text(mxLastLine), "!}");
}

TEST(FileVariables, OnePathForEveryOccurrence) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxFirstLine, "{file:f}"}, {mxLastLine, "({file:f})"}}));
  run.ScanAllVariables();
  ASSERT_EQ(run.FFileVars.size(), 1u);
  run.SubstituteFileVariable(0, "C:\\docs\\a b.txt");
  EXPECT_EQ(run.FMacro.Text(mxFirstLine), "C:\\docs\\a b.txt");
  EXPECT_EQ(run.FMacro.Text(mxLastLine), "(C:\\docs\\a b.txt)");
}

TEST(FileVariables, CancelledDialogEmptiesTheTag) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "<{file:f}>{file:g}"}}));
  run.ScanAllVariables();
  run.SubstituteFileVariable(0, "");
  EXPECT_EQ(run.FMacro.Text(mxLine1), "<>{file:g}");
}

TEST(FileVariables, TagInAUserValueIsFilledWhenTheTextsHoldIt) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{$a}"}, {mxLine2, "{file:f}"}}));
  run.ScanAllVariables();
  run.ApplyUserVariables({"see {file:f}"});
  run.SubstituteFileVariable(0, "x.txt");
  EXPECT_EQ(run.FMacro.Text(mxLine1), "see x.txt");
}

class ImageVariables : public ::testing::Test {
 protected:
  // A picture that exists, and a reader that knows its size.
  void SetUp() override {
    FPicture = FFolder.File("a.png");
    WriteBytes(FPicture, "not really a picture");
  }
  TImageSizeReader Reader(TImageSize size) {
    return [this, size](const std::string& path) {
      FReads.push_back(path);
      return size;
    };
  }
  std::unique_ptr<TMacroRun> Run(TTextList texts, TImageSize size = {300, 200}) {
    auto run = std::make_unique<TMacroRun>(MacroWith(mtBlockMode, texts), Reader(size));
    run->ScanAllVariables();
    return run;
  }

  TTempFolder FFolder;
  std::string FPicture;
  std::vector<std::string> FReads;
};

TEST_F(ImageVariables, ImageWidthAndHeightTagsAreFilled) {
  auto run = Run({{mxLine1, "<img src=\"{image:p}\" width=\"{width:p}\" height=\"{height:p}\">{reldir:images/}"}});
  run->FRelDir = "images/";
  run->SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run->FMacro.Text(mxLine1), "<img src=\"images/a.png\" width=\"300\" height=\"200\">");
}

TEST_F(ImageVariables, PictureIsReadOnceForAllTexts) {
  auto run = Run({{mxFirstLine, "{width:p}"}, {mxLastLine, "{height:p}"}, {mxLine1, "{image:p}"}});
  run->SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(FReads, std::vector<std::string>{FPicture});
  EXPECT_EQ(run->FMacro.Text(mxFirstLine), "300");
  EXPECT_EQ(run->FMacro.Text(mxLastLine), "200");
}

TEST_F(ImageVariables, WithoutRelDirTheImageTagIsTheBareFileName) {
  auto run = Run({{mxLine1, "{image:p}"}});
  run->SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run->FMacro.Text(mxLine1), "a.png");
}

TEST_F(ImageVariables, MissingFileIsZeroByZeroAndIsNotRead) {
  auto run = Run({{mxLine1, "{image:p} {width:p}x{height:p}"}});
  run->FRelDir = "i/";
  run->SubstituteImageVariable(0, FFolder.File("gone.png"));
  EXPECT_EQ(run->FMacro.Text(mxLine1), "i/gone.png 0x0");
  EXPECT_TRUE(FReads.empty());
}

TEST_F(ImageVariables, EmptyPathGivesTheRelDirAlone) {
  auto run = Run({{mxLine1, "{image:p}|{width:p}"}});
  run->FRelDir = "i/";
  run->SubstituteImageVariable(0, "");
  EXPECT_EQ(run->FMacro.Text(mxLine1), "i/|0");
  EXPECT_TRUE(FReads.empty());
}

TEST_F(ImageVariables, NegativeHeightOfATopDownBitmapIsWrittenAsIs) {
  auto run = Run({{mxLine1, "{image:p} {width:p} {height:p}"}}, {32, -16});
  run->SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run->FMacro.Text(mxLine1), "a.png 32 -16");
}

TEST_F(ImageVariables, SizeTagsWithoutAnImageTagStay) {
  auto run = Run({{mxLine1, "{image:p}{width:q}{height:q}{width:P}"}});
  run->SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run->FMacro.Text(mxLine1), "a.png{width:q}{height:q}{width:P}");
}

TEST_F(ImageVariables, OnlyTheLastNamedRelDirTagIsRemoved) {
  auto run = Run({{mxFirstLine, "{reldir:a/}"}, {mxLine1, "{image:p}{reldir:b/}{reldir:a/}"}, {mxLine2, "{reldir:a/}"}});
  EXPECT_EQ(run->FRelDirName, "a/");
  run->SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run->FMacro.Text(mxFirstLine), "");
  EXPECT_EQ(run->FMacro.Text(mxLine1), "a.png{reldir:b/}");
}

TEST_F(ImageVariables, RelDirTagStaysInARunWithoutImageVariables) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{reldir:x/}{file:f}"}}));
  run.ScanAllVariables();
  run.SubstituteFileVariable(0, "f");
  EXPECT_EQ(run.FMacro.Text(mxLine1), "{reldir:x/}f");
}

TEST_F(ImageVariables, PictureThatIsNoPictureIsZeroByZero) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{image:p}={width:p}"}}));
  run.ScanAllVariables();
  run.SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run.FMacro.Text(mxLine1), "a.png=0");
}

TEST_F(ImageVariables, EmptyReaderMeansZeroByZero) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxLine1, "{width:p}{image:p}"}}), TImageSizeReader());
  run.ScanAllVariables();
  run.SubstituteImageVariable(0, FPicture);
  EXPECT_EQ(run.FMacro.Text(mxLine1), "0a.png");
}
