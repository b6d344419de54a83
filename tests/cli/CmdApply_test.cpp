// zarvel-cli apply: one run of a stored macro over standard input.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/Commands.h"
#include "cli/CliRun.h"
#include "common/TempFolder.h"
#include "run/ProgramStart.h"
#include "run/RunTestUtil.h"
#include "run/TidyHtml.h"
#include "store/Catagories.h"
#include "base/OsFile.h"

namespace {


class CliApply : public ::testing::Test {
 protected:
  CliApply() { std::filesystem::create_directories(Dir()); }
  std::string Dir() const { return Folder.File("Macros"); }

  void Add(const std::string& title, std::uint8_t type, TTextList texts) {
    TCatagories store(Dir());
    int c = store.Items.empty() ? store.AddCatagory("Web") : 0;
    TMacro macro = MacroWith(type, texts);
    SetTitle(macro, title);
    store.AddMacro(c, macro);
  }

  TRun Apply(const std::string& title, const std::string& input, TCliArgs more = {}) {
    TCliArgs args = {"apply", "--macros", Dir(), "--category", "web", "--macro", title};
    args.insert(args.end(), more.begin(), more.end());
    return Cli(args, input);
  }

  TTempFolder Folder;
};

TEST_F(CliApply, LineModeWritesTheResultWithNothingAdded) {
  Add("List", mtLineMode, {{mxFirstLine, "<ul>"}, {mxLine1, "<li>{line}</li>"}, {mxLastLine, "</ul>"}});
  Add("Bold", mtBlockMode, {{mxLine1, "<b>{line}</b>"}});
  TRun run = Apply("List", "a\r\nb\r\n");
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out, "<ul>\r\n<li>a</li>\r\n<li>b</li>\r\n</ul>\r\n");
  EXPECT_EQ(run.Err, "");
  run = Cli({"apply", "--macros", Dir(), "--category", "Web", "--index", "1"}, "x");
  EXPECT_EQ(run.Out, "<b>x</b>");
}

TEST_F(CliApply, VariablesFilesAndDefaults) {
  Add("Link", mtBlockMode, {{mxLine1, "<a href=\"{file:doc}\" class=\"{$class=x}\" title=\"{$!t}\">{line}</a>"}});
  TRun run = Apply("Link", "go", {"--var", "!t=T=1", "--file", "doc=C:\\d\\a.htm"});
  EXPECT_EQ(run.Out, "<a href=\"C:\\d\\a.htm\" class=\"x\" title=\"T=1\">go</a>");
  run = Apply("Link", "go", {"--var=class=y"});
  EXPECT_EQ(run.Out, "<a href=\"\" class=\"y\" title=\"\">go</a>");
}

TEST_F(CliApply, ImageWithSizeAndCopy) {
  Add("Img", mtBlockMode, {{mxLine1, "<img src=\"{image:p}\" width=\"{width:p}\">{reldir:img/}"}});
  const std::string picture = Folder.File("p.gif");
  WriteBytes(picture, std::string("GIF89a\x64\x00\x32\x00", 10));
  const std::string work = Folder.File("site") + PathSeparator();
  TRun run = Apply("Img", "", {"--image", "p=" + picture, "--workdir", work, "--copy", "always"});
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out, "<img src=\"img/p.gif\" width=\"100\">");
  EXPECT_TRUE(FileExists(work + "img" + PathSeparator() + "p.gif"));
  run = Apply("Img", "", {"--image", "p=" + picture, "--reldir", "pics/"});
  EXPECT_EQ(run.Out, "<img src=\"pics/p.gif\" width=\"100\">");
}

TEST_F(CliApply, RunProgramPrintsWhatTheShellWouldGet) {
  Add("Run", mtRunProgram, {{mxLine1, "notepad.exe"}, {mxLine3, "{$f=a.txt} {line}"}});
  TRun run = Apply("Run", "ignored");
  EXPECT_EQ(run.Out, "notepad.exe\n\na.txt {line}\n");
}

TEST(ProgramStart, ParameterWordsSplitAtSpacesOutsideQuotes) {
  using TWords = std::vector<std::string>;
  EXPECT_EQ(ParameterWords(""), TWords());
  EXPECT_EQ(ParameterWords("   "), TWords());
  EXPECT_EQ(ParameterWords("a  b "), (TWords{"a", "b"}));
  EXPECT_EQ(ParameterWords("\"C:\\Program Files\\x\" -v"), (TWords{"C:\\Program Files\\x", "-v"}));
  EXPECT_EQ(ParameterWords("pre\"fix mid\"dle"), TWords{"prefix middle"});
  EXPECT_EQ(ParameterWords("\"\" x"), (TWords{"", "x"}));
  EXPECT_EQ(ParameterWords("\"open to the end"), TWords{"open to the end"});
  // Nothing but the space splits and nothing is read as shell syntax.
  EXPECT_EQ(ParameterWords("a\tb;rm $HOME|`x` 'q r'"), (TWords{"a\tb;rm", "$HOME|`x`", "'q", "r'"}));
}

