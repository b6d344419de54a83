// Converting an ANSI folder to UTF-8: every text the same, or nothing written.
#include "exchange/StoreConversion.h"

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/OsFile.h"
#include "common/TempFolder.h"
#include "store/StoreEncoding.h"

namespace {

// "Café €uro" in code page 1252.
const std::string kCafe1252 = "Caf\xE9 \x80uro";
const std::string kCafeUtf8 = "Caf\xC3\xA9 \xE2\x82\xACuro";

TMacro Filled(const std::string& title, const std::string& text) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  macro.ShortCut = 0xC04C;
  for (int field = 0; field < kMacroTextCount; ++field)
    SetMacroText(macro, static_cast<TMacroText>(field), text + std::to_string(field));
  return macro;
}

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatagories store(folder.Path());
    int web = store.AddCatagory("Web");
    store.AddMacro(web, Filled(kCafe1252, kCafe1252));
    int plain = store.AddCatagory("Plain");
    store.AddMacro(plain, Filled("Plain", "ascii only"));
  }
  std::string Files() {
    return ReadBytes(folder.File("Web.cat")) + ReadBytes(folder.File("Plain.cat"));
  }
  TTempFolder folder;
};

TEST_F(ConversionTest, EveryTextKeepsItsCharactersInUtf8) {
  TCatagories store(folder.Path());
  bool backedUp = false;
  TConversionCount count = ConvertStoreToUtf8(store, 1252, [&] {
    backedUp = true;
    EXPECT_FALSE(FileExists(StoreEncodingPath(folder.Path()))) << "backup before any write";
  });
  EXPECT_TRUE(backedUp);
  EXPECT_EQ(count.Catagories, 2);
  EXPECT_EQ(count.Macros, 2);
  EXPECT_EQ(ReadStoreEncoding(folder.Path()), TStoreEncoding::Utf8);
  EXPECT_EQ(store.Encoding(), TStoreEncoding::Utf8) << "memory follows the folder";
  EXPECT_EQ(GetTitle(store.Items[FindCatagory(store, "Web")].Macros[0]), kCafeUtf8);
  TCatagories reread(folder.Path());
  const TMacro& cafe = reread.Items[FindCatagory(reread, "Web")].Macros[0];
  EXPECT_EQ(GetTitle(cafe), kCafeUtf8);
  EXPECT_EQ(cafe.ShortCut, 0xC04C);
  for (int field = 0; field < kMacroTextCount; ++field)
    EXPECT_EQ(GetMacroText(cafe, static_cast<TMacroText>(field)), kCafeUtf8 + std::to_string(field));
  EXPECT_THROW(ConvertStoreToUtf8(reread, 1252, nullptr), EStoreConversion) << "only once";
}

TEST_F(ConversionTest, TextThatOutgrowsItsFieldStopsBeforeAnyWrite) {
  {
    TCatagories store(folder.Path());
    store.AddMacro(FindCatagory(store, "Plain"), Filled(std::string(20, '\xE9'), "x"));
  }
  std::string before = Files();
  TCatagories store(folder.Path());
  bool backedUp = false;
  try {
    ConvertStoreToUtf8(store, 1252, [&] { backedUp = true; });
    FAIL() << "no error";
  } catch (const EStoreConversion& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("catagory 'Plain', macro 1"), std::string::npos) << message;
    EXPECT_NE(message.find("title"), std::string::npos) << message;
  }
  EXPECT_FALSE(backedUp);
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(ReadStoreEncoding(folder.Path()), TStoreEncoding::Ansi);
}

TEST_F(ConversionTest, FailedWritePutsBackWhatWasConverted) {
  std::string before = Files();
  TCatagories store(folder.Path());
  FailNthWriteForTests(2, 10);  // the first category goes in, the second fails
  EXPECT_THROW(ConvertStoreToUtf8(store, 1252, nullptr), EFileError);
  FailNthWriteForTests(0, 0);
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(ReadStoreEncoding(folder.Path()), TStoreEncoding::Ansi);
}

}  // namespace
