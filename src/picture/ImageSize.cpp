#include "picture/ImageSize.h"
#include "base/PathParts.h"

#include <cstddef>
#include <cstring>
#include <limits>

#include "base/OsFile.h"

namespace {

// Header layouts. These are fixed by the file formats themselves.
const unsigned char kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::int64_t kPngWidthOffset = 18;   // low word of the IHDR width
constexpr std::int64_t kPngHeightOffset = 22;  // low word of the IHDR height

constexpr std::int64_t kBmpWidthOffset = 18;   // BITMAPINFOHEADER biWidth
constexpr std::size_t kBmpFieldsEnd = 26;      // ... and biHeight, signed

constexpr std::size_t kSniffSize = 10;         // GIF header up to the screen size
constexpr std::size_t kGifWidthOffset = 6;
constexpr std::size_t kGifHeightOffset = 8;

constexpr std::int64_t kJpegFirstSegment = 2;  // right after FF D8
// Start-of-frame markers run from FF C0 to FF CF; three codes among them
// are other segments: Huffman tables (C4), reserved (C8), arithmetic-coding
// conditions (CC).
constexpr unsigned kJpegFirstFrame = 0xFFC0, kJpegLastFrame = 0xFFCF;
constexpr unsigned kJpegHuffmanTables = 0xFFC4, kJpegReserved = 0xFFC8, kJpegArithmeticConditions = 0xFFCC;

// Baseline, extended, progressive and lossless frames, Huffman or
// arithmetic coded, all begin with the same header holding the size.
bool IsJpegFrameMarker(unsigned marker) {
  return marker >= kJpegFirstFrame && marker <= kJpegLastFrame && marker != kJpegHuffmanTables &&
         marker != kJpegReserved && marker != kJpegArithmeticConditions;
}

// A block of header bytes. Every getter returns 0 past the end, so a field
// read from a short block can never touch memory it does not own.
struct THeaderBytes {
  unsigned char Data[32] = {};
  std::size_t Size = 0;

  unsigned Get8(std::size_t at) const { return at < Size ? Data[at] : 0; }
  unsigned Get16Be(std::size_t at) const { return Get8(at) << 8 | Get8(at + 1); }
  unsigned Get16Le(std::size_t at) const { return Get8(at) | Get8(at + 1) << 8; }
  std::uint32_t Get32Le(std::size_t at) const {
    return static_cast<std::uint32_t>(Get16Le(at)) | static_cast<std::uint32_t>(Get16Le(at + 2)) << 16;
  }
};

THeaderBytes ReadHeader(TOsFile& file, std::int64_t offset, std::size_t count) {
  THeaderBytes bytes;
  if (count > sizeof bytes.Data) count = sizeof bytes.Data;
  file.Seek(offset);
  bytes.Size = file.Read(bytes.Data, count);
  return bytes;
}


TImageSize ReadBmpSize(TOsFile& file) {
  // A negative height marks a bitmap stored top-down; the picture is as high
  // either way. The one height without a positive form is a damaged header.
  THeaderBytes header = ReadHeader(file, 0, kBmpFieldsEnd);
  if (header.Size < kBmpFieldsEnd) return {};
  const std::int32_t height = static_cast<std::int32_t>(header.Get32Le(kBmpWidthOffset + 4));
  if (height == std::numeric_limits<std::int32_t>::min()) return {};
  return {static_cast<std::int32_t>(header.Get32Le(kBmpWidthOffset)), height < 0 ? -height : height};
}

// Walks the segments from marker to marker up to the first frame header,
// of whatever kind. A length below 2 cannot be right (it
// counts its own two bytes) and would not reach the next marker: the file
// is taken as damaged, which also means every step moves forward by at
// least four bytes and the walk always ends.
TImageSize ReadJpegSize(TOsFile& file) {
  std::int64_t position = kJpegFirstSegment;
  for (;;) {
    THeaderBytes segment = ReadHeader(file, position, 4);
    if (segment.Size < 4) return {};
    if (IsJpegFrameMarker(segment.Get16Be(0))) break;
    unsigned length = segment.Get16Be(2);
    if (length < 2) return {};
    position += 2 + length;
  }
  // Length (2 bytes) and sample precision (1 byte), then height and width.
  THeaderBytes frame = ReadHeader(file, position + 5, 4);
  if (frame.Size < 4) return {};
  return {static_cast<int>(frame.Get16Be(2)), static_cast<int>(frame.Get16Be(0))};
}

TImageSize ReadSniffedSize(TOsFile& file) {
  THeaderBytes header = ReadHeader(file, 0, kSniffSize);
  if (header.Size < kSniffSize) return {};
  if (header.Get8(0) == 'G' && header.Get8(1) == 'I')
    return {static_cast<int>(header.Get16Le(kGifWidthOffset)),
            static_cast<int>(header.Get16Le(kGifHeightOffset))};
  if (header.Get8(0) == 0xFF && header.Get8(1) == 0xD8) return ReadJpegSize(file);
  return {};
}

}  // namespace

std::uint16_t ReadBigEndianWord(TOsFile& file) {
  unsigned char bytes[2];
  if (file.Read(bytes, 2) < 2) return 0;
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

TImageSize ReadPngSize(const std::string& path) {
  TOsFile file(path, omRead);
  try {
    unsigned char signature[sizeof kPngSignature];
    if (file.Read(signature, sizeof signature) < sizeof signature ||
        std::memcmp(signature, kPngSignature, sizeof signature) != 0)
      return {};
    TImageSize size;
    file.Seek(kPngWidthOffset);
    size.Width = ReadBigEndianWord(file);
    file.Seek(kPngHeightOffset);
    size.Height = ReadBigEndianWord(file);
    return size;
  } catch (const EFileError&) {
    return {};
  }
}

TImageSize ReadImageSize(const std::string& path) {
  std::string extension = LowerExtensionOf(path);
  if (extension == ".png") return ReadPngSize(path);
  TOsFile file(path, omRead);
  // Once the file is open, a failing read or seek is one more damaged
  // picture: the macro runs on with 0 x 0.
  try {
    if (extension == ".bmp") return ReadBmpSize(file);
    return ReadSniffedSize(file);
  } catch (const EFileError&) {
    return {};
  }
}

