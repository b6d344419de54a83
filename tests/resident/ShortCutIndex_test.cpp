#include "resident/ShortCutIndex.h"

#include <gtest/gtest.h>

#include <random>

#include "common/TempFolder.h"
#include "store/ShortCut.h"

namespace {

TMacro WithShortCut(std::uint16_t shortCut) {
  TMacro macro = NewMacro();
  macro.ShortCut = shortCut;
  return macro;
}

// Every word a key press can form: any key code with any modifiers.
std::vector<std::uint16_t> PressableWords() {
  std::vector<std::uint16_t> words;
  for (unsigned key = 0; key < 256; ++key)
    for (int mods = 0; mods < 8; ++mods)
      words.push_back(MakeShortCut(key, mods & 1, mods & 2, mods & 4));
  return words;
}

}  // namespace

class ShortCutIndexTest : public ::testing::Test {
 protected:
  ShortCutIndexTest() : Store(Folder.File("Macros")) {}
  TTempFolder Folder;
  TCatagories Store;
  TShortCutIndex Index;
};

TEST_F(ShortCutIndexTest, AgreesWithTheStoresLinearSearchForEveryPressableWord) {
  std::mt19937 random(5);
  // Few distinct words over many macros, so that duplicates across and
  // within categories are common; some words carry bits no press sets.
  std::uniform_int_distribution<int> pick(0, 40);
  for (int c = 0; c < 6; ++c) {
    int catagory = Store.AddCatagory("c" + std::to_string(c));
    for (int m = 0; m < 30; ++m) {
      int n = pick(random);
      std::uint16_t word = n == 0 ? 0 : n == 1 ? 0x1041 : MakeShortCut('A' + n % 8, n & 8, n & 16, n & 32);
      Store.AddMacro(catagory, WithShortCut(word));
    }
  }
  Index.Sync(Store);
  for (std::uint16_t word : PressableWords()) {
    int c1 = -1, m1 = -1, c2 = -1, m2 = -1;
    bool linear = word != 0 && Store.FindShortCut(word, c1, m1);
    ASSERT_EQ(Index.Find(word, c2, m2), linear) << word;
    EXPECT_EQ(c1, c2) << word;
    EXPECT_EQ(m1, m2) << word;
  }
}

TEST_F(ShortCutIndexTest, NoneAndUnpressableWordsAreNeverFound) {
  int c = Store.AddCatagory("Web");
  Store.AddMacro(c, WithShortCut(0));
  Store.AddMacro(c, WithShortCut(0x1041));
  Store.AddMacro(c, WithShortCut(0x0141));
  Index.Sync(Store);
  int catagory, macro;
  EXPECT_FALSE(Index.Find(0, catagory, macro));
  EXPECT_FALSE(Index.Find(0x1041, catagory, macro));
  EXPECT_FALSE(Index.Find(0x0141, catagory, macro));
  EXPECT_FALSE(Index.Find(0x41, catagory, macro));  // 0x1041 must not alias plain A
}

TEST_F(ShortCutIndexTest, FollowsEveryKindOfStoreChange) {
  const std::uint16_t word = kCtrlBit | 'T';
  int catagory, macro;
  int a = Store.AddCatagory("A");
  int b = Store.AddCatagory("B");
  Store.AddMacro(b, WithShortCut(word));
  Index.Sync(Store);
  ASSERT_TRUE(Index.Find(word, catagory, macro));
  EXPECT_EQ(catagory, b);

  Store.AddMacro(a, WithShortCut(word));  // an earlier category now wins
  Index.Sync(Store);
  ASSERT_TRUE(Index.Find(word, catagory, macro));
  EXPECT_EQ(catagory, a);

  Store.Items[a].Macros[0].ShortCut = kAltBit | 'T';
  Store.UpdateMacro(a, 0);
  Index.Sync(Store);
  ASSERT_TRUE(Index.Find(word, catagory, macro));
  EXPECT_EQ(catagory, b);

  Store.RemoveCatagory(b);
  Index.Sync(Store);
  EXPECT_FALSE(Index.Find(word, catagory, macro));
  ASSERT_TRUE(Index.Find(kAltBit | 'T', catagory, macro));
}

TEST_F(ShortCutIndexTest, InvalidateRebuildsWithoutAGenerationChange) {
  int c = Store.AddCatagory("Web");
  Store.AddMacro(c, WithShortCut(kCtrlBit | 'A'));
  Index.Sync(Store);
  Store.Items[c].Macros[0].ShortCut = kCtrlBit | 'B';  // memory only
  int catagory, macro;
  Index.Sync(Store);
  EXPECT_TRUE(Index.Find(kCtrlBit | 'A', catagory, macro));  // the generation did not move
  Index.Invalidate();
  Index.Sync(Store);
  EXPECT_FALSE(Index.Find(kCtrlBit | 'A', catagory, macro));
  EXPECT_TRUE(Index.Find(kCtrlBit | 'B', catagory, macro));
}
