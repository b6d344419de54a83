#include "editor/EditorPictures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

TEST(EditorPictures, EveryPictureIsAFullGridOfKnownColours) {
  for (int picture = 0; picture < kEditorPictureCount; ++picture) {
    SCOPED_TRACE(picture);
    std::vector<std::string> rows = EditorPictureRows(picture);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kEditorPictureSize));
    int painted = 0;
    for (const std::string& row : rows) {
      ASSERT_EQ(row.size(), static_cast<std::size_t>(kEditorPictureSize)) << row;
      for (char letter : row) {
        std::uint32_t rgb = 0;
        if (letter == '.') continue;
        EXPECT_TRUE(EditorPaletteColour(letter, rgb)) << "unknown letter " << letter;
        ++painted;
      }
    }
    // Enough to be seen, and a transparent border to sit on any button.
    EXPECT_GT(painted, 20);
    EXPECT_LT(painted, kEditorPictureSize * kEditorPictureSize);
  }
}

TEST(EditorPictures, NoTwoButtonsLookAlike) {
  std::set<std::vector<std::string>> seen;
  for (int picture = 0; picture < kEditorPictureCount; ++picture)
    EXPECT_TRUE(seen.insert(EditorPictureRows(picture)).second) << "picture " << picture << " repeats";
}

TEST(EditorPictures, TagPicturesShowBracesAndAnUnknownIndexIsBlank) {
  for (int picture : {+epVariable, +epLine, +epFile, +epImage, +epImageWidth, +epImageHeight, +epOptional}) {
    std::vector<std::string> rows = EditorPictureRows(picture);
    EXPECT_EQ(rows[7].front(), 'b') << picture;  // the braces' points
    EXPECT_EQ(rows[7].back(), 'b') << picture;
  }
  for (int picture : {-1, static_cast<int>(kEditorPictureCount)})
    for (const std::string& row : EditorPictureRows(picture))
      EXPECT_EQ(row, std::string(kEditorPictureSize, '.'));
  std::uint32_t rgb = 0;
  EXPECT_FALSE(EditorPaletteColour('.', rgb));
  EXPECT_FALSE(EditorPaletteColour('?', rgb));
}
