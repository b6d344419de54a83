#include "store/IncludeList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/TempFolder.h"
#include "store/Macro.h"
#include "base/OsFile.h"

namespace {

std::string Record(const std::string& name, char filler = '\0') {
  std::string record(kIncludeEntrySize, filler);
  record[0] = static_cast<char>(name.size());
  record.replace(1, name.size(), name);
  return record;
}

std::string FileNames(const std::string& path) {
  std::string bytes = ReadBytes(path), names;
  for (std::size_t at = 0; at + kIncludeEntrySize <= bytes.size(); at += kIncludeEntrySize)
    names += bytes.substr(at + 1, static_cast<unsigned char>(bytes[at])) + ";";
  return names;
}

}  // namespace

class IncludeListFile : public ::testing::Test {
 protected:
  std::string Path() const { return Folder.File("include.dat"); }
  TTempFolder Folder;
};

TEST_F(IncludeListFile, FirstStartCreatesAnEmptyFileAndAllowsEveryProgram) {
  TIncludeList list(Path());
  EXPECT_TRUE(FileExists(Path()));
  EXPECT_EQ(ReadBytes(Path()), "");
  EXPECT_TRUE(list.Items.empty());
  EXPECT_TRUE(list.Allows("anything.exe"));
}

TEST_F(IncludeListFile, LoadsEntriesAndIgnoresBytesBehindTheText) {
  WriteBytes(Path(), Record("edit.exe", 'z') + Record("b.exe"));
  TIncludeList list(Path());
  EXPECT_EQ(list.Items, (std::vector<std::string>{"edit.exe", "b.exe"}));
}

TEST_F(IncludeListFile, AddingAppendsOneRecordAndAllowsDuplicates) {
  TIncludeList list(Path());
  list.AddEntry("a.exe");
  list.AddEntry("a.exe");
  EXPECT_EQ(ReadBytes(Path()).size(), 2 * kIncludeEntrySize);
  EXPECT_EQ(FileNames(Path()), "a.exe;a.exe;");
  EXPECT_EQ(TIncludeList(Path()).Items, list.Items);
}

TEST_F(IncludeListFile, RemovingEntryZeroMovesTheLastIntoItsPlace) {
  TIncludeList list(Path());
  for (const char* name : {"a.exe", "b.exe", "c.exe"}) list.AddEntry(name);
  list.RemoveEntry(0);
  EXPECT_EQ(list.Items, (std::vector<std::string>{"c.exe", "b.exe"}));
  EXPECT_EQ(FileNames(Path()), "c.exe;b.exe;");
  EXPECT_EQ(ReadBytes(Path()).size(), 512u);
}

TEST_F(IncludeListFile, RemovingTheOnlyEntryEmptiesTheFileAndAllowsEverythingAgain) {
  TIncludeList list(Path());
  list.AddEntry("edit.exe");
  EXPECT_FALSE(list.Allows("other.exe"));
  list.RemoveEntry(0);
  EXPECT_EQ(ReadBytes(Path()), "");
  EXPECT_TRUE(list.Allows("other.exe"));
  EXPECT_THROW(list.RemoveEntry(0), std::out_of_range);
}

TEST_F(IncludeListFile, ProgramNamesCompareWithoutCase) {
  TIncludeList list(Path());
  list.AddEntry("EDIT.EXE");
  EXPECT_TRUE(list.Allows("edit.exe"));
  EXPECT_TRUE(list.Allows("Edit.Exe"));
  EXPECT_FALSE(list.Allows("edit.com"));
  EXPECT_FALSE(list.Allows("xedit.exe"));
}

TEST_F(IncludeListFile, NamesTooLongForTheRecordAreRefused) {
  TIncludeList list(Path());
  list.AddEntry(std::string(255, 'n'));
  EXPECT_THROW(list.AddEntry(std::string(256, 'n')), ETextTooLong);
  EXPECT_EQ(list.Items.size(), 1u);
  EXPECT_EQ(ReadBytes(Path()).size(), kIncludeEntrySize);
}

TEST_F(IncludeListFile, FileEndingInsideARecordIsAClearErrorAndIsLeftAlone) {
  std::string damaged = Record("a.exe") + "\x05" "b.e";
  WriteBytes(Path(), damaged);
  try {
    TIncludeList list(Path());
    FAIL() << "a damaged list loaded";
  } catch (const EIncludeList& error) {
    EXPECT_NE(std::string(error.what()).find("include.dat"), std::string::npos);
  }
  EXPECT_EQ(ReadBytes(Path()), damaged);
}

TEST_F(IncludeListFile, ListThatCannotBeCreatedIsAFileError) {
  WriteBytes(Folder.File("file"), "x");
  EXPECT_THROW(TIncludeList(PathJoin(Folder.File("file"), "include.dat")), EFileError);
}

TEST_F(IncludeListFile, WriteProtectedListStillFiltersButRefusesChanges) {
  if (!ReadOnlyIsEnforced(Folder)) GTEST_SKIP() << "this user writes to write-protected files";
  WriteBytes(Path(), Record("a.exe") + Record("b.exe"));
  MakeReadOnly(Path());
  TIncludeList list(Path());
  EXPECT_FALSE(list.Allows("c.exe"));
  EXPECT_THROW(list.AddEntry("c.exe"), EFileError);
  EXPECT_THROW(list.RemoveEntry(0), EFileError);
  EXPECT_EQ(list.Items, (std::vector<std::string>{"a.exe", "b.exe"}));
}

TEST_F(IncludeListFile, FailedWritesLeaveTheListAsItWas) {
  TIncludeList list(Path());
  list.AddEntry("a.exe");
  list.AddEntry("b.exe");
  std::filesystem::remove(Path());
  std::filesystem::create_directories(Path());
  EXPECT_THROW(list.AddEntry("c.exe"), EFileError);
  EXPECT_THROW(list.RemoveEntry(0), EFileError);
  EXPECT_EQ(list.Items, (std::vector<std::string>{"a.exe", "b.exe"}));
}

TEST_F(IncludeListFile, AnotherProgramsChangeIsReadAgainAndNeverWrittenOver) {
  TIncludeList list(Path());
  list.AddEntry("a.exe");
  EXPECT_FALSE(list.Reload()) << "its own write counts as a change";
  WriteBytes(Path(), Record("a.exe") + Record("b.exe"));
  EXPECT_THROW(list.AddEntry("c.exe"), EFileError);
  EXPECT_EQ(FileNames(Path()), "a.exe;b.exe;") << "the other program's entry was written over";
  EXPECT_EQ(list.Items, (std::vector<std::string>{"a.exe", "b.exe"}));
  list.RemoveEntry(0);
  EXPECT_EQ(FileNames(Path()), "b.exe;");

  WriteBytes(Path(), Record("b.exe") + Record("d.exe"));
  EXPECT_TRUE(list.Reload());
  EXPECT_EQ(list.Items, (std::vector<std::string>{"b.exe", "d.exe"}));
  WriteBytes(Path(), Record("b.exe") + "cut");
  EXPECT_THROW(list.Reload(), EIncludeList);
  EXPECT_EQ(list.Items, (std::vector<std::string>{"b.exe", "d.exe"})) << "a damaged file cost the entries";
}
