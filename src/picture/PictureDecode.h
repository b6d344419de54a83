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

// The decoders behind LoadPicture, on a file's bytes in memory. Each reads
// only inside [data, data + size), gives false and an empty `picture` for
// anything damaged, truncated or unsupported, and never raises.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, TPicture& picture);
bool DecodeGif(const std::uint8_t* data, std::size_t size, TPicture& picture);
bool DecodePng(const std::uint8_t* data, std::size_t size, TPicture& picture);
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, TPicture& picture);

// The largest picture decoded: a forged header must not make us allocate
// gigabytes. 64 megapixels is 256 MB of pixels, far beyond any preview.
constexpr std::int64_t kMaxPicturePixels = 64LL * 1024 * 1024;
// Whether a picture of this size is one we decode (both sides positive,
// the area within kMaxPicturePixels).
bool PictureSizeAllowed(std::int64_t width, std::int64_t height);
// Sizes the picture and its pixels (all 0, transparent black); false for a
// size PictureSizeAllowed refuses or when memory runs out.
bool AllocatePicture(std::int64_t width, std::int64_t height, TPicture& picture);
