#include "picture/GifReader.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

// Block layout. These are fixed by the format itself.
constexpr std::size_t kHeaderSize = 13;  // signature, version, logical screen
constexpr unsigned kExtensionIntroducer = 0x21;
constexpr unsigned kImageSeparator = 0x2C;
constexpr unsigned kGraphicControlLabel = 0xF9;
constexpr unsigned kColourMapFlag = 0x80;
constexpr unsigned kInterlaceFlag = 0x40;
constexpr unsigned kTransparencyFlag = 0x01;

constexpr int kMaxCodeBits = 12;
constexpr unsigned kMaxCodes = 1u << kMaxCodeBits;
constexpr unsigned kMaxRootBits = 8;
constexpr std::uint32_t kOpaque = 0xFF000000u;

// Variable-length codes, least significant bit first, over the frame's
// sub-blocks joined together.
class TCodeStream {
 public:
  explicit TCodeStream(const std::vector<std::uint8_t>& bytes) : FBytes(bytes) {}
  // False when fewer than `bits` bits are left.
  bool Next(int bits, unsigned& code) {
    if (FBitPos + bits > FBytes.size() * 8) return false;
    code = 0;
    for (int i = 0; i < bits; ++i, ++FBitPos)
      code |= static_cast<unsigned>(FBytes[FBitPos >> 3] >> (FBitPos & 7) & 1) << i;
    return true;
  }

 private:
  const std::vector<std::uint8_t>& FBytes;
  std::size_t FBitPos = 0;
};

// The dictionary decoder. Every entry is an earlier code plus one byte, so
// following the prefixes of a string always reaches a root code in fewer
// than kMaxCodes steps; the stack is as deep as the longest string.
class TLzwDecoder {
 public:
  explicit TLzwDecoder(unsigned rootBits)
      : FClear(1u << rootBits), FEnd(FClear + 1), FRootBits(rootBits) {
    for (unsigned i = 0; i < FClear; ++i) FSuffix[i] = static_cast<std::uint8_t>(i);
    Reset();
  }

  // Appends up to `wanted` indices. Stops at the end code or when the data
  // runs out; false for a code that the dictionary cannot hold yet.
  bool Decode(TCodeStream& codes, std::size_t wanted, std::vector<std::uint8_t>& out) {
    unsigned code;
    while (out.size() < wanted && codes.Next(FCodeBits, code)) {
      if (code == FClear) {
        Reset();
      } else if (code == FEnd) {
        return true;
      } else if (!Expand(code, wanted, out)) {
        return false;
      }
    }
    return true;
  }

 private:
  void Reset() {
    FCodeBits = static_cast<int>(FRootBits) + 1;
    FNext = FEnd + 1;
    FPrevious = -1;
  }

  bool Expand(unsigned code, std::size_t wanted, std::vector<std::uint8_t>& out) {
    if (FPrevious < 0) {
      if (code >= FClear) return false;
      Emit(code, wanted, out);
      FPrevious = static_cast<int>(code);
      FFirst = FSuffix[code];
      return true;
    }
    if (code > FNext || (code == FNext && FNext >= kMaxCodes)) return false;
    unsigned length = 0;
    unsigned walk = code;
    if (code == FNext) {  // the string being defined: previous + its own first byte
      FStack[length++] = FFirst;
      walk = static_cast<unsigned>(FPrevious);
    }
    while (walk >= FClear) {
      FStack[length++] = FSuffix[walk];
      walk = FPrefix[walk];
    }
    FFirst = FSuffix[walk];
    FStack[length++] = FFirst;
    if (FNext < kMaxCodes) {
      FPrefix[FNext] = static_cast<std::uint16_t>(FPrevious);
      FSuffix[FNext] = FFirst;
      ++FNext;
      if (FNext >= (1u << FCodeBits) && FCodeBits < kMaxCodeBits) ++FCodeBits;
    }
    while (length > 0 && out.size() < wanted) out.push_back(FStack[--length]);
    FPrevious = static_cast<int>(code);
    return true;
  }

  void Emit(unsigned code, std::size_t wanted, std::vector<std::uint8_t>& out) {
    if (out.size() < wanted) out.push_back(FSuffix[code]);
  }

  const unsigned FClear;
  const unsigned FEnd;
  const unsigned FRootBits;
  int FCodeBits = 0;
  unsigned FNext = 0;
  int FPrevious = -1;
  std::uint8_t FFirst = 0;
  std::uint16_t FPrefix[kMaxCodes] = {};
  std::uint8_t FSuffix[kMaxCodes] = {};
  std::uint8_t FStack[kMaxCodes + 1] = {};
};

