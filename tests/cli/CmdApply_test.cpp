// zarvel-cli apply: one run of a stored macro over standard input.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/Commands.h"
#include "common/TempFolder.h"
#include "run/RunTestUtil.h"
#include "run/TidyHtml.h"
#include "store/Catagories.h"
#include "support/OsFile.h"

namespace {

struct TRun {
  int Code;
  std::string Out;
  std::string Err;
};

TRun Cli(const TCliArgs& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  TCliStreams io{in, out, err};
  int code = RunCli(args, io);
  return {code, out.str(), err.str()};
}

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
  EXPECT_EQ(run.Out.substr(run.Out.size() - 2), "p>") << "no line break after the last line";
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
