#include <gtest/gtest.h>

#include <string>

#include "common/TempFolder.h"
#include "run/MacroRun.h"
#include "run/RunTestUtil.h"
#include "run/UnattendedRun.h"
#include "base/OsFile.h"

namespace {

std::string RunMacro(const TMacro& macro, const std::string& selection, const TRunAnswers& answers = {},
                     TImageSizeReader reader = ReadImageSize) {
  TUnattendedRun run(macro, answers, std::move(reader));
  run.Run(selection);
  return run.FSelection;
}

}  // namespace

TEST(RunCopy, TakesEveryFieldOfTheRecord) {
  TMacro macro = MacroWith(mtLineMode, {{mxFirstLine, "f"}, {mxLine3, "l3"}, {mxWith2, "w2"}});
  SetTitle(macro, "Title");
  macro.ShortCut = 0x6054;
  TRunMacro copy = RunCopyOf(macro);
  EXPECT_EQ(copy.Title, "Title");
  EXPECT_EQ(copy.MacroType, mtLineMode);
  EXPECT_EQ(copy.ShortCut, 0x6054);
  for (int field = 0; field < kMacroTextCount; ++field)
    EXPECT_EQ(copy.Texts[field], GetMacroText(macro, static_cast<TMacroText>(field))) << field;
}

TEST(LineTokens, BreaksAndTabsInEveryText) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxFirstLine, "a{n}{n}b"}, {mxLine3, "{tab}x{N}{Tab}"}, {mxReplace3, "{n}"}}));
  run.ExpandAllLineTokens();
  EXPECT_EQ(run.FMacro.Text(mxFirstLine), "a\r\n\r\nb");
  EXPECT_EQ(run.FMacro.Text(mxLine3), "\tx{N}{Tab}");
  EXPECT_EQ(run.FMacro.Text(mxReplace3), "\r\n");
}

TEST(TextCapacity, TemplateGrowingPastTheRecordsBufferIsKeptWhole) {
  const std::string value(3000, 'v');
  TMacroRun run(MacroWith(mtBlockMode, {{mxFirstLine, "{$a}"}, {mxLine1, "[{$a}{line}]"}}));
  run.ScanAllVariables();
  run.ApplyUserVariables({value});
  EXPECT_EQ(run.FMacro.Text(mxLine1), "[" + value + "{line}]");
  run.FSelection = "s";
  run.DoBlockMode();
  EXPECT_EQ(run.FSelection, value + "\r\n[" + value + "s]");
}

TEST(TextCapacity, ReplaceAndWithTextsAreCutTo75OnEveryWrite) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxReplace1, "{$a}{$b}"}, {mxWith1, "<{$b}>"}}));
  run.ScanAllVariables();
  run.ApplyUserVariables({std::string(80, 'a'), "B"});
  // The a pass already cut Replace1 to 75, so {$b} was gone before its pass.
  EXPECT_EQ(run.FMacro.Text(mxReplace1), std::string(75, 'a'));
  EXPECT_EQ(run.FMacro.Text(mxWith1), "<B>");
}

TEST(TextCapacity, UnicodeTextsAreCutAtCharactersNeverInsideOne) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxWith1, "{$a}"}}));
  run.FUtf8Texts = true;
  run.ScanAllVariables();
  std::string value;
  for (int i = 0; i < 80; ++i) value += "\xC3\xA9";  // 80 times e with acute
  run.ApplyUserVariables({value});
  EXPECT_EQ(run.FMacro.Text(mxWith1), value.substr(0, 150));

  const std::string mark = "\xE2\x9C\x93";  // a check mark, three bytes
  TMacroRun check(MacroWith(mtBlockMode, {{mxWith1, std::string(71, 'x') + "{$a}"}}));
  check.FUtf8Texts = true;
  check.ScanAllVariables();
  check.ApplyUserVariables({mark + mark + mark + mark + mark});
  EXPECT_EQ(check.FMacro.Text(mxWith1), std::string(71, 'x') + mark + mark + mark + mark);
}

TEST(TextCapacity, FileAndImagePassesCutToo) {
  TMacroRun run(MacroWith(mtBlockMode, {{mxWith3, "{file:f}"}, {mxReplace2, "{image:p}"}}));
  run.ScanAllVariables();
  run.SubstituteFileVariable(0, std::string(100, 'f'));
  run.SubstituteImageVariable(0, std::string(100, 'p'));
  EXPECT_EQ(run.FMacro.Text(mxWith3), std::string(75, 'f'));
  EXPECT_EQ(run.FMacro.Text(mxReplace2), std::string(75, 'p'));
}

