// The picker's ranking: fuzzy title matches, the tiers below them, recent
// use for the empty query and stable ties.
#include "search/MacroRank.h"

#include <gtest/gtest.h>

#include "common/TempFolder.h"
#include "store/ShortCut.h"

namespace {

TMacro Macro(const std::string& title, const std::string& line, std::uint16_t shortCut = 0) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  macro.ShortCut = shortCut;
  SetMacroText(macro, mxLine1, line);
  return macro;
}

class MacroRankTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCatagories store(folder.Path());
    int web = store.AddCatagory("Web");
    store.AddMacro(web, Macro("Link", "<a href=\"{line}\">"));
    store.AddMacro(web, Macro("Block quote", "<blockquote>{line}</blockquote>", MakeShortCut('Q', false, true, true)));
    store.AddMacro(web, Macro("Bold", "<b>{line}</b>"));
    int blog = store.AddCatagory("Blog quotes");
    store.AddMacro(blog, Macro("Signature", "-- me"));
    store.AddMacro(blog, Macro("Signature", "-- you", MakeShortCut('S', false, true, true)));
    index = TMacroIndex(store);
  }

  std::vector<std::string> Ranked(const std::string& query, const std::vector<TMacroKey>& recent = {}) {
    std::vector<std::string> titles;
    for (int at : RankMacros(index, query, recent)) {
      const TMacroEntry& entry = index.Entries()[at];
      titles.push_back(entry.Title + (entry.ShortCutValue ? "*" : ""));
    }
    return titles;
  }

  TTempFolder folder;
  TMacroIndex index;
};

TEST(SubsequenceScore, FindsScatteredLettersAndPrefersWordStartsAndRuns) {
  EXPECT_GT(SubsequenceScore("block quote", "blq"), 0);
  EXPECT_EQ(SubsequenceScore("block quote", "qb"), -1) << "order counts";
  EXPECT_EQ(SubsequenceScore("bold", "bolld"), -1) << "each letter is used once";
  EXPECT_EQ(SubsequenceScore("", "a"), -1);
  EXPECT_EQ(SubsequenceScore("abc", ""), 0);
  EXPECT_GT(SubsequenceScore("bold", "bo"), SubsequenceScore("lobo", "bo")) << "the start beats the middle";
  EXPECT_GT(SubsequenceScore("block quote", "bq"), SubsequenceScore("barbeque", "bq")) << "word starts";
  // The best alignment, not the first one: the later "qu" is a whole run at a word start.
  EXPECT_GT(SubsequenceScore("aq xu quote", "qu"), SubsequenceScore("aq xu", "qu"));
}

TEST(SubsequenceScore, MatchesWholeCharactersOfSeveralBytes) {
  // "é" is C3 A9; "Ã©" holds the bytes C3 .. A9 in two other characters.
  EXPECT_EQ(SubsequenceScore("\xC3\x83\xC2\xA9", "\xC3\xA9"), -1);
  EXPECT_EQ(SubsequenceScore("\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC"), SubsequenceScore("ab", "ab"))
      << "a run of characters of several bytes scores as a run";
}

TEST_F(MacroRankTest, TitleMatchesRankAboveCategoryAboveText) {
  // "blq": the title first, then the category "Blog quotes".
  EXPECT_EQ(Ranked("blq"), (std::vector<std::string>{"Block quote*", "Signature", "Signature*"}));
  // "quote": a title, then both macros of "Blog quotes" by category, in
  // store order; the template texts of no other macro hold it.
  EXPECT_EQ(Ranked("quote"), (std::vector<std::string>{"Block quote*", "Signature", "Signature*"}));
  // "href" is only in a template; scattered letters there do not count.
  EXPECT_EQ(Ranked(" HREF "), std::vector<std::string>{"Link"});
  EXPECT_EQ(Ranked("hrf"), std::vector<std::string>{});
  // Shortcut text and kind are found as typed.
  EXPECT_EQ(Ranked("ctrl+alt+s"), std::vector<std::string>{"Signature*"});
  EXPECT_EQ(Ranked("zzz"), std::vector<std::string>{});
}

TEST_F(MacroRankTest, BetterTitleMatchesFirstAndTiesInStoreOrder) {
  // "bo": Bold starts with it; Block quote only has "b..o" apart.
  EXPECT_EQ(Ranked("bo").front(), "Bold");
  // The two Signatures score alike and keep store order.
  EXPECT_EQ(Ranked("sig"), (std::vector<std::string>{"Signature", "Signature*"}));
}

TEST_F(MacroRankTest, EmptyQueryPutsRecentUseFirstThenStoreOrder) {
  EXPECT_EQ(Ranked(""), (std::vector<std::string>{"Link", "Block quote*", "Bold", "Signature", "Signature*"}));
  std::vector<TMacroKey> recent = {
      {"Blog quotes", "Signature", MakeShortCut('S', false, true, true)},
      {"Gone", "Bold", 0},                                // no such category: skipped
      {"Web", "Bold", MakeShortCut('B', false, true, true)},  // shortcut changed since: still found
      {"Web", "Bold", 0},                                 // the same macro again: once only
  };
  EXPECT_EQ(Ranked("   ", recent),
            (std::vector<std::string>{"Signature*", "Bold", "Link", "Block quote*", "Signature"}));
}

TEST_F(MacroRankTest, FindsAMacroByItsNameWhereverItMoved) {
  EXPECT_EQ(FindMacroEntry(index, {"Blog quotes", "Signature", MakeShortCut('S', false, true, true)}), 4);
  EXPECT_EQ(FindMacroEntry(index, {"Blog quotes", "Signature", MakeShortCut('X', false, true, true)}), 3);
  EXPECT_EQ(FindMacroEntry(index, {"Web", "Signature", 0}), -1);
  EXPECT_EQ(MacroKeyOf(index.Entries()[1]), (TMacroKey{"Web", "Block quote", MakeShortCut('Q', false, true, true)}));
}

TEST(MacroKey, NamesAStoresMacroByItsTextsAsShown) {
  TCatagory catagory;
  catagory.Name = "Caf\xE9";
  const TMacroKey key{"Caf\xC3\xA9", "R\xC3\xA9sum\xC3\xA9", 7};
  EXPECT_TRUE(IsMacroOfKey(catagory, Macro("R\xE9sum\xE9", "", 7), key, 1252));
  EXPECT_FALSE(IsMacroOfKey(catagory, Macro("R\xE9sum\xE9", "", 8), key, 1252));
  EXPECT_FALSE(IsMacroOfKey(catagory, Macro("R\xE9sum\xE9", "", 7), key, kUtf8CodePage));
}

}  // namespace
