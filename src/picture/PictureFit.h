#pragma once
// Where a picture goes on the screen: its place in the picture panel, the
// first size of the preview window, the panel's caption and the picture's
// pixels made opaque against the panel's colour. Portable: the dialogs only
// draw what these say.

#include <cstdint>
#include <string>
#include <vector>

struct TFitRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TFitSize {
  int Width = 0;
  int Height = 0;
};

// The picture's place in an area, centred: at its own size when it fits,
// otherwise scaled down proportionally until it fits both ways. A side of a
// shown picture is never less than 1 pixel; an empty picture or area gives
// an empty rectangle.
TFitRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// The preview's first client size: the picture with `spare` pixels to spare
// across and down, scaled down proportionally when that is larger than the
// room on the screen (`maxWidth` x `maxHeight`).
TFitSize PreviewClientSize(int pictureWidth, int pictureHeight, int spare, int maxWidth,
                           int maxHeight);

// " (WxH)" for a loaded picture, "Picture:" for none.
std::string PictureCaption(bool loaded, int width, int height);

// 0xAARRGGBB pixels laid over an opaque 0x00RRGGBB background; the result
// is opaque (alpha 0xFF), for drawing where the surface has no alpha.
std::vector<std::uint32_t> BlendOnto(const std::vector<std::uint32_t>& pixels,
                                     std::uint32_t background);