TEST(PassOrder, LaterPassesExpandTagsLeftByEarlierOnes) {
  TMacro macro = MacroWith(mtBlockMode, {{mxFirstLine, "{file:f}{image:p}{reldir:r/}"},
                                         {mxLine1, "{$a}|{line}"}});
  TRunAnswers answers;
  answers.Values["a"] = "{file:f}+{image:p}+{$a}";
  answers.Files["f"] = "F.txt";
  EXPECT_EQ(RunMacro(macro, "S", answers), "F.txtr/\r\nF.txt+r/+{$a}|S");
}

TEST(PassOrder, ReplacePairsUseTheirTextsBeforeThePrompt) {
  TMacro macro = MacroWith(mtBlockMode, {{mxReplace1, "{$x}"}, {mxWith1, "X"}, {mxLine1, "{line}{$x}"}});
  TRunAnswers answers;
  answers.Values["x"] = "v";
  EXPECT_EQ(RunMacro(macro, "a{$x}b", answers), "aXbv");
}

// Whole runs: texts as stored, a selection, the answers; the pasted result.
TEST(WholeRuns, HtmlListWithDefaultClass) {
  TMacro macro = MacroWith(mtLineMode, {{mxFirstLine, "<ul class=\"{$class=menu}\">"},
                                        {mxLine1, "{tab}<li>{line}</li>"},
                                        {mxLastLine, "</ul>"}});
  EXPECT_EQ(RunMacro(macro, "Home\r\nAbout\r\n"),
            "<ul class=\"menu\">\r\n\t<li>Home</li>\r\n\t<li>About</li>\r\n</ul>\r\n");
}

TEST(WholeRuns, LetterWithOptionalGreeting) {
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "{!Dear {$!name},{n}{n}!}{line}{n}{n}{$sign=Regards}"}});
  EXPECT_EQ(RunMacro(macro, "Text."), "Text.\r\n\r\nRegards");
  TRunAnswers answers;
  answers.Values["name"] = "Ann";  // named without its "!"
  answers.Values["sign"] = "Bob";
  EXPECT_EQ(RunMacro(macro, "Text.", answers), "Dear Ann,\r\n\r\nText.\r\n\r\nBob");
}

TEST(WholeRuns, TableRowsWithReplacePairsAndTwoTemplates) {
  TMacro macro = MacroWith(mtLineMode, {{mxFirstLine, "<table>"},
                                        {mxLine1, "<tr class=\"odd\"><td>{line}</td></tr>"},
                                        {mxLine2, "<tr class=\"even\"><td>{line}</td></tr>"},
                                        {mxLastLine, "</table>"},
                                        {mxReplace1, "{tab}"},
                                        {mxWith1, "</td><td>"},
                                        {mxReplace2, "&"},
                                        {mxWith2, "&amp;"}});
  EXPECT_EQ(RunMacro(macro, "a\tb\r\n\r\nc&d\te\r\nf"),
            "<table>\r\n"
            "<tr class=\"odd\"><td>a</td><td>b</td></tr>\r\n"
            "<tr class=\"even\"><td>c&amp;d</td><td>e</td></tr>\r\n"
            "<tr class=\"odd\"><td>f</td></tr>\r\n"
            "</table>\r\n");
}

TEST(WholeRuns, StripTagsWithAVariableInTheExpression) {
  TMacro macro = MacroWith(mtStripTags, {{mxLine1, "</?{$tag=b}>"}});
  EXPECT_EQ(RunMacro(macro, "<B>x</b> <i>y</i>"), "x <i>y</i>");
}

TEST(WholeRuns, ChangeCaseAfterReplacePairs) {
  TMacro macro = MacroWith(mtChangeCase, {{mxReplace1, "-"}, {mxWith1, "+"}});
  EXPECT_EQ(RunMacro(macro, "a-B"), "A+b");
}

TEST(WholeRuns, RunProgramTakesNoSelectionButSubstitutesItsTexts) {
  TMacro macro = MacroWith(mtRunProgram, {{mxLine1, "{file:exe}"}, {mxLine3, "{$args=-v} {line}"},
                                          {mxReplace1, "a"}, {mxWith1, "b"}});
  TRunAnswers answers;
  answers.Files["exe"] = "C:\\tools\\x.exe";
  TUnattendedRun run(macro, answers);
  EXPECT_FALSE(run.Run("aaa"));
  EXPECT_EQ(run.FSelection, "");
  EXPECT_EQ(run.FMacro.Text(mxLine1), "C:\\tools\\x.exe");
  EXPECT_EQ(run.FMacro.Text(mxLine3), "-v {line}");
}

TEST(WholeRuns, UnknownTypeTakesNothingAndStillSubstitutes) {
  TMacro macro = MacroWith(9, {{mxLine1, "{$a=1}{line}"}});
  TUnattendedRun run(macro, {});
  EXPECT_FALSE(run.Run("sel"));
  EXPECT_EQ(run.FSelection, "");
  EXPECT_EQ(run.FMacro.Text(mxLine1), "1{line}");
}

