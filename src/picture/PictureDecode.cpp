#include "picture/PictureDecode.h"
#include "base/PathParts.h"

#include <new>

#include "picture/ImageSize.h"
#include "base/OsFile.h"

namespace {

// A picture file larger than this is not read into memory for a preview.
constexpr std::int64_t kMaxPictureFileSize = 256LL * 1024 * 1024;

using TDecoder = bool (*)(const std::uint8_t*, std::size_t, TPicture&);

TDecoder DecoderFor(const std::string& path) {
  std::string extension = LowerExtensionOf(path);
  if (extension == ".bmp") return DecodeBmp;
  if (extension == ".gif") return DecodeGif;
  if (extension == ".png") return DecodePng;
  if (extension == ".jpg" || extension == ".jpeg") return DecodeJpeg;
  return nullptr;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  TOsFile file;
  if (!TOsFile::TryOpen(path, omRead, file)) return false;
  std::int64_t size = file.Size();
  if (size <= 0 || size > kMaxPictureFileSize) return false;
  bytes.resize(static_cast<std::size_t>(size));
  return file.Read(bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
         width * height <= kMaxPicturePixels;
}

bool AllocatePicture(std::int64_t width, std::int64_t height, TPicture& picture) {
  picture = TPicture();
  if (!PictureSizeAllowed(width, height)) return false;
  try {
    picture.Pixels.assign(static_cast<std::size_t>(width * height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  picture.Width = static_cast<int>(width);
  picture.Height = static_cast<int>(height);
  return true;
}

bool LoadPicture(const std::string& path, TPicture& picture) {
  picture = TPicture();
  TDecoder decode = DecoderFor(path);
  if (!decode) return false;
  std::vector<std::uint8_t> bytes;
  try {
    if (!ReadWholeFile(path, bytes)) return false;
  } catch (const EFileError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (decode(bytes.data(), bytes.size(), picture)) return true;
  picture = TPicture();
  return false;
}