#ifndef _WIN32
// The started program does not wait for anyone, so its traces are awaited.
bool AppearsWithin(const std::string& path, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!FileExists(path)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST_F(CliApply, ExecuteStartsTheFileInItsFolderWithTheWords) {
  const std::string script = Folder.File("mark.sh");
  WriteBytes(script, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" \"$(pwd)\" > marker.tmp\nmv marker.tmp marker\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const std::string work = Folder.File("work");
  std::filesystem::create_directories(work);
  Add("Run", mtRunProgram, {{mxLine1, script}, {mxLine2, work}, {mxLine3, "\"{$a=two words}\" $HOME;x {line}"}});

  TRun run = Apply("Run", "ignored", {"--execute"});
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out, script + "\n" + work + "\n\"two words\" $HOME;x {line}\n");
  const std::string marker = work + "/marker";
  ASSERT_TRUE(AppearsWithin(marker, std::chrono::seconds(20)));
  EXPECT_EQ(ReadBytes(marker), "3|two words|$HOME;x|{line}|" + std::filesystem::canonical(work).string() + "|");
}

TEST_F(CliApply, ExecuteWithoutParametersOrFolder) {
  const std::string script = Folder.File("touch.sh");
  const std::string marker = Folder.File("touched");
  WriteBytes(script, "#!/bin/sh\nprintf '%s' \"$#\" > '" + marker + ".tmp'\n" +
                         "mv '" + marker + ".tmp' '" + marker + "'\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  Add("Run", mtRunProgram, {{mxLine1, script}});
  EXPECT_EQ(Apply("Run", "", {"--execute"}).Code, 0);
  ASSERT_TRUE(AppearsWithin(marker, std::chrono::seconds(20)));
  EXPECT_EQ(ReadBytes(marker), "0");
}

TEST_F(CliApply, ExecuteThatCannotStartFails) {
  const std::string notProgram = Folder.File("plain.txt");
  WriteBytes(notProgram, "not a program");
  Add("Missing", mtRunProgram, {{mxLine1, Folder.File("none.sh")}});
  Add("Plain", mtRunProgram, {{mxLine1, notProgram}});
  Add("NoFolder", mtRunProgram, {{mxLine1, "/bin/true"}, {mxLine2, Folder.File("no-folder")}});
  for (const char* title : {"Missing", "Plain", "NoFolder"}) {
    TRun run = Apply(title, "", {"--execute"});
    EXPECT_EQ(run.Code, 1) << title;
    EXPECT_EQ(run.Out, "") << title;
    EXPECT_NE(run.Err.find("could not be started"), std::string::npos) << run.Err;
  }
  EXPECT_EQ(Apply("Missing", "").Code, 0) << "without --execute nothing is started";
}
#endif

TEST_F(CliApply, StripTagsAndChangeCase) {
  Add("Strip", mtStripTags, {{mxLine1, "<(.*?)>"}});
  Add("Case", mtChangeCase, {});
  EXPECT_EQ(Apply("Strip", "<b>x</b>").Out, "x");
  EXPECT_EQ(Apply("Case", "aB").Out, "Ab");
}

TEST_F(CliApply, TidyHtmlWritesTheReport) {
  if (TidyProgram(ProgramFolder()) == "tidy" ? !FileExists("/usr/bin/tidy")
                                              : !FileExists(TidyProgram(ProgramFolder())))
    GTEST_SKIP() << "no tidy here";
  Add("Tidy", mtTidyHTML, {});
  TRun run = Apply("Tidy", "<p>a<b>x</p>\n<p><i>y</p>\n<p><u>z</p>\n");
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out.substr(0, 15), "line 1 column 1") << run.Out;
  EXPECT_NE(run.Out.back(), '\n') << "no line break after the last line";
  EXPECT_NE(run.Out.find("missing </u> before </p>"), std::string::npos)
      << "the last findings were taken for Tidy's summary:\n" << run.Out;
}

TEST_F(CliApply, FailuresLeaveStandardOutputEmpty) {
  Add("Bad", mtStripTags, {{mxLine1, "(x"}});
  Add("Img", mtBlockMode, {{mxLine1, "{image:p}"}});
  Add("Mail", mtEmail, {});
  for (const TRun& run : {Apply("Bad", "x"), Apply("Nothing", "x"), Apply("Mail", "x"),
                          Apply("Img", "", {"--image", "p=" + Folder.File("none.png")}),
                          Cli({"apply", "--macros", Dir(), "--category", "None", "--index", "0"}),
                          Cli({"apply", "--macros", Dir(), "--category", "Web", "--index", "9"})}) {
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err, "");
  }
  EXPECT_NE(Apply("Mail", "").Err.find("resident program"), std::string::npos);
}

TEST_F(CliApply, UsageErrors) {
  Add("A", mtBlockMode, {});
  EXPECT_EQ(Cli({"apply", "--macros", Dir(), "--category", "Web"}).Code, 2);
  EXPECT_EQ(Cli({"apply", "--macros", Dir(), "--category", "Web", "--index", "0", "--macro", "A"}).Code, 2);
  EXPECT_EQ(Apply("A", "", {"--var", "novalue"}).Code, 2);
  EXPECT_EQ(Apply("A", "", {"--copy", "ask"}).Code, 2);
}

}  // namespace

// A UTF-8 folder: names and titles are matched as given, the answers and the
// selection go in as UTF-8 (never through the ANSI code page), and the run
// says nothing about UTF-8, the folder's own form.
TEST_F(CliApply, AUtf8FoldersMacroIsFoundByItsNameAndRunsInUtf8) {
  WriteStoreEncoding(Dir(), TStoreEncoding::Utf8);
  {
    TCatagories store(Dir());
    TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "<b>{line}</b> {$who} \xE2\x82\xAC"}});
    SetTitle(macro, "R\xC3\xA9sum\xC3\xA9");
    store.AddMacro(store.AddCatagory("Caf\xC3\xA9"), macro);
  }
  TRun run = Cli({"apply", "--macros", Dir(), "--category", "Caf\xC3\xA9", "--macro", "R\xC3\xA9sum\xC3\xA9",
                  "--var", "who=Zo\xC3\xAB"},
                 "na\xC3\xAFve");
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out, "<b>na\xC3\xAFve</b> Zo\xC3\xAB \xE2\x82\xAC");
  EXPECT_EQ(run.Err, "");
}
