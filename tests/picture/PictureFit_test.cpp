// Placing pictures in the picture panel and the preview, the panel caption
// and the blending of transparent pixels.

#include <gtest/gtest.h>

#include <climits>

#include "picture/PictureFit.h"

namespace {

void ExpectRect(const TFitRect& place, int left, int top, int width, int height) {
  EXPECT_EQ(place.Left, left);
  EXPECT_EQ(place.Top, top);
  EXPECT_EQ(place.Width, width);
  EXPECT_EQ(place.Height, height);
}

TEST(FitPicture, EmptyPictureOrAreaGivesNothing) {
  ExpectRect(FitPicture(0, 0, 188, 130), 0, 0, 0, 0);
  ExpectRect(FitPicture(10, 0, 188, 130), 0, 0, 0, 0);
  ExpectRect(FitPicture(0, 10, 188, 130), 0, 0, 0, 0);
  ExpectRect(FitPicture(10, 10, 0, 130), 0, 0, 0, 0);
  ExpectRect(FitPicture(10, 10, 188, -5), 0, 0, 0, 0);
}

TEST(FitPicture, SmallPictureKeepsItsSizeAndIsCentred) {
  ExpectRect(FitPicture(32, 16, 188, 130), 78, 57, 32, 16);
  ExpectRect(FitPicture(1, 1, 188, 130), 93, 64, 1, 1);
}

TEST(FitPicture, PictureExactlyFillingTheAreaIsNotScaled) {
  ExpectRect(FitPicture(188, 130, 188, 130), 0, 0, 188, 130);
  // One side fits exactly, the other has room: still drawn at its own size.
  ExpectRect(FitPicture(188, 20, 188, 130), 0, 55, 188, 20);
}

TEST(FitPicture, WidePictureIsScaledToTheWidth) {
  ExpectRect(FitPicture(300, 200, 188, 130), 0, 2, 188, 125);
  ExpectRect(FitPicture(400, 100, 188, 130), 0, 41, 188, 47);
}

TEST(FitPicture, TallPictureIsScaledToTheHeight) {
  ExpectRect(FitPicture(100, 400, 188, 130), 78, 0, 32, 130);
}

TEST(FitPicture, SquarePictureIsScaledToTheShorterSideOfTheArea) {
  ExpectRect(FitPicture(500, 500, 188, 130), 29, 0, 130, 130);
  ExpectRect(FitPicture(500, 500, 130, 188), 0, 29, 130, 130);
}

TEST(FitPicture, NearlySquareWidePictureStillFitsTheHeight) {
  // Scaled to the width alone it would be 188 x 178 and spill out of a
  // 130-pixel-high area; the height bounds it.
  TFitRect place = FitPicture(200, 190, 188, 130);
  EXPECT_LE(place.Height, 130);
  EXPECT_LE(place.Width, 188);
  ExpectRect(place, 26, 0, 136, 130);
}

TEST(FitPicture, ThinPicturesNeverShrinkToNothing) {
  ExpectRect(FitPicture(10000, 1, 188, 130), 0, 64, 188, 1);
  ExpectRect(FitPicture(1, 10000, 188, 130), 93, 0, 1, 130);
}

TEST(FitPicture, HugeSidesDoNotOverflow) {
  ExpectRect(FitPicture(INT_MAX, INT_MAX / 2, 188, 130), 0, 18, 188, 93);
}

TEST(PreviewClientSize, PictureWithTenPixelsToSpare) {
  TFitSize size = PreviewClientSize(300, 200, 10, 1280, 1000);
  EXPECT_EQ(size.Width, 310);
  EXPECT_EQ(size.Height, 210);
}

TEST(PreviewClientSize, PictureLargerThanTheScreenIsScaledDownProportionally) {
  TFitSize size = PreviewClientSize(4000, 2000, 10, 1010, 1000);
  EXPECT_EQ(size.Width, 1010);
  EXPECT_EQ(size.Height, 510);
  size = PreviewClientSize(1000, 3000, 10, 1280, 310);
  EXPECT_EQ(size.Width, 110);
  EXPECT_EQ(size.Height, 310);
}

TEST(PreviewClientSize, ExactlyFittingPictureIsNotScaled) {
  TFitSize size = PreviewClientSize(1270, 990, 10, 1280, 1000);
  EXPECT_EQ(size.Width, 1280);
  EXPECT_EQ(size.Height, 1000);
}

TEST(PreviewClientSize, EmptyPictureOrTinyScreenStillGivesAWindow) {
  TFitSize size = PreviewClientSize(0, 0, 10, 1280, 1000);
  EXPECT_EQ(size.Width, 11);
  EXPECT_EQ(size.Height, 11);
  size = PreviewClientSize(500, 500, 10, 5, 5);
  EXPECT_EQ(size.Width, 11);
  EXPECT_EQ(size.Height, 11);
}

TEST(PictureCaption, SizeWithLeadingSpaceOrPictureLabel) {
  EXPECT_EQ(PictureCaption(true, 300, 200), " (300x200)");
  EXPECT_EQ(PictureCaption(true, 1, 65536), " (1x65536)");
  EXPECT_EQ(PictureCaption(false, 300, 200), "Picture:");
}

TEST(BlendOnto, AlphaMixesWithTheBackgroundAndTheResultIsOpaque) {
  const std::uint32_t background = 0x00F0F0F0;
  std::vector<std::uint32_t> pixels = {
      0xFF102030,  // opaque: kept
      0x00102030,  // transparent: background
      0x80FF0000,  // half red over light grey
  };
  std::vector<std::uint32_t> blended = BlendOnto(pixels, background);
  ASSERT_EQ(blended.size(), 3u);
  EXPECT_EQ(blended[0], 0xFF102030u);
  EXPECT_EQ(blended[1], 0xFFF0F0F0u);
  EXPECT_EQ(blended[2], 0xFFF87878u);
  EXPECT_TRUE(BlendOnto({}, background).empty());
}

}  // namespace
