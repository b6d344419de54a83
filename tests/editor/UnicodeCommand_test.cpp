// "Store macros as Unicode...": offered for ANSI folders only, a backup
// beside the folder before anything changes, and a refusal that leaves the
// folder whole and says where.
#include "editor/UnicodeCommand.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/OsFile.h"
#include "common/TempFolder.h"
#include "exchange/DailyBackup.h"
#include "store/Catagories.h"

namespace {

class UnicodeCommand : public ::testing::Test {
 protected:
  UnicodeCommand() { std::filesystem::create_directories(Dir()); }
  std::string Dir() const { return Folder.File("Macros"); }
  void Add(const std::string& title, const std::string& line1) {
    TCatagories store(Dir());
    int c = store.Items.empty() ? store.AddCatagory("Web") : 0;
    TMacro macro = NewMacro();
    SetTitle(macro, title);
    SetMacroText(macro, mxLine1, line1);
    store.AddMacro(c, macro);
  }
  std::vector<std::string> Backups() const {
    return FindFilesWithExtension(BackupFolderFor(Dir()), ".json");
  }
  TTempFolder Folder;
};

}  // namespace

TEST_F(UnicodeCommand, ConvertsAfterABackupAndIsNotOfferedAgain) {
  Add("Caf\xE9 \x80uro", "Caf\xE9: {line}");
  Add("Plain", "{line}");
  ASSERT_TRUE(OffersUnicodeConversion(Dir()));
  TUnicodeConversion done = ConvertMacrosToUnicode(Dir(), 1252);
  ASSERT_TRUE(done.Converted) << done.Message;
  EXPECT_NE(done.Message.find("2 macros in 1 catagory"), std::string::npos) << done.Message;
  ASSERT_EQ(Backups().size(), 1u);
  EXPECT_NE(done.Message.find(Backups()[0]), std::string::npos) << "names the backup: " << done.Message;
  EXPECT_NE(ReadBytes(PathJoin(BackupFolderFor(Dir()), Backups()[0])).find("Caf\xC3\xA9 \xE2\x82\xACuro"),
            std::string::npos) << "the backup holds the macros as they were";
  TCatagories reread(Dir());
  EXPECT_EQ(reread.Encoding(), TStoreEncoding::Utf8);
  EXPECT_EQ(GetTitle(reread.Items[0].Macros[0]), "Caf\xC3\xA9 \xE2\x82\xACuro");
  EXPECT_FALSE(OffersUnicodeConversion(Dir()));
  TUnicodeConversion again = ConvertMacrosToUnicode(Dir(), 1252);
  EXPECT_FALSE(again.Converted);
  EXPECT_NE(again.Message.find("Unicode already"), std::string::npos) << again.Message;
}

TEST_F(UnicodeCommand, ARefusalNamesTheFieldAndWritesNothing) {
  // 25 bytes of é fill the title in code page 1252; in UTF-8 they would take 50.
  Add(std::string(25, '\xE9'), "x");
  const std::string before = ReadBytes(PathJoin(Dir(), "Web.cat"));
  TUnicodeConversion refused = ConvertMacrosToUnicode(Dir(), 1252);
  EXPECT_FALSE(refused.Converted);
  EXPECT_NE(refused.Message.find("'Web', macro 0"), std::string::npos) << refused.Message;
  EXPECT_NE(refused.Message.find("title"), std::string::npos) << refused.Message;
  EXPECT_EQ(ReadBytes(PathJoin(Dir(), "Web.cat")), before);
  EXPECT_TRUE(OffersUnicodeConversion(Dir())) << "still ANSI";
  EXPECT_TRUE(Backups().empty()) << "nothing written, no backup either";
}

TEST_F(UnicodeCommand, AFolderWithAnUnknownMarkIsNotOffered) {
  WriteBytes(StoreEncodingPath(Dir()), "koi8-r\r\n");
  EXPECT_FALSE(OffersUnicodeConversion(Dir()));
  EXPECT_TRUE(OffersUnicodeConversion(Folder.File("absent"))) << "no folder yet: ANSI, as it would be made";
  EXPECT_NE(UnicodeConversionQuestion(Dir()).find("Backup\\macros-YYYY-MM-DD.json"), std::string::npos);
}
