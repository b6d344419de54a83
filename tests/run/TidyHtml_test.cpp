#include "run/TidyHtml.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/TempFolder.h"
#include "base/OsFile.h"

TEST(TidyParameters, CommandLineWithReportBesideTheTemporaryFile) {
  EXPECT_EQ(TidyParameters("C:\\Zarvel\\zvA1.TMP"),
            "-e -q -config tidy.cfg -f C:\\Zarvel\\zvA1.TMP.fix C:\\Zarvel\\zvA1.TMP");
  EXPECT_EQ(TidyParameters("C:\\Program Files\\Z\\zv1.TMP"),
            "-e -q -config tidy.cfg -f \"C:\\Program Files\\Z\\zv1.TMP.fix\" \"C:\\Program Files\\Z\\zv1.TMP\"");
}

TEST(TidyReport, LastFourLinesAreDropped) {
  EXPECT_EQ(TidyReportText("w1\r\nw2\r\ns1\r\ns2\r\ns3\r\ns4\r\n"), "w1\r\nw2");
  EXPECT_EQ(TidyReportText("w1\ns1\rs2\ns3\ns4"), "w1");
}

TEST(TidyReport, FourLinesOrFewerLeaveNothing) {
  EXPECT_EQ(TidyReportText("a\r\nb\r\nc\r\nd\r\n"), "");
  EXPECT_EQ(TidyReportText("only"), "");
}

TEST(TidyReport, FindingsAreNeverTakenForTheSummary) {
  const std::string quiet =
      "line 1 column 1 - Warning: missing <!DOCTYPE> declaration\n"
      "line 1 column 1 - Warning: inserting implicit <body>\n"
      "line 1 column 1 - Warning: inserting missing 'title' element\n";
  EXPECT_EQ(TidyReportText(quiet),
            "line 1 column 1 - Warning: missing <!DOCTYPE> declaration\r\n"
            "line 1 column 1 - Warning: inserting implicit <body>\r\n"
            "line 1 column 1 - Warning: inserting missing 'title' element");
  EXPECT_EQ(TidyReportText("line 2 column 3 - Error: x\r\nTidy found 1 error\r\n\r\nsum\r\n"),
            "line 2 column 3 - Error: x");
}

TEST(TidyReport, EmptyReportSaysNoErrors) {
  EXPECT_EQ(TidyReportText(""), "No errors detected!");
  EXPECT_EQ(TidyReportText("\r\n"), "No errors detected!");
}

TEST(TidyReport, BlankLinesCount) {
  EXPECT_EQ(TidyReportText("a\r\n\r\nb\r\n\r\n\r\n\r\n"), "a\r\n");
}

TEST(TidyTempFile, NewEmptyFilesWithPrefixAndExtension) {
  TTempFolder folder;
  const std::string first = CreateTempFile(folder.Path(), "zv");
  const std::string second = CreateTempFile(folder.Path(), "zv");
  EXPECT_NE(first, second);
  for (const std::string& path : {first, second}) {
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadBytes(path), "");
    const std::string name = path.substr(folder.Path().size() + 1);
    EXPECT_EQ(name.substr(0, 2), "zv");
    EXPECT_EQ(name.substr(name.size() - 4), ".TMP");
  }
}

TEST(TidyTempFile, MissingFolderRaises) {
  TTempFolder folder;
  EXPECT_THROW(CreateTempFile(folder.File("none"), "zv"), EFileError);
}

class RunTidyWithFake : public ::testing::Test {
 protected:
  std::string Folder() { return FFolder.Path() + PathSeparator(); }
  TTempFolder FFolder;
  std::string FSeen;
  std::string FParameters;
};

TEST_F(RunTidyWithFake, TextGoesInReportComesOutBothFilesGo) {
  auto fake = [this](const std::string&, const std::string& parameters, const std::string& workDir) {
    FParameters = parameters;
    EXPECT_EQ(workDir, Folder());
    const std::string temp = parameters.substr(parameters.rfind(' ') + 1);
    FSeen = ReadBytes(temp);
    WriteBytes(temp + ".fix", "line 1 column 1 - Warning: x\r\n\r\nsummary\r\nabout\r\nurl\r\n");
    return true;
  };
  EXPECT_EQ(RunTidy(Folder(), "<p>x\r\n", fake), "line 1 column 1 - Warning: x");
  EXPECT_EQ(FSeen, "<p>x\r\n");
  EXPECT_EQ(FParameters.substr(0, 26), "-e -q -config tidy.cfg -f ");
  EXPECT_TRUE(FindFilesWithExtension(FFolder.Path(), ".TMP").empty());
  EXPECT_TRUE(FindFilesWithExtension(FFolder.Path(), ".fix").empty());
}

