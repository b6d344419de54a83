#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/CliRun.h"
#include "common/TempFolder.h"
#include "store/Catagories.h"
#include "store/ShortCut.h"
#include "base/OsFile.h"

namespace {


class CliStore : public ::testing::Test {
 protected:
  CliStore() { std::filesystem::create_directories(Dir()); }
  std::string Dir() const { return Folder.File("Macros"); }

  void Add(const std::string& catagory, const std::string& title, std::uint8_t type,
           std::uint16_t shortCut, const std::string& line1 = "") {
    TCatagories store(Dir());
    int c = -1;
    for (std::size_t i = 0; i < store.Items.size(); ++i)
      if (store.Items[i].Name == catagory) c = static_cast<int>(i);
    if (c < 0) c = store.AddCatagory(catagory);
    TMacro macro = NewMacro();
    SetTitle(macro, title);
    macro.MacroType = type;
    macro.ShortCut = shortCut;
    SetMacroText(macro, mxLine1, line1);
    store.AddMacro(c, macro);
  }

  std::string WriteJson(const std::string& json) {
    WriteBytes(Folder.File("in.json"), json);
    return Folder.File("in.json");
  }

  TTempFolder Folder;
};

}  // namespace

TEST_F(CliStore, ListPrintsOneTabSeparatedLinePerMacroInStoreOrder) {
  Add("Web", "Link", mtBlockMode, 0xC04C);
  Add("Web", "Upper", mtChangeCase, 0);
  TRun run = Cli({"list", "--macros", Dir()});
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out, "Web\t0\tLink\tBlock Mode\tCtrl+Alt+L\nWeb\t1\tUpper\tChange Case\t\n");
}

TEST_F(CliStore, UsageErrorsExitWith2AndOtherErrorsWith1) {
  EXPECT_EQ(Cli({}).Code, 2);
  EXPECT_EQ(Cli({"frobnicate"}).Code, 2);
  EXPECT_EQ(Cli({"list"}).Code, 2);
  EXPECT_EQ(Cli({"list", "--macros", Dir(), "--colour"}).Code, 2);
  EXPECT_EQ(Cli({"export", "--macros", Dir(), "--codepage", "x"}).Code, 2);
  TRun missing = Cli({"list", "--macros", Folder.File("nowhere")});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_NE(missing.Err.find("nowhere"), std::string::npos);
  EXPECT_EQ(Cli({"export", "--macros", Dir(), "--category", "Absent"}).Code, 1);
}

TEST_F(CliStore, ExportShowsEveryFieldReadably) {
  Add("Web", "Caf\xE9", mtStripTags, 0xC054, "<(.*?)>");
  TRun run = Cli({"export", "--macros", Dir()});
  ASSERT_EQ(run.Code, 0) << run.Err;
  auto json = nlohmann::json::parse(run.Out);
  const auto& macro = json["catagories"][0]["macros"][0];
  EXPECT_EQ(json["catagories"][0]["name"], "Web");
  EXPECT_EQ(macro["title"], "Caf\xC3\xA9");
  EXPECT_EQ(macro["type"], "Strip Tags");
  EXPECT_EQ(macro["shortcut"], "Ctrl+Alt+T");
  EXPECT_EQ(macro["shortcutValue"], 0xC054);
  EXPECT_EQ(macro["line1"], "<(.*?)>");
  EXPECT_EQ(macro.size(), 15u) << "title, type, two shortcut forms and eleven texts";
}

TEST_F(CliStore, ExportThenImportGivesBackTheSameTextBytes) {
  std::string every;
  for (int byte = 1; byte < 256; ++byte)
    if (byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D)
      every += static_cast<char>(byte);
  Add("All", "bytes", mtLineMode, 0x2070, every.substr(0, 250));
  Add("All", "odd type", 7, 0);
  TRun exported = Cli({"export", "--macros", Dir()});
  ASSERT_EQ(exported.Code, 0) << exported.Err;
  std::string json = WriteJson(exported.Out);

  std::string other = Folder.File("Other");
  std::filesystem::create_directories(other);
  TRun imported = Cli({"import", "--macros", other, json});
  ASSERT_EQ(imported.Code, 0) << imported.Err;
  TCatagories original(Dir()), copy(other);
  ASSERT_EQ(copy.Items.size(), 1u);
  ASSERT_EQ(copy.Items[0].Macros.size(), 2u);
  for (int m = 0; m < 2; ++m) {
    const TMacro& a = original.Items[0].Macros[m];
    const TMacro& b = copy.Items[0].Macros[m];
    EXPECT_EQ(GetTitle(a), GetTitle(b));
    EXPECT_EQ(a.MacroType, b.MacroType);
    EXPECT_EQ(a.ShortCut, b.ShortCut);
    for (int f = 0; f < kMacroTextCount; ++f)
      EXPECT_EQ(GetMacroText(a, TMacroText(f)), GetMacroText(b, TMacroText(f))) << f;
  }
}

