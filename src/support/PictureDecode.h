#pragma once
// Decoding whole pictures for display: BMP and GIF by our own code, PNG
// through libpng, JPEG through libjpeg. Portable; the picture dialog paints
// what these return. Picture sizes for templates never come from here (see
// ImageSize.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TPicture {
  int Width = 0;
  int Height = 0;
  // Width * Height pixels, rows from the top, each 0xAARRGGBB.
  std::vector<std::uint32_t> Pixels;
};

// Chooses the decoder by the file's extension (any case): ".bmp", ".gif",
// ".jpg"/".jpeg", ".png". False, and `picture` empty, for a file that is
// missing, has another extension, or does not decode.
bool LoadPicture(const std::string& path, TPicture& picture);
