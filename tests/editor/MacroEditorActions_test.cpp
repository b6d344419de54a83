#include "editor/MacroEditorActions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/TempFolder.h"
#include "store/Catagories.h"
#include "store/StoreText.h"

namespace {

TMacro Named(const std::string& title, std::uint16_t shortCut = 0) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  macro.ShortCut = shortCut;
  SetMacroText(macro, mxLine1, "text of " + title);
  return macro;
}

std::string Bytes(const TCatagory& catagory) {
  return std::string(reinterpret_cast<const char*>(catagory.Macros.data()),
                     catagory.Macros.size() * kMacroRecordSize);
}

class DeleteUndo : public ::testing::Test {
 protected:
  TTempFolder Folder;
  TCatagories Store{Folder.File("Macros")};
};

}  // namespace

TEST_F(DeleteUndo, ADeletedMacroComesBackIntoItsCatagoryEvenAfterARename) {
  int web = Store.AddCatagory("Web");
  Store.AddMacro(web, Named("Bold", 0xC042));
  Store.AddMacro(web, Named("Link"));
  TDeleteUndo undo;
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_EQ(undo.Description(), "");
  TMacro deleted = Store.Items[web].Macros[0];
  undo.MacroDeleted("Web", deleted);
  Store.RemoveMacro(web, 0);
  ASSERT_TRUE(Store.RenameCatagory(web, "Pages"));
  undo.CatagoryRenamed("WEB", "Pages");
  EXPECT_EQ(undo.Description(), "Delete Macro 'Bold'");
  EXPECT_EQ(undo.Undo(Store), std::make_pair(web, 1));
  EXPECT_FALSE(undo.CanUndo()) << "one undo only";
  TCatagories reloaded(Folder.File("Macros"));
  ASSERT_EQ(reloaded.Items[0].Macros.size(), 2u);
  EXPECT_EQ(std::memcmp(&reloaded.Items[0].Macros[1], &deleted, sizeof deleted), 0) << "byte for byte";
}

TEST_F(DeleteUndo, ARemovedCatagoryComesBackWholeOrNotAtAll) {
  int tools = Store.AddCatagory("Tools");
  Store.AddMacro(tools, Named("A"));
  Store.AddMacro(tools, Named("B", 0xC041));
  std::string bytes = Bytes(Store.Items[tools]);
  TDeleteUndo undo;
  undo.CatagoryRemoved(Store.Items[tools]);
  Store.RemoveCatagory(tools);
  EXPECT_EQ(undo.Description(), "Remove Catagory 'Tools'");

  // Refused while another category holds the name; still there to undo.
  int again = Store.AddCatagory("TOOLS");
  EXPECT_THROW(undo.Undo(Store), std::runtime_error);
  EXPECT_TRUE(undo.CanUndo());
  Store.RemoveCatagory(again);

  // A failed write leaves no half category behind.
  FailNthWriteForTests(2, 10);
  EXPECT_THROW(undo.Undo(Store), EFileError);
  FailNthWriteForTests(0, 0);
  EXPECT_EQ(FindCatagory(Store, "Tools"), -1);
  EXPECT_FALSE(FileExists(Store.CatagoryFileName("Tools")));

  std::pair<int, int> place = undo.Undo(Store);
  EXPECT_EQ(place.second, -1);
  EXPECT_EQ(Store.Items[place.first].Name, "Tools");
  EXPECT_EQ(ReadBytes(Store.CatagoryFileName("Tools")), bytes);
}

TEST_F(DeleteUndo, AMacroWhoseCatagoryIsGoneIsRefused) {
  int gone = Store.AddCatagory("Gone");
  Store.AddMacro(gone, Named("A"));
  TDeleteUndo undo;
  undo.MacroDeleted("Gone", Store.Items[gone].Macros[0]);
  Store.RemoveCatagory(gone);
  EXPECT_THROW(undo.Undo(Store), std::runtime_error);
}