TEST_F(CliStore, ExportRefusesBytesTheCodePageDoesNotDefine) {
  Add("Bad", "x", mtBlockMode, 0, "a\x81" "b");
  TRun run = Cli({"export", "--macros", Dir()});
  EXPECT_EQ(run.Code, 1);
  EXPECT_EQ(run.Out, "") << "half a document was written";
  EXPECT_NE(run.Err.find("1252"), std::string::npos) << run.Err;
  EXPECT_EQ(Cli({"export", "--macros", Dir(), "--codepage", "1251"}).Code, 0);
}

TEST_F(CliStore, ImportAddsToAnExistingCatagoryOfAnyCase) {
  Add("Web", "Old", mtBlockMode, 0);
  std::string json = WriteJson(R"({"catagories":[{"name":"WEB","macros":[
      {"title":"New","type":"Line Mode","shortcut":"Ctrl+Alt+N","line1":"<li>{line}</li>"}]}]})");
  TRun run = Cli({"import", "--macros", Dir(), json});
  ASSERT_EQ(run.Code, 0) << run.Err;
  TCatagories store(Dir());
  ASSERT_EQ(store.Items.size(), 1u);
  ASSERT_EQ(store.Items[0].Macros.size(), 2u);
  const TMacro& added = store.Items[0].Macros[1];
  EXPECT_EQ(GetTitle(added), "New");
  EXPECT_EQ(added.MacroType, mtLineMode);
  EXPECT_EQ(added.ShortCut, 0xC04E);
  EXPECT_EQ(GetMacroText(added, mxLine1), "<li>{line}</li>");
}

TEST_F(CliStore, ImportRefusesANewCatagoryWhoseFileIsInTheWayAndWritesNothing) {
  std::filesystem::create_directories(PathJoin(Dir(), "Sub.cat"));
  TRun run = Cli({"import", "--macros", Dir(),
                  WriteJson(R"({"catagories":[{"name":"New","macros":[{}]},{"name":"Sub","macros":[{}]}]})")});
  EXPECT_EQ(run.Code, 1);
  EXPECT_NE(run.Err.find("Sub.cat"), std::string::npos) << run.Err;
  EXPECT_FALSE(FileExists(PathJoin(Dir(), "New.cat")));
}

TEST_F(CliStore, FaultyImportsNameThePlaceAndWriteNothing) {
  Add("Web", "Old", mtBlockMode, 0);
  struct TCase {
    const char* Json;
    const char* Expected;
  } cases[] = {
      {R"({"catagories":[{"name":"Web","macros":[{"title":"x"}]}, )", "not valid JSON"},
      {R"({"catagories":[{"name":"New","macros":[]},{"name":"Web","macros":[{"title":"ok"},
          {"title":"bad","type":"Upside Down"}]}]})", "macro 1 ('bad'), field type"},
      {R"({"catagories":[{"name":"Web","macros":[{"title":"this title is far too long for it"}]}]})",
       "field title"},
      {R"({"catagories":[{"name":"Web","macros":[{"title":"t","with2":"0123456789012345678901234567890123456789012345678901234567890123456789012345"}]}]})",
       "field with2"},
      {R"({"catagories":[{"name":"Web","macros":[{"title":"t","line1":"\u4e2d"}]}]})", "field line1"},
      {R"({"catagories":[{"name":"Web","macros":[{"title":"t","lineOne":"x"}]}]})", "field lineOne"},
      {R"({"catagories":[{"name":"Web","macros":[{"title":"t","shortcut":"Ctrl+Nope"}]}]})", "field shortcut"},
      {R"({"categories":[]})", "catagories"},
      // A name no file can have, found before the category ahead of it is written.
      {R"({"catagories":[{"name":"New","macros":[{}]},{"name":"A:B","macros":[{}]}]})", "field name"},
      {R"({"catagories":[{"name":"New","macros":[{}]},{"name":"","macros":[]}]})", "field name"},
      {R"({"catagories":[{"name":"New","macros":[]},{"name":"Lpt1.txt","macros":[]}]})", "Windows keeps"},
  };
  std::string before = ReadBytes(PathJoin(Dir(), "Web.cat"));
  for (const TCase& c : cases) {
    TRun run = Cli({"import", "--macros", Dir(), WriteJson(c.Json)});
    EXPECT_EQ(run.Code, 1) << c.Json;
    EXPECT_NE(run.Err.find(c.Expected), std::string::npos) << run.Err;
    EXPECT_FALSE(FileExists(PathJoin(Dir(), "New.cat"))) << "a catagory was written before the fault";
    EXPECT_EQ(ReadBytes(PathJoin(Dir(), "Web.cat")), before);
  }
  std::string longText(1024, 'x');
  TRun run = Cli({"import", "--macros", Dir(),
                  WriteJson(R"({"catagories":[{"name":"Web","macros":[{"title":"t","lastLine":")" + longText + "\"}]}]}")});
  EXPECT_EQ(run.Code, 1);
  EXPECT_NE(run.Err.find("field lastLine"), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find("1023"), std::string::npos) << run.Err;
}


