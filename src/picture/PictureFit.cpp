#include "picture/PictureFit.h"

#include <algorithm>
#include <cstdio>

namespace {

// value * numerator / denominator in 64 bits, at least 1.
int ScaledSide(int value, int numerator, int denominator) {
  long long scaled = static_cast<long long>(value) * numerator / denominator;
  return static_cast<int>(std::max<long long>(scaled, 1));
}

// The picture scaled down so that both sides fit the room; the side that
// bounds it first is the one it is scaled to.
TFitSize ShrinkToFit(int width, int height, int roomWidth, int roomHeight) {
  if (width <= roomWidth && height <= roomHeight) return {width, height};
  // width / roomWidth >= height / roomHeight  <=>  the width bounds first.
  bool widthBounds = static_cast<long long>(width) * roomHeight >=
                     static_cast<long long>(height) * roomWidth;
  if (widthBounds) return {roomWidth, std::min(roomHeight, ScaledSide(height, roomWidth, width))};
  return {std::min(roomWidth, ScaledSide(width, roomHeight, height)), roomHeight};
}

}  // namespace

TFitRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
  TFitSize size = ShrinkToFit(pictureWidth, pictureHeight, areaWidth, areaHeight);
  TFitRect place;
  place.Width = size.Width;
  place.Height = size.Height;
  place.Left = (areaWidth - size.Width) / 2;
  place.Top = (areaHeight - size.Height) / 2;
  return place;
}

TFitSize PreviewClientSize(int pictureWidth, int pictureHeight, int spare, int maxWidth,
                           int maxHeight) {
  int width = std::max(pictureWidth, 1);
  int height = std::max(pictureHeight, 1);
  spare = std::max(spare, 0);
  int roomWidth = std::max(maxWidth - spare, 1);
  int roomHeight = std::max(maxHeight - spare, 1);
  TFitSize picture = ShrinkToFit(width, height, roomWidth, roomHeight);
  return {picture.Width + spare, picture.Height + spare};
}

std::string PictureCaption(bool loaded, int width, int height) {
  if (!loaded) return "Picture:";
  char text[40];
  std::snprintf(text, sizeof text, " (%dx%d)", width, height);
  return text;
}

std::vector<std::uint32_t> BlendOnto(const std::vector<std::uint32_t>& pixels,
                                     std::uint32_t background) {
  std::vector<std::uint32_t> result;
  result.reserve(pixels.size());
  for (std::uint32_t pixel : pixels) {
    std::uint32_t alpha = pixel >> 24;
    std::uint32_t blended = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
      std::uint32_t front = (pixel >> shift) & 0xFF;
      std::uint32_t back = (background >> shift) & 0xFF;
      // Rounded to the nearest: 0xFF over anything gives the front exactly.
      std::uint32_t mixed = (front * alpha + back * (255 - alpha) + 127) / 255;
      blended |= mixed << shift;
    }
    result.push_back(blended);
  }
  return result;
}