TEST(ImportQuestion, CountsNewCatagoriesAndListsTheFirstClashes) {
  TImportPlan plan;
  EXPECT_EQ(ImportQuestion(plan, "x.json", kUtf8CodePage), "") << "nothing to import";
  plan.MacroCount = 1;
  EXPECT_EQ(ImportQuestion(plan, "x.json", kUtf8CodePage), "Import 1 macro from \"x.json\"?");
  plan.MacroCount = 14;
  plan.NewCatagories = {"A", "B"};
  for (int i = 0; i < 12; ++i) plan.Clashes.push_back({"A", "T" + std::to_string(i), 0xC041, "Old", "Held"});
  std::string text = ImportQuestion(plan, "x.json", kUtf8CodePage);
  EXPECT_EQ(text.find("Import 14 macros from \"x.json\"?\n\nNew catagories: A, B\n\n"), 0u) << text;
  EXPECT_NE(text.find("\nCtrl+Alt+A: 'T0' in 'A', held by 'Held' in 'Old'"), std::string::npos) << text;
  EXPECT_NE(text.find("'T9'"), std::string::npos);
  EXPECT_EQ(text.find("'T10'"), std::string::npos);
  EXPECT_NE(text.find("... and 2 more"), std::string::npos);
  plan.NewCatagories.assign(13, "N");
  text = ImportQuestion(plan, "x.json", kUtf8CodePage);
  EXPECT_NE(text.find("N, N and 3 more\n"), std::string::npos) << text;
}

TEST(ImportQuestion, QuotesAnsiNamesAsUtf8BesideAUtf8FileName) {
  TImportPlan plan;
  plan.NewCatagories = {"Caf\xE9"};
  plan.Clashes.push_back({"Caf\xE9", "R\xE9sum\xE9", 0xC041, "Old", "Held"});
  std::string text = ImportQuestion(plan, "\xE6\x97\xA5.json", 1252);
  EXPECT_EQ(text.find("Import 0 macros from \"\xE6\x97\xA5.json\"?\n\nNew catagories: Caf\xC3\xA9\n"), 0u) << text;
  EXPECT_NE(text.find("'R\xC3\xA9sum\xC3\xA9' in 'Caf\xC3\xA9'"), std::string::npos) << text;
}

// A store of either kind holding "Café": names typed for it are stored in its form or refused in UTF-8 words.
TEST(TypedCatagoryName, IsStoredInTheFolderFormOrRefusedWithAReason) {
  std::string accents;  // 256 bytes as UTF-8, 128 in the ANSI code page
  for (int i = 0; i < 128; ++i) accents += "\xC3\xA9";
  for (bool utf8 : {false, true}) {
    TTempFolder folder;
    WriteStoreEncoding(folder.Path(), utf8 ? TStoreEncoding::Utf8 : TStoreEncoding::Ansi);
    TCatagories store(folder.Path());
    store.AddCatagory(utf8 ? "Caf\xC3\xA9" : "Caf\xE9");
    std::string stored;
    EXPECT_EQ(TypedCatagoryNameProblem(store, "\xC3\x89t\xC3\xA9", stored), "");
    EXPECT_EQ(stored, utf8 ? "\xC3\x89t\xC3\xA9" : "\xC9t\xE9");
    EXPECT_NE(TypedCatagoryNameProblem(store, "CAF\xC3\xA9", stored).find("named 'CAF\xC3\xA9' already"),
              std::string::npos);
    EXPECT_EQ(TypedCatagoryNameProblem(store, "CAF\xC3\xA9", stored, 0), "") << "its own name, renamed";
    EXPECT_EQ(TypedCatagoryNameProblem(store, accents, stored).find("This catagory name is too long: 255 bytes"),
              utf8 ? 0u : std::string::npos);
    std::string cjk = TypedCatagoryNameProblem(store, "\xE6\x97\xA5", stored);
    EXPECT_EQ(cjk.find("'\xE6\x97\xA5' (U+65E5), which this macros folder cannot hold") != std::string::npos, !utf8)
        << cjk;
    EXPECT_EQ(cjk.empty(), utf8);
  }
}
