#include <gtest/gtest.h>

#include <string>

#include "run/UserVarsLayout.h"

TEST(SelectionPreview, ShortTextIsShownWholeOnOneLine) {
  EXPECT_EQ(SelectionPreview("", false), "");
  EXPECT_EQ(SelectionPreview("one\r\ntwo", false), "one two");
  EXPECT_EQ(SelectionPreview("a\nb\rc\r\n\r\nd", false), "a b c  d") << "each break is one space";
  std::string exactly35(35, 'x');
  EXPECT_EQ(SelectionPreview(exactly35, false), exactly35) << "35 characters need no cut";
}

TEST(SelectionPreview, FortyCharactersOnTwoLinesAreCutAfter35) {
  // 19 + CR LF + 19 = 40 bytes, 39 characters once the break is a space.
  std::string selection = "abcdefghijklmnopqrs\r\nABCDEFGHIJKLMNOPQRS";
  ASSERT_EQ(selection.size(), 40u);
  EXPECT_EQ(SelectionPreview(selection, false), "abcdefghijklmnopqrs ABCDEFGHIJKLMNO...");
  EXPECT_EQ(SelectionPreview(selection, true), "abcdefghijklmnopqrs ABCDEFGHIJKLMNO...");
}

TEST(SelectionPreview, Utf8CountsCharactersAndNeverCutsASequence) {
  // 40 three-byte characters: 35 of them are kept, 105 bytes.
  std::string kanji;
  for (int i = 0; i < 40; ++i) kanji += "\xE6\x97\xA5";
  EXPECT_EQ(SelectionPreview(kanji, true), kanji.substr(0, 105) + "...");
  // 35 two-byte characters fit whole although they are 70 bytes.
  std::string umlauts;
  for (int i = 0; i < 35; ++i) umlauts += "\xC3\xBC";
  EXPECT_EQ(SelectionPreview(umlauts, true), umlauts);
  // 34 letters, then a four-byte character at the cut, then more.
  std::string mixed = std::string(34, 'a') + "\xF0\x9F\x98\x80" + "\xE2\x9C\x93" + "b";
  EXPECT_EQ(SelectionPreview(mixed, true), std::string(34, 'a') + "\xF0\x9F\x98\x80...");
  // In the ANSI code page every byte is a character.
  std::string ansi(40, '\xE9');
  EXPECT_EQ(SelectionPreview(ansi, false), std::string(35, '\xE9') + "...");
}

TEST(UserVarsLayout, HeightGrowsOneStepPerRowBeyondTheFirst) {
  const int designed = kUserVarsClientHeight;
  EXPECT_EQ(UserVarsClientHeight(1, false), designed);
  EXPECT_EQ(UserVarsClientHeight(2, false), designed + 24);
  EXPECT_EQ(UserVarsClientHeight(3, false), designed + 48);
  EXPECT_EQ(UserVarsClientHeight(0, true), designed + 24) << "the directory rows alone";
  EXPECT_EQ(UserVarsClientHeight(1, true), designed + 48);
  EXPECT_EQ(UserVarsClientHeight(2, true), designed + 72);
  EXPECT_EQ(UserVarsClientHeight(3, true), designed + 96);
}

TEST(UserVarsLayout, RowsStepDownAndTheButtonsFollowTheBottom) {
  TUserVarsRowPlace first = UserVarsRow(0, false);
  EXPECT_EQ(first.LabelLeft, 8);
  EXPECT_EQ(first.LabelTop, 92);
  EXPECT_EQ(first.EditLeft, 88);
  EXPECT_EQ(first.EditTop, 88);
  EXPECT_EQ(first.EditWidth, 329);
  EXPECT_EQ(first.EditHeight, 21);
  TUserVarsRowPlace fourth = UserVarsRow(3, false);
  EXPECT_EQ(fourth.LabelTop, 92 + 72);
  EXPECT_EQ(fourth.EditTop, 88 + 72);

  // The working-directory edit leaves room for "..." at its right.
  TUserVarsRowPlace work = UserVarsRow(0, true);
  TUserVarsButtons buttons = UserVarsButtons(UserVarsClientHeight(2, true));
  EXPECT_EQ(work.EditWidth, 329 - 32);
  EXPECT_LT(work.EditLeft + work.EditWidth, buttons.BrowseLeft);
  EXPECT_EQ(buttons.BrowseLeft + buttons.BrowseWidth, first.EditLeft + first.EditWidth);
  EXPECT_EQ(buttons.BrowseTop, work.EditTop);

  for (std::size_t count : {1u, 2u, 5u}) {
    int height = UserVarsClientHeight(count, true);
    TUserVarsButtons b = UserVarsButtons(height);
    EXPECT_EQ(height - b.Top, kUserVarsClientHeight - 116) << count;
    TUserVarsRowPlace last = UserVarsRow(static_cast<int>(count) + 1, false);
    EXPECT_LT(last.EditTop + last.EditHeight, b.Top) << "the last row stays above the buttons";
  }
  TUserVarsButtons designed = UserVarsButtons(kUserVarsClientHeight);
  EXPECT_EQ(designed.OkLeft, 244);
  EXPECT_EQ(designed.CancelLeft, 332);
  EXPECT_EQ(designed.Top, 116);
}

TEST(UserVarsLayout, SectionVariablesLoseTheirMarkAndTurnItalic) {
  TUserVarLabel plain = UserVarLabel("name");
  EXPECT_EQ(plain.Text, "name");
  EXPECT_FALSE(plain.Italic);
  TUserVarLabel section = UserVarLabel("!greeting");
  EXPECT_EQ(section.Text, "greeting");
  EXPECT_TRUE(section.Italic);
  EXPECT_EQ(UserVarLabel("a!b").Text, "a!b");
  EXPECT_FALSE(UserVarLabel("").Italic);
}