TEST_F(CliStore, Utf8FolderSurvivesExportAndImportByteForByte) {
  const std::string arrows = "\xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  Add("Web", "Mark \xE2\x9C\x93", mtBlockMode, 0xC04C, arrows);
  WriteBytes(Folder.File("Macros/encoding"), "utf-8\r\n");
  std::string before = ReadBytes(Folder.File("Macros/Web.cat"));
  TRun exported = Cli({"export", "--macros", Dir(), "--codepage", "1252"});
  ASSERT_EQ(exported.Code, 0) << exported.Err;
  EXPECT_NE(exported.Err.find("--codepage applies only to ANSI folders"), std::string::npos);
  EXPECT_NE(exported.Out.find(arrows), std::string::npos) << "UTF-8 texts pass unconverted";
  std::string json = WriteJson(exported.Out);
  std::filesystem::remove(Folder.File("Macros/Web.cat"));
  TRun imported = Cli({"import", "--macros", Dir(), json});
  ASSERT_EQ(imported.Code, 0) << imported.Err;
  EXPECT_EQ(ReadBytes(Folder.File("Macros/Web.cat")), before);
}

TEST_F(CliStore, ConvertMarksTheFolderAfterABackupAndRefusesASecondTime) {
  Add("Web", "Caf\xE9", mtBlockMode, 0xC04C, "\x80uro");
  TRun converted = Cli({"convert", "--macros", Dir(), "--to", "UTF-8", "--codepage", "1252"});
  ASSERT_EQ(converted.Code, 0) << converted.Err;
  EXPECT_EQ(ReadBytes(Folder.File("Macros/encoding")).substr(0, 5), "utf-8");
  TRun listed = Cli({"list", "--macros", Dir()});
  EXPECT_NE(listed.Out.find("Caf\xC3\xA9"), std::string::npos) << listed.Out;
  // The backup holds the macros as they were, and imports back.
  std::vector<std::string> backups = FindFilesWithExtension(Folder.File("Backup"), ".json");
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_NE(ReadBytes(Folder.File("Backup/" + backups[0])).find("\"Caf\xC3\xA9\""), std::string::npos);
  TRun again = Cli({"convert", "--macros", Dir(), "--to", "utf-8"});
  EXPECT_EQ(again.Code, 1);
  EXPECT_NE(again.Err.find("already"), std::string::npos) << again.Err;
  EXPECT_EQ(Cli({"convert", "--macros", Dir(), "--to", "utf-16"}).Code, 2);
}

TEST_F(CliStore, AUtf8FoldersCategoryIsFoundByItsUtf8Name) {
  WriteStoreEncoding(Dir(), TStoreEncoding::Utf8);
  Add("Caf\xC3\xA9", "\xE2\x9C\x93 Tick", mtBlockMode, 0);
  TRun list = Cli({"list", "--macros", Dir()});
  EXPECT_EQ(list.Out, "Caf\xC3\xA9\t0\t\xE2\x9C\x93 Tick\tBlock Mode\t\n");
  TRun run = Cli({"export", "--macros", Dir(), "--category", "Caf\xC3\xA9"});
  ASSERT_EQ(run.Code, 0) << run.Err;
  auto json = nlohmann::json::parse(run.Out);
  EXPECT_EQ(json["catagories"][0]["macros"][0]["title"], "\xE2\x9C\x93 Tick");
}