TEST(WholeRuns, ValueOfEveryFormOfAName) {
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "{$a}{$a=1}{$!a}{$b=2}{$c}"}});
  TRunAnswers answers;
  answers.Values["a"] = "A";
  EXPECT_EQ(RunMacro(macro, "", answers), "AAA2");
}

TEST(WholeRuns, PictureCopiedIntoTheWorkingDirectory) {
  TTempFolder folder;
  const std::string picked = folder.File("shot.png");
  WriteBytes(picked, "picture bytes");
  TMacro macro = MacroWith(mtBlockMode, {{mxFirstLine, "{reldir:img/}"},
                                         {mxLine1, "<img src=\"{image:p}\" width=\"{width:p}\" height=\"{height:p}\" alt=\"{line}\">"}});
  TRunAnswers answers;
  answers.Images["p"] = picked;
  answers.WorkDir = PathJoin(folder.Path(), "site") + PathSeparator();
  answers.CopyRule = kImageCopyAlways;
  auto reader = [](const std::string&) { return TImageSize{640, 480}; };
  EXPECT_EQ(RunMacro(macro, "Shot", answers, reader),
            "<img src=\"img/shot.png\" width=\"640\" height=\"480\" alt=\"Shot\">");
  EXPECT_EQ(ReadBytes(answers.WorkDir + RelDirOnDisk("img/") + "shot.png"), "picture bytes");
}

// The first 24 bytes of a PNG: signature, then the header chunk's length,
// type, width and height (big-endian).
std::string PngHeader(unsigned width, unsigned height) {
  std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (unsigned value : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes + std::string(5, '\0');
}

TEST(WholeRuns, PictureSizeFromTheFileItself) {
  TTempFolder folder;
  TRunAnswers answers;
  answers.Images["logo"] = folder.File("logo.png");
  WriteBytes(answers.Images["logo"], PngHeader(300, 200));
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "{line}: {image:logo} {width:logo}x{height:logo}"}});
  EXPECT_EQ(RunMacro(macro, "Logo", answers), "Logo: logo.png 300x200");
}

TEST(WholeRuns, PictureNotCopiedWhenTheRuleSaysNeverOrTheRunHasNoRelDir) {
  TTempFolder folder;
  const std::string picked = folder.File("shot.png");
  WriteBytes(picked, "x");
  TRunAnswers answers;
  answers.Images["p"] = picked;
  answers.WorkDir = PathJoin(folder.Path(), "site") + PathSeparator();
  answers.CopyRule = kImageCopyNever;
  RunMacro(MacroWith(mtBlockMode, {{mxLine1, "{image:p}{reldir:i/}"}}), "", answers);
  answers.CopyRule = kImageCopyAlways;
  EXPECT_EQ(RunMacro(MacroWith(mtBlockMode, {{mxLine1, "{image:p}"}}), "", answers), "shot.png");
  EXPECT_FALSE(DirectoryExists(PathJoin(folder.Path(), "site")));
}

TEST(WholeRuns, GivenRelDirOverridesTheTagsName) {
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "{image:p}{reldir:img/}"}});
  TTempFolder folder;
  TRunAnswers answers;
  answers.Images["p"] = folder.File("a.gif");
  WriteBytes(answers.Images["p"], "GIF89a");
  answers.HasRelDir = true;
  answers.RelDir = "pics/";
  EXPECT_EQ(RunMacro(macro, "", answers), "pics/a.gif");
}

TEST(WholeRuns, MissingPictureIsAnError) {
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "{image:p}"}});
  TTempFolder folder;
  TRunAnswers answers;
  answers.Images["p"] = folder.File("none.png");
  EXPECT_THROW(RunMacro(macro, "", answers), std::runtime_error);
}

// A UTF-8 folder's macro: its texts are taken as they are (never converted
// from ANSI), the run is UTF-8 from the start, and so a Replace/With text
// is cut by characters, not inside one.
TEST(WholeRuns, AUtf8FoldersMacroRunsInUtf8FromTheStart) {
  const std::string e = "\xC3\xA9";  // é
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "Caf" + e + " {$v=Zo" + e + "}: {line}"}, {mxWith1, "{$v}"}});
  TRunAnswers answers;
  std::string many;
  for (int i = 0; i < 80; ++i) many += e;
  answers.Values["v"] = many;
  TUnattendedRun run(macro, answers, TStoreEncoding::Utf8);
  EXPECT_TRUE(run.Run("na" + e + "ve"));
  EXPECT_TRUE(run.FUtf8Texts);
  EXPECT_EQ(run.FSelection, "Caf" + e + " " + many + ": na" + e + "ve");
  EXPECT_EQ(run.FMacro.Text(mxWith1).size(), 75 * e.size()) << "75 characters, each whole";
  EXPECT_TRUE(run.Warnings().empty()) << "nothing to say: UTF-8 is the folder's own form";
}
