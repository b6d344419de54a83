// Windows bitmaps, decoded by our own code: 1, 4, 8, 16, 24 and 32 bits per
// pixel, bottom-up and top-down rows, plain, bit-field and run-length
// (RLE8, RLE4) pixel data, the old 12-byte core header and the 40-byte
// header with its later extensions. Every offset and size taken from the
// file is checked against the buffer before anything is read through it.
#include <cstdint>
#include <cstdlib>

#include "picture/PictureDecode.h"

namespace {

// File layout. These are fixed by the format itself.
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kPixelOffsetField = 10;
constexpr std::size_t kInfoHeader = 14;         // the information header starts here
constexpr std::uint32_t kCoreHeaderSize = 12;   // width and height as 16-bit words
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kHeaderWithAlphaMask = 56;
constexpr std::size_t kMasksOffset = 54;        // red, green, blue, alpha masks

enum TBmpCompression : std::uint32_t {
  bcRgb = 0,
  bcRle8 = 1,
  bcRle4 = 2,
  bcBitFields = 3,
  bcAlphaBitFields = 6,
};

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr int kMaxColours = 256;

// Little-endian fields; 0 past the end, so a short file cannot be read
// beyond its bytes even where a check was forgotten.
class TBmpBytes {
 public:
  TBmpBytes(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  std::size_t Size() const { return FSize; }
  const std::uint8_t* At(std::size_t at) const { return FData + at; }
  bool Holds(std::uint64_t at, std::uint64_t count) const {
    return at <= FSize && count <= FSize - at;
  }
  unsigned U8(std::size_t at) const { return at < FSize ? FData[at] : 0; }
  unsigned U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::size_t at) const {
    return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
  }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
};

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;

  explicit TChannel(std::uint32_t mask = 0) : Mask(mask) {
    if (mask == 0) return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++Shift;
    }
    Max = mask;
  }
  unsigned Get(std::uint32_t pixel) const {
    if (Mask == 0) return 0;
    return static_cast<unsigned>(static_cast<std::uint64_t>((pixel & Mask) >> Shift) * 255 / Max);
  }
};

struct TBmpInfo {
  std::uint32_t HeaderSize = 0;
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // always positive; TopDown says the row order
  bool TopDown = false;
  unsigned BitsPerPixel = 0;
  std::uint32_t Compression = bcRgb;
  std::uint32_t ColoursUsed = 0;
  std::uint32_t PixelOffset = 0;
  std::size_t TableOffset = 0;
  std::size_t TableEntrySize = 4;
};

bool ReadInfo(const TBmpBytes& bytes, TBmpInfo& info) {
  if (!bytes.Holds(0, kFileHeaderSize + 4) || bytes.U8(0) != 'B' || bytes.U8(1) != 'M') return false;
  info.PixelOffset = bytes.U32(kPixelOffsetField);
  info.HeaderSize = bytes.U32(kInfoHeader);
  if (info.HeaderSize != kCoreHeaderSize && info.HeaderSize < kInfoHeaderSize) return false;
  if (!bytes.Holds(kInfoHeader, info.HeaderSize)) return false;
  std::int64_t height;
  if (info.HeaderSize == kCoreHeaderSize) {
    info.Width = bytes.U16(18);
    height = bytes.U16(20);
    info.BitsPerPixel = bytes.U16(24);
    info.TableEntrySize = 3;
  } else {
    info.Width = static_cast<std::int32_t>(bytes.U32(18));
    height = static_cast<std::int32_t>(bytes.U32(22));
    info.BitsPerPixel = bytes.U16(28);
    info.Compression = bytes.U32(30);
    info.ColoursUsed = bytes.U32(46);
  }
  info.TopDown = height < 0;
  info.Height = std::llabs(height);
  // Bit-field masks after a plain 40-byte header sit where a colour table
  // would, but bit fields come with 16 and 32 bits only, which have none.
  info.TableOffset = kInfoHeader + info.HeaderSize;
  return PictureSizeAllowed(info.Width, info.Height);
}

