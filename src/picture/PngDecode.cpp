// PNG pictures through libpng. Every kind (palette, gray, 16 bits per
// channel, with or without alpha or a transparency chunk, interlaced) comes
// out as 8-bit RGBA rows. libpng reports errors by longjmp to the setjmp in
// RunPng; that function owns nothing with a destructor, and everything the
// decode allocates lives in TPngJob, which outlives it.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "picture/PictureDecode.h"

namespace {

// The memory read by the read callback and the rows libpng fills.
struct TPngJob {
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
  std::size_t Pos = 0;
  std::vector<std::uint8_t> Rgba;
  std::vector<png_bytep> Rows;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* job = static_cast<TPngJob*>(png_get_io_ptr(png));
  if (count > job->Size - job->Pos) png_error(png, "file ends early");
  std::memcpy(out, job->Data + job->Pos, count);
  job->Pos += count;
}

// Errors go back through longjmp; nothing is printed for either kind.
void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

void AskForRgba(png_structp png, png_infop info) {
  int colourType = png_get_color_type(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // no-op where alpha exists already
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

// Only plain data and pointers live here: a longjmp skips no destructor.
bool RunPng(png_structp png, png_infop info, TPngJob& job, TPicture& picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &job, ReadFromMemory);
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  if (!PictureSizeAllowed(width, height)) return false;
  AskForRgba(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) return false;
  if (!AllocatePicture(width, height, picture)) return false;
  job.Rgba.resize(static_cast<std::size_t>(width) * height * 4);
  job.Rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) job.Rows[y] = job.Rgba.data() + static_cast<std::size_t>(y) * width * 4;
  png_read_image(png, job.Rows.data());
  png_read_end(png, nullptr);
  return true;
}

void RgbaToPixels(const std::vector<std::uint8_t>& rgba, TPicture& picture) {
  const std::uint8_t* p = rgba.data();
  for (std::uint32_t& pixel : picture.Pixels) {
    pixel = static_cast<std::uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    p += 4;
  }
}

}  // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, TPicture& picture) {
  picture = TPicture();
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  // Ancillary chunks are capped too: a forged one must not claim gigabytes.
  png_set_chunk_malloc_max(png, 8 * 1024 * 1024);
  TPngJob job;
  job.Data = data;
  job.Size = size;
  bool decoded = false;
  try {
    decoded = RunPng(png, info, job, picture);
  } catch (const std::bad_alloc&) {
    decoded = false;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (decoded) RgbaToPixels(job.Rgba, picture);
  else picture = TPicture();
  return decoded;
}
