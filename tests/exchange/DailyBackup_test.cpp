// The daily backup: which files it writes and prunes, and that import reads
// a backup back.
#include "exchange/DailyBackup.h"

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/OsFile.h"
#include "common/TempFolder.h"
#include "exchange/CatagoryExchange.h"

namespace {

TMacro Macro(const std::string& title) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  SetMacroText(macro, mxLine1, "<" + title + ">");
  return macro;
}

class DailyBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatagories store(Macros());
    store.AddMacro(store.AddCatagory("Web"), Macro("Link"));
    store.AddMacro(store.AddCatagory("Mail"), Macro("Sign"));
  }
  std::string Macros() const { return folder.File("Macros"); }
  std::string Backups() const { return folder.File("Backup"); }
  std::string BackupOf(const TBackupDate& date) const { return PathJoin(Backups(), BackupFileName(date)); }
  TDailyBackup Backup() {
    return TDailyBackup(Macros(), kDefaultCodePage, [this] { return today; });
  }
  TTempFolder folder;
  TBackupDate today{2026, 12, 9};
};

}  // namespace

TEST(BackupNames, OnlyExactBackupNamesCountAndTheOldestByDateArePruned) {
  TBackupDate date;
  ASSERT_TRUE(ParseBackupFileName(BackupFileName({2026, 3, 7}), date));
  EXPECT_EQ(date, (TBackupDate{2026, 3, 7}));
  for (const char* other : {"macros-2026-13-01.json", "macros-2026-3-07.json", "macros-2026-03-07.json.bak",
                            "macros-latest.json", "notes.json", "old-macros-2026-03-07.json"})
    EXPECT_FALSE(ParseBackupFileName(other, date)) << other;

  // By the date in the name across a year's end, never another file.
  std::vector<std::string> names = {"macros-2026-01-02.json", "notes.json", "macros-2025-12-31.json",
                                    "macros-2026-01-01.json", "macros-latest.json"};
  EXPECT_EQ(BackupsToPrune(names, 2), std::vector<std::string>{"macros-2025-12-31.json"});
  EXPECT_TRUE(BackupsToPrune(names, 3).empty());
  EXPECT_EQ(BackupFolderFor(PathJoin(PathJoin("base", "Zarvel"), "Macros")), PathJoin(PathJoin("base", "Zarvel"), "Backup"));
}

TEST_F(DailyBackupTest, OneBackupADayThatImportReadsBack) {
  TDailyBackup backup = Backup();
  EXPECT_EQ(backup.RunIfDue(), "");
  ASSERT_TRUE(FileExists(BackupOf(today)));
  std::vector<TImportCatagory> back = ReadImportText(ReadBytes(BackupOf(today)), kDefaultCodePage, "backup");
  ASSERT_EQ(back.size(), 2u);
  for (const TImportCatagory& catagory : back) {
    ASSERT_EQ(catagory.Macros.size(), 1u);
    EXPECT_EQ(GetTitle(catagory.Macros[0]), catagory.Name == "Web" ? "Link" : "Sign");
  }

  // Later the same day, and after a restart, today's file stays as it is.
  WriteBytes(BackupOf(today), "kept");
  EXPECT_EQ(backup.RunIfDue(), "");
  EXPECT_EQ(Backup().RunIfDue(), "");
  EXPECT_EQ(ReadBytes(BackupOf(today)), "kept");

  // The next day: a new file, and the ten newest remain; other files stay.
  for (int day = 1; day <= 12; ++day) WriteBytes(BackupOf({2026, 11, day}), "old");
  WriteBytes(PathJoin(Backups(), "notes.json"), "mine");
  today = {2026, 12, 10};
  EXPECT_EQ(backup.RunIfDue(), "");
  EXPECT_EQ(backup.LastPath(), BackupOf(today));
  EXPECT_EQ(FindFilesWithExtension(Backups(), ".json").size(), 11u);
  EXPECT_FALSE(FileExists(BackupOf({2026, 11, 4})));
  EXPECT_TRUE(FileExists(BackupOf({2026, 11, 5})));
  EXPECT_TRUE(FileExists(PathJoin(Backups(), "notes.json")));
}

TEST_F(DailyBackupTest, ABackupThatCannotBeWrittenSaysWhyAndIsTriedAgain) {
  WriteBytes(Backups(), "a file where the folder goes");
  TDailyBackup backup = Backup();
  std::string problem = backup.RunIfDue();
  EXPECT_EQ(problem.rfind("No backup today: ", 0), 0u) << problem;
  DeleteOneFile(Backups());
  EXPECT_EQ(backup.RunIfDue(), "") << "a failed backup is not tried again the same day";
  EXPECT_TRUE(FileExists(BackupOf(today)));

  // A byte the code page does not define: no file, the macro named.
  TCatagories store(Macros());
  store.AddMacro(FindCatagory(store, "Web"), Macro("Bad\x81"));
  today = {2026, 12, 11};
  problem = backup.RunIfDue();
  EXPECT_NE(problem.find("Bad"), std::string::npos) << problem;
  EXPECT_FALSE(FileExists(BackupOf(today)));
}