bool IsSupported(const TBmpInfo& info) {
  unsigned bits = info.BitsPerPixel;
  switch (info.Compression) {
    case bcRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case bcRle8:
      return bits == 8 && !info.TopDown;
    case bcRle4:
      return bits == 4 && !info.TopDown;
    case bcBitFields:
    case bcAlphaBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

// Always 256 entries: an index beyond the colours the file holds is black,
// as it is on the screen of the system the format comes from.
std::vector<std::uint32_t> ReadColourTable(const TBmpBytes& bytes, const TBmpInfo& info) {
  std::vector<std::uint32_t> table(kMaxColours, kOpaque);
  if (info.BitsPerPixel > 8) return table;
  std::uint32_t count = info.ColoursUsed;
  if (count == 0 || count > (1u << info.BitsPerPixel)) count = 1u << info.BitsPerPixel;
  std::size_t end = bytes.Size();
  if (info.PixelOffset > info.TableOffset && info.PixelOffset < end) end = info.PixelOffset;
  std::size_t available = end > info.TableOffset ? (end - info.TableOffset) / info.TableEntrySize : 0;
  if (count > available) count = static_cast<std::uint32_t>(available);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::size_t at = info.TableOffset + i * info.TableEntrySize;
    table[i] = kOpaque | bytes.U8(at + 2) << 16 | bytes.U8(at + 1) << 8 | bytes.U8(at);
  }
  return table;
}

struct TMasks {
  TChannel Red, Green, Blue, Alpha;
};

TMasks ReadMasks(const TBmpBytes& bytes, const TBmpInfo& info) {
  if (info.Compression == bcRgb) {
    if (info.BitsPerPixel == 16) return {TChannel(0x7C00), TChannel(0x03E0), TChannel(0x001F), TChannel()};
    return {TChannel(0xFF0000), TChannel(0x00FF00), TChannel(0x0000FF), TChannel()};
  }
  TMasks masks{TChannel(bytes.U32(kMasksOffset)), TChannel(bytes.U32(kMasksOffset + 4)),
               TChannel(bytes.U32(kMasksOffset + 8)), TChannel()};
  if (info.Compression == bcAlphaBitFields || info.HeaderSize >= kHeaderWithAlphaMask)
    masks.Alpha = TChannel(bytes.U32(kMasksOffset + 12));
  return masks;
}

std::uint32_t MaskedColour(const TMasks& masks, std::uint32_t pixel) {
  unsigned alpha = masks.Alpha.Mask ? masks.Alpha.Get(pixel) : 255;
  return static_cast<std::uint32_t>(alpha) << 24 | masks.Red.Get(pixel) << 16 |
         masks.Green.Get(pixel) << 8 | masks.Blue.Get(pixel);
}

unsigned PaletteIndex(const std::uint8_t* row, std::int64_t x, unsigned bits) {
  switch (bits) {
    case 1:
      return row[x >> 3] >> (7 - (x & 7)) & 1;
    case 4:
      return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
      return row[x];
  }
}

std::uint32_t PixelColour(const std::uint8_t* row, std::int64_t x, const TBmpInfo& info,
                          const std::vector<std::uint32_t>& table, const TMasks& masks) {
  switch (info.BitsPerPixel) {
    case 24: {
      const std::uint8_t* p = row + x * 3;
      return kOpaque | static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
    }
    case 16: {
      const std::uint8_t* p = row + x * 2;
      return MaskedColour(masks, static_cast<std::uint32_t>(p[0] | p[1] << 8));
    }
    case 32: {
      const std::uint8_t* p = row + x * 4;
      return MaskedColour(masks, p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
    }
    default:
      return table[PaletteIndex(row, x, info.BitsPerPixel)];
  }
}

// Many writers fill an alpha channel they never meant: all zero. Such a
// picture is shown opaque rather than as nothing at all.
void OpaqueWhenAllTransparent(TPicture& picture) {
  for (std::uint32_t pixel : picture.Pixels)
    if (pixel >> 24) return;
  for (std::uint32_t& pixel : picture.Pixels) pixel |= kOpaque;
}

bool DecodeRows(const TBmpBytes& bytes, const TBmpInfo& info, TPicture& picture) {
  std::uint64_t stride = (static_cast<std::uint64_t>(info.Width) * info.BitsPerPixel + 31) / 32 * 4;
  if (!bytes.Holds(info.PixelOffset, stride * static_cast<std::uint64_t>(info.Height))) return false;
  std::vector<std::uint32_t> table = ReadColourTable(bytes, info);
  TMasks masks = ReadMasks(bytes, info);
  if (!AllocatePicture(info.Width, info.Height, picture)) return false;
  for (std::int64_t fileRow = 0; fileRow < info.Height; ++fileRow) {
    const std::uint8_t* row = bytes.At(info.PixelOffset + fileRow * stride);
    std::int64_t y = info.TopDown ? fileRow : info.Height - 1 - fileRow;
    std::uint32_t* out = picture.Pixels.data() + y * info.Width;
    for (std::int64_t x = 0; x < info.Width; ++x) out[x] = PixelColour(row, x, info, table, masks);
  }
  if (masks.Alpha.Mask) OpaqueWhenAllTransparent(picture);
  return true;
}

// Run-length data, bottom-up only. Pixels that the runs skip (by a delta or
// an early end of line) stay transparent; runs that reach beyond the right
// edge or the top are clipped. Data that ends before the end-of-picture
// code is a truncated file. Every step consumes at least two bytes, so the
// walk ends with the data.
class TRleDecoder {
 public:
  TRleDecoder(const TBmpBytes& bytes, const TBmpInfo& info, const std::vector<std::uint32_t>& table,
              TPicture& picture)
      : FBytes(bytes), FInfo(info), FTable(table), FPicture(picture), FPos(info.PixelOffset) {}

  bool Run() {
    bool fourBits = FInfo.Compression == bcRle4;
    for (;;) {
      if (!FBytes.Holds(FPos, 2)) return false;
      unsigned count = FBytes.U8(FPos), value = FBytes.U8(FPos + 1);
      FPos += 2;
      if (count > 0) {
        for (unsigned i = 0; i < count; ++i) Put(fourBits ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      } else if (value == 0) {  // end of line
        FX = 0;
        ++FY;
      } else if (value == 1) {  // end of picture
        return true;
      } else if (value == 2) {  // move right and up
        if (!FBytes.Holds(FPos, 2)) return false;
        FX += FBytes.U8(FPos);
        FY += FBytes.U8(FPos + 1);
        FPos += 2;
      } else if (!Literal(value, fourBits)) {
        return false;
      }
    }
  }

 private:
  bool Literal(unsigned count, bool fourBits) {
    std::size_t length = fourBits ? (count + 1) / 2 : count;
    if (!FBytes.Holds(FPos, length)) return false;
    for (unsigned i = 0; i < count; ++i) {
      unsigned byte = FBytes.U8(FPos + (fourBits ? i / 2 : i));
      Put(fourBits ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
    }
    FPos += length + (length & 1);  // runs keep 16-bit alignment
    return true;
  }

  void Put(unsigned index) {
    if (FX < FInfo.Width && FY < FInfo.Height)
      FPicture.Pixels[(FInfo.Height - 1 - FY) * FInfo.Width + FX] = FTable[index];
    ++FX;
  }

  const TBmpBytes& FBytes;
  const TBmpInfo& FInfo;
  const std::vector<std::uint32_t>& FTable;
  TPicture& FPicture;
  std::size_t FPos;
  std::int64_t FX = 0;
  std::int64_t FY = 0;
};

bool DecodeRle(const TBmpBytes& bytes, const TBmpInfo& info, TPicture& picture) {
  if (info.PixelOffset >= bytes.Size()) return false;
  std::vector<std::uint32_t> table = ReadColourTable(bytes, info);
  if (!AllocatePicture(info.Width, info.Height, picture)) return false;
  return TRleDecoder(bytes, info, table, picture).Run();
}

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, TPicture& picture) {
  picture = TPicture();
  TBmpBytes bytes(data, size);
  TBmpInfo info;
  if (!ReadInfo(bytes, info) || !IsSupported(info)) return false;
  bool rle = info.Compression == bcRle8 || info.Compression == bcRle4;
  bool decoded = rle ? DecodeRle(bytes, info, picture) : DecodeRows(bytes, info, picture);
  if (!decoded) picture = TPicture();
  return decoded;
}