TEST_F(RunTidyWithFake, TemporaryFilesGoToTheTemporaryFolderAndTidyRunsInTheProgramFolder) {
  TTempFolder temp;
  const std::string tempFolder = temp.Path() + PathSeparator();
  std::string file;
  auto fake = [&](const std::string&, const std::string& parameters, const std::string& workDir) {
    file = parameters.substr(parameters.rfind(' ') + 1);
    EXPECT_EQ(workDir, Folder()) << "tidy finds its tidy.cfg in the program folder";
    EXPECT_TRUE(FindFilesWithExtension(FFolder.Path(), ".TMP").empty()) << "written into the program folder";
    WriteBytes(file + ".fix", "");
    return true;
  };
  RunTidy(Folder(), "<p>", fake);
  EXPECT_EQ(file.compare(0, TemporaryFolder().size(), TemporaryFolder()), 0) << file;
  RunTidy(Folder(), "<p>", fake, tempFolder);
  EXPECT_EQ(file.compare(0, tempFolder.size(), tempFolder), 0) << file;
  EXPECT_TRUE(FindFilesWithExtension(temp.Path(), ".TMP").empty());
  EXPECT_TRUE(DirectoryExists(TemporaryFolder()));
}

TEST_F(RunTidyWithFake, EmptyReportFile) {
  auto fake = [](const std::string&, const std::string& parameters, const std::string&) {
    WriteBytes(parameters.substr(parameters.rfind(' ') + 1) + ".fix", "");
    return true;
  };
  EXPECT_EQ(RunTidy(Folder(), "<p>", fake), "No errors detected!");
}

TEST_F(RunTidyWithFake, ProgramThatDoesNotStartOrWritesNoReportIsAnError) {
  auto notStarted = [](const std::string&, const std::string&, const std::string&) { return false; };
  auto noReport = [](const std::string&, const std::string&, const std::string&) { return true; };
  EXPECT_THROW(RunTidy(Folder(), "x", notStarted), std::runtime_error);
  EXPECT_THROW(RunTidy(Folder(), "x", noReport), EFileError);
  EXPECT_TRUE(FindFilesWithExtension(FFolder.Path(), ".TMP").empty());
}

TEST(RunTidyForReal, ReportsWarningsOfTheInstalledTidy) {
  TTempFolder folder;
  const std::string dir = folder.Path() + PathSeparator();
  const std::string program = TidyProgram(dir);
  if (program == "tidy" ? !FileExists("/usr/bin/tidy") : !FileExists(program)) GTEST_SKIP() << "no tidy here";
  const std::string report = RunTidy(dir, "<p>a<b>x</p>\n<p><i>y</p>\n<p><u>z</p>\n", RunHiddenAndWait);
  // Tidy names the line and column of each finding.
  EXPECT_NE(report.find("line 1 column 5"), std::string::npos) << report;
  EXPECT_TRUE(FindFilesWithExtension(folder.Path(), ".TMP").empty());
}

TEST(RunHiddenAndWait, WaitsForTheProgramInItsWorkingFolder) {
  TTempFolder folder;
  const bool windows = PathSeparator() == '\\';
  const std::string shell = windows ? "cmd.exe" : "sh";
  const std::string command = windows ? "/c echo done>out.txt" : "-c \"sleep 0.2; echo done > out.txt\"";
  ASSERT_TRUE(RunHiddenAndWait(shell, command, folder.Path()));
  EXPECT_EQ(ReadBytes(folder.File("out.txt")).substr(0, 4), "done");
}

// Also shows that no error box of the shell waits for a click.
TEST(RunHiddenAndWait, ProgramThatDoesNotExistIsNotStarted) {
  TTempFolder folder;
  EXPECT_FALSE(RunHiddenAndWait(folder.File("no-such-program.exe"), "", folder.Path()));
}
