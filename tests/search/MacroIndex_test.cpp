// The macro index and the editor's filter over it.
#include "search/MacroIndex.h"

#include <gtest/gtest.h>

#include "common/TempFolder.h"
#include "store/ShortCut.h"

namespace {

TMacro Macro(const std::string& title, std::uint16_t shortCut, const std::string& line,
             std::uint8_t type) {
  TMacro macro = NewMacro();
  macro.MacroType = type;
  SetTitle(macro, title);
  macro.ShortCut = shortCut;
  SetMacroText(macro, mxLine1, line);
  return macro;
}

class MacroIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatagories store(folder.Path());
    int web = store.AddCatagory("Web");
    store.AddMacro(web, Macro("Block Quote", MakeShortCut('Q', false, true, true), "<blockquote>", mtLineMode));
    store.AddMacro(web, Macro("Link", 0, "<a href=\"{line}\">", mtBlockMode));
    int mail = store.AddCatagory("Mail");
    store.AddMacro(mail, Macro("Greeting", MakeShortCut('G', true, true, false), "Dear SIR", mtEmail));
    index = TMacroIndex(store);
  }

  std::vector<std::string> Found(const std::string& query) {
    std::vector<std::string> titles;
    for (int at : FilterMacros(index, query)) titles.push_back(index.Entries()[at].Title);
    return titles;
  }

  TTempFolder folder;
  TMacroIndex index;
};

TEST_F(MacroIndexTest, EntriesKeepStoreOrderAndPlace) {
  ASSERT_EQ(index.Entries().size(), 3u);
  const TMacroEntry& greeting = index.Entries()[2];
  EXPECT_EQ(greeting.CatagoryName, "Mail");
  EXPECT_EQ(greeting.Catagory, 1);
  EXPECT_EQ(greeting.Macro, 0);
  EXPECT_EQ(greeting.ShortCut, ShortCutText(MakeShortCut('G', true, true, false)));
  EXPECT_EQ(index.Entries()[1].ShortCut, "");
}

TEST_F(MacroIndexTest, FilterMatchesTitleShortCutKindAndTemplateIgnoringCase) {
  EXPECT_EQ(Found("quote"), std::vector<std::string>{"Block Quote"});
  EXPECT_EQ(Found("block"), (std::vector<std::string>{"Block Quote", "Link"}));
  EXPECT_EQ(Found("email"), std::vector<std::string>{"Greeting"});
  EXPECT_EQ(Found("  HREF "), std::vector<std::string>{"Link"});
  EXPECT_EQ(Found("dear sir"), std::vector<std::string>{"Greeting"});
  EXPECT_EQ(Found(index.Entries()[2].ShortCut), std::vector<std::string>{"Greeting"});
  EXPECT_EQ(Found("").size(), 3u);
  EXPECT_TRUE(Found("nowhere").empty());
}

TEST_F(MacroIndexTest, CategoryNameAloneDoesNotMatch) {
  // The editor shows the category beside each hit; it filters by the
  // macro's own texts.
  EXPECT_TRUE(Found("web").empty());
}

}  // namespace

TEST(FoldCase, LowersCapitalsOfSeveralScriptsAndLeavesTheRestWhole) {
  // É Ł Ó × Σ Ж Ё → 日, and a cut character at the end.
  EXPECT_EQ(FoldCase("\xC3\x89\xC5\x81\xC3\x93\xC3\x97\xCE\xA3\xD0\x96\xD0\x81\xE2\x86\x92\xE6\x97\xA5" "A\xC3"),
            "\xC3\xA9\xC5\x82\xC3\xB3\xC3\x97\xCF\x83\xD0\xB6\xD1\x91\xE2\x86\x92\xE6\x97\xA5" "a\xC3");
}

// Titles and category names of both kinds of folder, as the windows show them.
TEST(MacroIndexTexts, AreUtf8ForEitherFolderAndFoundIgnoringCase) {
  for (bool utf8 : {false, true}) {
    TTempFolder folder;
    WriteStoreEncoding(folder.Path(), utf8 ? TStoreEncoding::Utf8 : TStoreEncoding::Ansi);
    TCatagories store(folder.Path());
    int cafe = store.AddCatagory(utf8 ? "Caf\xC3\xA9" : "Caf\xE9");
    store.AddMacro(cafe,
                   Macro(utf8 ? "R\xC3\xA9sum\xC3\xA9" : "R\xE9sum\xE9", 0, utf8 ? "na\xC3\xAFve" : "na\xEFve", 0));
    TMacroIndex index(store);
    EXPECT_EQ(index.Entries()[0].CatagoryName, "Caf\xC3\xA9");
    EXPECT_EQ(index.Entries()[0].Title, "R\xC3\xA9sum\xC3\xA9");
    EXPECT_EQ(FilterMacros(index, "R\xC3\x89SUM").size(), 1u);
    EXPECT_EQ(FilterMacros(index, "NA\xC3\x8FVE").size(), 1u) << "template texts too";
  }
}
