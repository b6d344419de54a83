// Random file contents under each of the four picture names: no input may
// crash, read out of bounds or hang the JPEG walk, and the size must be the
// one the header fields give (or 0 x 0).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "picture/ImageSize.h"
#include "base/OsFile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Four files are written per input: in memory (/dev/shm) that is some sixty
// times faster than on disk. One set per process, removed at exit.
std::filesystem::path FuzzFolder() {
  std::error_code ignored;
  if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

struct TFuzzFiles {
  std::string Base = (FuzzFolder() / ("zarvel-imagesize-fuzz-" + std::to_string(::getpid()))).string();
  ~TFuzzFiles() {
    for (const char* extension : {".png", ".bmp", ".gif", ".jpg"}) DeleteOneFile(Base + extension);
  }
} gFuzzFiles;

TImageSize SizeAs(const char* extension, const uint8_t* data, size_t size) {
  std::string path = gFuzzFiles.Base + extension;
  {
    TOsFile file(path, omCreate);
    file.Write(data, size);
  }
  return ReadImageSize(path);
}

bool IsZero(const TImageSize& size) { return size.Width == 0 && size.Height == 0; }

std::int32_t Le32(const uint8_t* data, size_t at) {
  return static_cast<std::int32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16 |
                                   static_cast<std::uint32_t>(data[at + 3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint8_t kPng[8] = {137, 80, 78, 71, 13, 10, 26, 10};

  TImageSize png = SizeAs(".png", data, size);
  Check(png.Width >= 0 && png.Width <= 0xFFFF && png.Height >= 0 && png.Height <= 0xFFFF);
  if (size < 8 || std::memcmp(data, kPng, 8) != 0) Check(IsZero(png));
  if (size >= 24 && std::memcmp(data, kPng, 8) == 0)
    Check(png.Width == (data[18] << 8 | data[19]) && png.Height == (data[22] << 8 | data[23]));

  TImageSize bmp = SizeAs(".bmp", data, size);
  if (size < 26 || Le32(data, 22) == INT32_MIN) Check(IsZero(bmp));
  else Check(bmp.Width == Le32(data, 18) && bmp.Height == (Le32(data, 22) < 0 ? -Le32(data, 22) : Le32(data, 22)));

  // Neither name is PNG or BMP: the first bytes decide, the same for both.
  TImageSize gif = SizeAs(".gif", data, size);
  TImageSize jpg = SizeAs(".jpg", data, size);
  Check(gif.Width == jpg.Width && gif.Height == jpg.Height);
  Check(gif.Width >= 0 && gif.Width <= 0xFFFF && gif.Height >= 0 && gif.Height <= 0xFFFF);
  bool isGif = size >= 10 && data[0] == 'G' && data[1] == 'I';
  bool isJpeg = size >= 10 && data[0] == 0xFF && data[1] == 0xD8;
  if (!isGif && !isJpeg) Check(IsZero(gif));
  if (isGif) Check(gif.Width == (data[6] | data[7] << 8) && gif.Height == (data[8] | data[9] << 8));
  return 0;
}