// The picture row that the n-th decoded row of a frame fills: interlaced
// frames come in four passes (every 8th row from 0, every 8th from 4, every
// 4th from 2, every 2nd from 1).
std::vector<std::int64_t> RowOrder(std::int64_t height, bool interlaced) {
  std::vector<std::int64_t> order;
  order.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (std::int64_t y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (std::int64_t y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

}  // namespace

bool TGifReader::Decode(const std::uint8_t* data, std::size_t size, TPicture& picture) {
  picture = TPicture();
  FData = data;
  FSize = data ? size : 0;
  FPos = 0;
  FGlobalColours.clear();
  FTransparentIndex = -1;
  FSawControl = false;

  TFrame frame;
  std::vector<std::uint32_t> localColours;
  std::vector<std::uint8_t> indices;
  if (!ReadScreen() || !FindFirstFrame() || !ReadFrameHeader(frame)) return false;
  if ((frame.Flags & kColourMapFlag) && !ReadColourMap(frame.Flags, localColours)) return false;
  const std::vector<std::uint32_t>& colours = localColours.empty() ? FGlobalColours : localColours;
  if (colours.empty() || !ReadPixels(frame, indices)) return false;
  return Paint(frame, colours, indices, picture);
}

bool TGifReader::ReadScreen() {
  if (!Has(kHeaderSize)) return false;
  const std::uint8_t* h = FData;
  if (h[0] != 'G' || h[1] != 'I' || h[2] != 'F' || h[3] != '8' || (h[4] != '7' && h[4] != '9') ||
      h[5] != 'a')
    return false;
  FPos = 6;
  FScreenWidth = Word();
  FScreenHeight = Word();
  unsigned packed = Byte();
  FPos += 2;  // background colour and aspect ratio: not used
  return !(packed & kColourMapFlag) || ReadColourMap(packed, FGlobalColours);
}

// Always 256 entries, so that any index has a colour; the ones the file
// does not define are black.
bool TGifReader::ReadColourMap(unsigned packed, std::vector<std::uint32_t>& map) {
  std::size_t count = std::size_t{2} << (packed & 7);
  if (!Has(count * 3)) return false;
  map.assign(256, kOpaque);
  for (std::size_t i = 0; i < count; ++i) {
    unsigned red = Byte(), green = Byte(), blue = Byte();
    map[i] = kOpaque | red << 16 | green << 8 | blue;
  }
  return true;
}

// Walks the extensions up to the first image separator. Only the first graphic
// control extension before the frame matters (its transparency). A
// trailer, or anything else, before the first frame means there is none.
bool TGifReader::FindFirstFrame() {
  for (;;) {
    if (!Has(1)) return false;
    unsigned introducer = Byte();
    if (introducer == kImageSeparator) return true;
    if (introducer != kExtensionIntroducer || !ReadExtension()) return false;
  }
}

bool TGifReader::ReadExtension() {
  if (!Has(1)) return false;
  unsigned label = Byte();
  if (label == kGraphicControlLabel && !FSawControl && Has(5) && FData[FPos] >= 4) {
    unsigned packed = FData[FPos + 1];
    FTransparentIndex = (packed & kTransparencyFlag) ? static_cast<int>(FData[FPos + 4]) : -1;
    FSawControl = true;
  }
  return SkipSubBlocks();
}

bool TGifReader::SkipSubBlocks() {
  for (;;) {
    if (!Has(1)) return false;
    unsigned length = Byte();
    if (length == 0) return true;
    if (!Has(length)) return false;
    FPos += length;
  }
}

bool TGifReader::ReadFrameHeader(TFrame& frame) {
  if (!Has(9)) return false;
  frame.Left = Word();
  frame.Top = Word();
  frame.Width = Word();
  frame.Height = Word();
  frame.Flags = Byte();
  return frame.Width > 0 && frame.Height > 0 &&
         PictureSizeAllowed(std::max(FScreenWidth, frame.Left + frame.Width),
                            std::max(FScreenHeight, frame.Top + frame.Height));
}

// A file cut inside the pixel data keeps what it has: whether that is
// enough is decided by the number of pixels decoded.
void TGifReader::GatherSubBlocks(std::vector<std::uint8_t>& bytes) {
  while (Has(1)) {
    unsigned length = Byte();
    if (length == 0) return;
    std::size_t take = std::min<std::size_t>(length, FSize - FPos);
    bytes.insert(bytes.end(), FData + FPos, FData + FPos + take);
    FPos += take;
  }
}

bool TGifReader::ReadPixels(const TFrame& frame, std::vector<std::uint8_t>& indices) {
  if (!Has(1)) return false;
  unsigned rootBits = Byte();
  if (rootBits < 1 || rootBits > kMaxRootBits) return false;
  std::vector<std::uint8_t> coded;
  GatherSubBlocks(coded);
  std::size_t wanted = static_cast<std::size_t>(frame.Width * frame.Height);
  TCodeStream codes(coded);
  auto decoder = std::make_unique<TLzwDecoder>(rootBits);
  return decoder->Decode(codes, wanted, indices) && indices.size() == wanted;
}

bool TGifReader::Paint(const TFrame& frame, const std::vector<std::uint32_t>& colours,
                       const std::vector<std::uint8_t>& indices, TPicture& picture) const {
  if (!AllocatePicture(std::max(FScreenWidth, frame.Left + frame.Width),
                       std::max(FScreenHeight, frame.Top + frame.Height), picture))
    return false;
  std::vector<std::int64_t> rows = RowOrder(frame.Height, (frame.Flags & kInterlaceFlag) != 0);
  const std::uint8_t* index = indices.data();
  for (std::int64_t row : rows) {
    std::uint32_t* out = picture.Pixels.data() + (frame.Top + row) * picture.Width + frame.Left;
    for (std::int64_t x = 0; x < frame.Width; ++x, ++index)
      if (*index != FTransparentIndex) out[x] = colours[*index];
  }
  return true;
}

bool DecodeGif(const std::uint8_t* data, std::size_t size, TPicture& picture) {
  try {
    TGifReader reader;
    if (reader.Decode(data, size, picture)) return true;
  } catch (const std::bad_alloc&) {
  }
  picture = TPicture();
  return false;
}
