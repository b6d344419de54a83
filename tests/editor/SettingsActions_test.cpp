#include <gtest/gtest.h>

#include <string>

#include "common/TempFolder.h"
#include "store/IncludeList.h"
#include "store/Macro.h"
#include "store/Settings.h"
#include "store/SettingsActions.h"
#include "base/OsFile.h"

TEST(CopyChoices, MapStoredNumbersBothWays) {
  EXPECT_EQ(CopyChoiceForRule(1), 0);
  EXPECT_EQ(CopyChoiceForRule(2), 1);
  EXPECT_EQ(CopyChoiceForRule(3), 2);
  for (int choice = 0; choice < kCopyChoiceCount; ++choice)
    EXPECT_EQ(CopyChoiceForRule(CopyRuleForChoice(choice)), choice);
}

TEST(CopyChoices, OtherNumbersHaveNoChoice) {
  for (int rule : {0, -1, 4, 7, 0x7FFFFFFF}) EXPECT_EQ(CopyChoiceForRule(rule), -1) << rule;
  EXPECT_EQ(CopyRuleForChoice(-1), kImageCopyDefault);
  EXPECT_EQ(CopyRuleForChoice(3), kImageCopyDefault);
}

TEST(ProgramName, IsTheFileNameWithoutItsFolder) {
  EXPECT_EQ(ProgramNameFromPath("C:\\Tools\\Editor.exe"), "Editor.exe");
  EXPECT_EQ(ProgramNameFromPath("\\\\server\\share\\app.exe"), "app.exe");
  EXPECT_EQ(ProgramNameFromPath("Z:/home/user/run.exe"), "run.exe");
  EXPECT_EQ(ProgramNameFromPath("C:notepad.exe"), "notepad.exe");
  EXPECT_EQ(ProgramNameFromPath("plain.exe"), "plain.exe");
  EXPECT_EQ(ProgramNameFromPath("C:\\Program Files\\My App\\my app.exe"), "my app.exe");
}

TEST(ProgramName, IsCutTo255Characters) {
  std::string longName = std::string(300, 'n') + ".exe";
  std::string name = ProgramNameFromPath("C:\\x\\" + longName);
  EXPECT_EQ(name.size(), kIncludeEntryCapacity);
  EXPECT_EQ(name, longName.substr(0, kIncludeEntryCapacity));
}

class IncludeLinesTest : public ::testing::Test {
 protected:
  TTempFolder FFolder;
  std::string FFile = FFolder.File("include.dat");
};

TEST_F(IncludeLinesTest, AddingStoresTheNameWithoutFolderAndAllowsTwins) {
  TIncludeList list(FFile);
  EXPECT_EQ(AddIncludeProgram(list, "C:\\Tools\\Editor.exe"), "Editor.exe");
  EXPECT_EQ(AddIncludeProgram(list, "D:\\Other\\Editor.exe"), "Editor.exe");
  EXPECT_EQ(IncludeLines(list), (std::vector<std::string>{"Editor.exe", "Editor.exe"}));
  EXPECT_EQ(TIncludeList(FFile).Items, list.Items) << "written at once";
}

TEST_F(IncludeLinesTest, LongNamesAreCutBeforeTheListSeesThem) {
  TIncludeList list(FFile);
  EXPECT_NO_THROW(AddIncludeProgram(list, "C:\\" + std::string(400, 'a') + ".exe"));
  EXPECT_EQ(list.Items.at(0).size(), kIncludeEntryCapacity);
}

TEST_F(IncludeLinesTest, RemovingFollowsTheListsOwnOrder) {
  TIncludeList list(FFile);
  for (const char* name : {"a.exe", "b.exe", "c.exe"}) AddIncludeProgram(list, name);
  ASSERT_TRUE(RemoveIncludeLine(list, 0));
  EXPECT_EQ(IncludeLines(list), (std::vector<std::string>{"c.exe", "b.exe"}));
  ASSERT_TRUE(RemoveIncludeLine(list, 1));
  EXPECT_EQ(IncludeLines(list), (std::vector<std::string>{"c.exe"}));
  EXPECT_EQ(TIncludeList(FFile).Items, list.Items);
  ASSERT_TRUE(RemoveIncludeLine(list, 0));
  EXPECT_TRUE(IncludeLines(list).empty());
  EXPECT_EQ(ReadBytes(FFile).size(), 0u);
}

TEST_F(IncludeLinesTest, NoSelectionRemovesNothing) {
  TIncludeList list(FFile);
  AddIncludeProgram(list, "a.exe");
  EXPECT_FALSE(RemoveIncludeLine(list, -1));
  EXPECT_FALSE(RemoveIncludeLine(list, 1));
  EXPECT_EQ(IncludeLines(list), (std::vector<std::string>{"a.exe"}));
}

TEST_F(IncludeLinesTest, AFailedWriteLeavesListAndLinesAlone) {
  TIncludeList list(FFile);
  AddIncludeProgram(list, "a.exe");
  AddIncludeProgram(list, "b.exe");
  MakeReadOnly(FFile);
  if (!ReadOnlyIsEnforced(FFolder)) GTEST_SKIP() << "write protection is not enforced here";
  EXPECT_THROW(AddIncludeProgram(list, "c.exe"), EFileError);
  EXPECT_THROW(RemoveIncludeLine(list, 0), EFileError);
  EXPECT_EQ(IncludeLines(list), (std::vector<std::string>{"a.exe", "b.exe"}));
}

TEST(MethodEntries, ListEachProgramsMethodInFileOrderWithItsLabel) {
  TTempFolder folder;
  EXPECT_TRUE(ReadMethodEntries(folder.Path()).empty());
  WriteTransferMethod(folder.Path(), "term.exe", tmKeystrokes);
  WriteTransferMethod(folder.Path(), "Old.exe", tmMessages);
  auto entries = ReadMethodEntries(folder.Path());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(MethodLine(entries[0].first, entries[0].second), "term.exe - keystrokes only");
  EXPECT_EQ(MethodLine(entries[1].first, entries[1].second), "Old.exe - messages only");
  EXPECT_STREQ(TransferMethodLabel(tmAutomatic), "automatic");
}
