#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "picture/GifReader.h"
#include "picture/PictureDecode.h"

// The pictures made by tools/make-test-pictures (the CTest fixture
// "pictures"); under Wine the same folder through drive Z:. Each decode-*
// picture has a .rgba file beside it: ImageMagick's reading of it.
#ifndef ZARVEL_TESTDATA
#error ZARVEL_TESTDATA must name the folder of the test pictures
#endif

namespace {

std::string Picture(const std::string& name) { return std::string(ZARVEL_TESTDATA) + "/" + name; }

std::string PictureBytes(const std::string& name) {
  std::string bytes = ReadBytes(Picture(name));
  if (bytes.empty()) ADD_FAILURE() << "missing test picture " << Picture(name);
  return bytes;
}

const std::uint8_t* Data(const std::string& bytes) {
  return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                        kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kBrown = 0xFFC86432;
const std::vector<std::uint32_t> kSixColours = {kRed, kGreen, kBlue, kWhite, kBlack, kBrown};

std::uint32_t At(const TPicture& picture, int x, int y) {
  return picture.Pixels.at(static_cast<std::size_t>(y) * picture.Width + x);
}

// Channel by channel within `tolerance`; fully transparent pixels match any
// other fully transparent pixel whatever colour they hide.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  if ((a >> 24) == 0 && (b >> 24) == 0) return true;
  for (int shift = 0; shift < 32; shift += 8) {
    int difference = static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
    if (std::abs(difference) > tolerance) return false;
  }
  return true;
}

std::vector<std::uint32_t> ReferencePixels(const std::string& name) {
  std::string raw = ReadBytes(Picture(name + ".rgba"));
  std::vector<std::uint32_t> pixels;
  for (std::size_t i = 0; i + 3 < raw.size(); i += 4) {
    auto byte = [&](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(raw[at])); };
    pixels.push_back(byte(i + 3) << 24 | byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2));
  }
  return pixels;
}

struct TReferenceCase {
  const char* Name;
  int Width;
  int Height;
  int Tolerance;
};

void ExpectMatchesReference(const TReferenceCase& c) {
  SCOPED_TRACE(c.Name);
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture(c.Name), picture));
  ASSERT_EQ(c.Width, picture.Width);
  ASSERT_EQ(c.Height, picture.Height);
  std::vector<std::uint32_t> reference = ReferencePixels(c.Name);
  ASSERT_EQ(reference.size(), picture.Pixels.size());
  int wrong = 0;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    if (Near(picture.Pixels[i], reference[i], c.Tolerance)) continue;
    if (++wrong <= 3)
      ADD_FAILURE() << "pixel " << i % c.Width << "," << i / c.Width << ": " << std::hex
                    << picture.Pixels[i] << " instead of " << reference[i];
  }
  EXPECT_EQ(0, wrong);
}

bool DecodesFile(const std::string& path) {
  TPicture picture;
  bool decoded = LoadPicture(path, picture);
  EXPECT_EQ(decoded, !picture.Pixels.empty());
  if (!decoded) {
    EXPECT_EQ(0, picture.Width + picture.Height);
  }
  return decoded;
}

// Cuts of a file, decoded from memory, must fail cleanly: every cut up to
// `dense` bytes, every 7th after it and the last 16, up to `tail` bytes
// before the end (cuts closer to the end can leave every pixel intact).
template <typename TDecode>
void ExpectEveryCutFails(const std::string& bytes, std::size_t dense, std::size_t tail, TDecode decode) {
  for (std::size_t length = 0; length + tail <= bytes.size(); ++length) {
    if (length > dense && length % 7 != 0 && length + tail + 16 < bytes.size()) continue;
    TPicture picture;
    picture.Width = 99;
    ASSERT_FALSE(decode(Data(bytes), length, picture)) << "cut at " << length;
    ASSERT_TRUE(picture.Pixels.empty());
    ASSERT_EQ(0, picture.Width);
  }
}

// ---------------------------------------------------------------- BMP

void PutLe(std::string& bytes, std::size_t at, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

// A bitmap with the 40-byte header: the colour table, then the pixel data.
std::string MakeBmp(std::int32_t width, std::int32_t height, int bits, int compression,
                    const std::string& table, const std::string& pixels) {
  std::string bmp(54, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  PutLe(bmp, 2, static_cast<std::uint32_t>(54 + table.size() + pixels.size()), 4);
  PutLe(bmp, 10, static_cast<std::uint32_t>(54 + table.size()), 4);
  PutLe(bmp, 14, 40, 4);
  PutLe(bmp, 18, static_cast<std::uint32_t>(width), 4);
  PutLe(bmp, 22, static_cast<std::uint32_t>(height), 4);
  PutLe(bmp, 26, 1, 2);
  PutLe(bmp, 28, static_cast<std::uint32_t>(bits), 2);
  PutLe(bmp, 30, static_cast<std::uint32_t>(compression), 4);
  return bmp + table + pixels;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// Blue, green, red, reserved: red, green, blue, white.
const std::string kFourColourTable =
    Bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0});

std::string TopDownBmp(const std::string& bottomUp) {
  std::size_t pixels = Le(bottomUp, 10, 4);
  std::uint32_t width = Le(bottomUp, 18, 4), height = Le(bottomUp, 22, 4), bits = Le(bottomUp, 28, 2);
  std::size_t stride = (width * bits + 31) / 32 * 4;
  std::string topDown = bottomUp.substr(0, pixels);
  for (std::uint32_t row = height; row-- > 0;) topDown += bottomUp.substr(pixels + row * stride, stride);
  PutLe(topDown, 22, static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)), 4);
  return topDown;
}

TEST(BmpDecode, EveryBitDepthAndCompressionMatchesTheReference) {
  for (const TReferenceCase& c : {TReferenceCase{"decode-24.bmp", 3, 2, 0},
                                  TReferenceCase{"decode-4.bmp", 3, 2, 0},
                                  TReferenceCase{"decode-1.bmp", 3, 2, 0},
                                  TReferenceCase{"decode-8.bmp", 37, 23, 0},
                                  TReferenceCase{"decode-rle8.bmp", 37, 23, 0},
                                  TReferenceCase{"decode-565.bmp", 37, 23, 8},
                                  TReferenceCase{"decode-alpha.bmp", 6, 4, 1}})
    ExpectMatchesReference(c);
}

TEST(BmpDecode, KnownColoursLandInTheirPlaces) {
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture("decode-24.bmp"), picture));
  EXPECT_EQ(kSixColours, picture.Pixels);
  ASSERT_TRUE(LoadPicture(Picture("decode-4.bmp"), picture));
  EXPECT_EQ(kSixColours, picture.Pixels);
}

TEST(BmpDecode, TopDownRowsGiveTheSamePicture) {
  std::string bottomUp = PictureBytes("decode-24.bmp");
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(TopDownBmp(bottomUp)), bottomUp.size(), picture));
  EXPECT_EQ(3, picture.Width);
  EXPECT_EQ(2, picture.Height);
  EXPECT_EQ(kSixColours, picture.Pixels);
}

TEST(BmpDecode, SixteenBitsWithoutMasksAreFiveFiveFive) {
  // 2 x 1: red and a mid grey (16 of 31 in each channel), then padding.
  std::string bmp = MakeBmp(2, 1, 16, 0, "", Bytes({0x00, 0x7C, 0x10, 0x42}));
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(bmp), bmp.size(), picture));
  EXPECT_EQ(kRed, At(picture, 0, 0));
  EXPECT_EQ(0xFF838383u, At(picture, 1, 0));
}

TEST(BmpDecode, BitFieldMasksAfterThePlainHeader) {
  // 32 bits with masks blue 0xFF000000, green 0xFF0000, red 0xFF00: the
  // order is the file's to choose.
  std::string masks = Bytes({0, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF});
  std::string bmp = MakeBmp(1, 1, 32, 3, masks, Bytes({0, 0x11, 0x22, 0x33}));
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(bmp), bmp.size(), picture));
  EXPECT_EQ(0xFF112233u, At(picture, 0, 0));
}

TEST(BmpDecode, AnAlphaMaskThatIsZeroEverywhereShowsOpaque) {
  std::string masks = Bytes({0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF});
  std::string bmp = MakeBmp(2, 1, 32, 6, masks, Bytes({0x30, 0x20, 0x10, 0, 1, 2, 3, 0}));
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(bmp), bmp.size(), picture));
  EXPECT_EQ(0xFF102030u, At(picture, 0, 0));
  EXPECT_EQ(0xFF030201u, At(picture, 1, 0));
}

TEST(BmpDecode, CoreHeaderWithThreeByteColours) {
  std::string bmp(26, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  std::string table = Bytes({0, 0, 255, 255, 0, 0});  // red, blue
  PutLe(bmp, 10, 26 + 6, 4);
  PutLe(bmp, 14, 12, 4);
  PutLe(bmp, 18, 2, 2);
  PutLe(bmp, 20, 1, 2);
  PutLe(bmp, 22, 1, 2);
  PutLe(bmp, 24, 8, 2);
  bmp += table + Bytes({1, 0, 0, 0});
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(bmp), bmp.size(), picture));
  EXPECT_EQ((std::vector<std::uint32_t>{kBlue, kRed}), picture.Pixels);
}

TEST(BmpDecode, RunLengthFourBitsWithAllItsCodes) {
  // 5 x 3, bottom row first. Row 0: a run of 1,2 then a literal 3,0,1
  // (two bytes, already even) and the end of the line. A delta of 2 right and 1 up then lands on row 2 at
  // x 2: a run of four 2s that the right edge clips after three. Row 1
  // stays untouched.
  std::string runs = Bytes({2, 0x12, 0, 3, 0x30, 0x10, 0, 0, 0, 2, 2, 1, 4, 0x22, 0, 1});
  std::string bmp = MakeBmp(5, 3, 4, 2, kFourColourTable, runs);
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(bmp), bmp.size(), picture));
  std::vector<std::uint32_t> expected = {0, 0, kBlue, kBlue, kBlue,  // top row (file row 2)
                                         0, 0, 0, 0, 0,              // skipped
                                         kGreen, kBlue, kWhite, kRed, kGreen};
  EXPECT_EQ(expected, picture.Pixels);
}

TEST(BmpDecode, RunLengthEightBitsLiteralKeepsItsPadding) {
  // A literal of three pixels is padded to four bytes; the run after it must
  // start at the right place.
  std::string runs = Bytes({0, 3, 1, 2, 3, 0, 2, 0, 0, 1});
  std::string bmp = MakeBmp(5, 1, 8, 1, kFourColourTable, runs);
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(bmp), bmp.size(), picture));
  EXPECT_EQ((std::vector<std::uint32_t>{kGreen, kBlue, kWhite, kRed, kRed}), picture.Pixels);
}

TEST(BmpDecode, DamagedHeadersAndDataFail) {
  std::string good = MakeBmp(2, 2, 24, 0, "", std::string(16, '\x7F'));
  TPicture picture;
  ASSERT_TRUE(DecodeBmp(Data(good), good.size(), picture));

  auto fails = [](std::string bmp, std::size_t at, std::uint32_t value, int count) {
    PutLe(bmp, at, value, count);
    TPicture result;
    return !DecodeBmp(Data(bmp), bmp.size(), result) && result.Pixels.empty();
  };
  EXPECT_TRUE(fails(good, 0, 'X', 1));                     // not "BM"
  EXPECT_TRUE(fails(good, 10, 0xFFFFFFF0u, 4));            // pixels far beyond the end
  EXPECT_TRUE(fails(good, 10, 60, 4));                     // rows run past the end
  EXPECT_TRUE(fails(good, 14, 20, 4));                     // unknown header size
  EXPECT_TRUE(fails(good, 14, 0x7FFFFFFF, 4));             // header beyond the end
  EXPECT_TRUE(fails(good, 18, 0, 4));                      // no width
  EXPECT_TRUE(fails(good, 22, 0, 4));                      // no height
  EXPECT_TRUE(fails(good, 18, 0xFFFFFFFEu, 4));            // negative width
  EXPECT_TRUE(fails(good, 22, 0x80000000u, 4));            // the most negative height
  EXPECT_TRUE(fails(good, 28, 7, 2));                      // no such depth
  EXPECT_TRUE(fails(good, 30, 4, 4));                      // embedded JPEG
  // A forged size of 60000 x 60000 is refused before anything is sized.
  std::string huge = good;
  PutLe(huge, 18, 60000, 4);
  PutLe(huge, 22, 60000, 4);
  EXPECT_FALSE(DecodeBmp(Data(huge), huge.size(), picture));
}

TEST(BmpDecode, RunLengthTopDownAndUnendedRunsFail) {
  TPicture picture;
  std::string topDown = MakeBmp(2, -1, 8, 1, kFourColourTable, Bytes({2, 1, 0, 1}));
  EXPECT_FALSE(DecodeBmp(Data(topDown), topDown.size(), picture));
  std::string unended = MakeBmp(2, 2, 8, 1, kFourColourTable, Bytes({2, 1, 0, 0, 2}));
  EXPECT_FALSE(DecodeBmp(Data(unended), unended.size(), picture));
  std::string shortLiteral = MakeBmp(8, 1, 8, 1, kFourColourTable, Bytes({0, 8, 1, 2}));
  EXPECT_FALSE(DecodeBmp(Data(shortLiteral), shortLiteral.size(), picture));
}

TEST(BmpDecode, EveryTruncationFails) {
  ExpectEveryCutFails(PictureBytes("decode-8.bmp"), 80, 1, DecodeBmp);
  ExpectEveryCutFails(PictureBytes("decode-rle8.bmp"), 80, 1, DecodeBmp);
}

// ---------------------------------------------------------------- GIF

// Writes LZW codes without ever letting the dictionary outgrow the first
// code size: each code is one pixel, and a clear code comes before the
// decoder's table would need a longer code.
std::string EncodeLiteralLzw(unsigned rootBits, const std::vector<int>& indices) {
  unsigned clear = 1u << rootBits;
  unsigned bits = rootBits + 1;
  std::string packed;
  std::uint32_t buffer = 0;
  unsigned filled = 0;
  auto put = [&](unsigned code) {
    buffer |= code << filled;
    filled += bits;
    while (filled >= 8) {
      packed += static_cast<char>(buffer & 0xFF);
      buffer >>= 8;
      filled -= 8;
    }
  };
  unsigned sinceClear = clear;  // forces a clear first
  for (int index : indices) {
    if (sinceClear >= clear - 2) {
      put(clear);
      sinceClear = 0;
    }
    put(static_cast<unsigned>(index));
    ++sinceClear;
  }
  put(clear + 1);
  if (filled > 0) packed += static_cast<char>(buffer & 0xFF);
  std::string blocks(1, static_cast<char>(rootBits));
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    std::string block = packed.substr(at, 255);
    blocks += static_cast<char>(block.size()) + block;
  }
  return blocks + '\0';
}

struct TGifFrameLayout {
  int ScreenWidth = 0, ScreenHeight = 0;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<std::uint32_t> GlobalColours, LocalColours;  // 2^n entries each
  bool Interlaced = false;
  int Transparent = -1;
  std::vector<int> Indices;  // in the order the file stores them
};

std::string ColourMap(const std::vector<std::uint32_t>& colours) {
  std::string map;
  for (std::uint32_t colour : colours)
    map += Bytes({static_cast<int>(colour >> 16 & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                  static_cast<int>(colour & 0xFF)});
  return map;
}

int MapSizeBits(const std::vector<std::uint32_t>& colours) {
  int bits = 0;
  while ((2u << bits) < colours.size()) ++bits;
  return bits;
}

std::string Le16(int value) { return Bytes({value & 0xFF, value >> 8 & 0xFF}); }

std::string MakeGif(const TGifFrameLayout& layout) {
  std::string gif = "GIF89a" + Le16(layout.ScreenWidth) + Le16(layout.ScreenHeight);
  int globalFlags = layout.GlobalColours.empty() ? 0 : 0x80 | MapSizeBits(layout.GlobalColours);
  gif += Bytes({globalFlags, 0, 0}) + ColourMap(layout.GlobalColours);
  gif += Bytes({0x21, 0xFE, 3, 'h', 'i', '!', 0});  // a comment to skip
  if (layout.Transparent >= 0) gif += Bytes({0x21, 0xF9, 4, 1, 0, 0, layout.Transparent, 0});
  int localFlags = (layout.LocalColours.empty() ? 0 : 0x80 | MapSizeBits(layout.LocalColours)) |
                   (layout.Interlaced ? 0x40 : 0);
  gif += Bytes({0x2C}) + Le16(layout.Left) + Le16(layout.Top) + Le16(layout.Width) + Le16(layout.Height);
  gif += Bytes({localFlags}) + ColourMap(layout.LocalColours);
  const std::vector<std::uint32_t>& map = layout.LocalColours.empty() ? layout.GlobalColours : layout.LocalColours;
  unsigned rootBits = static_cast<unsigned>(MapSizeBits(map) + 1);
  if (rootBits < 2) rootBits = 2;
  return gif + EncodeLiteralLzw(rootBits, layout.Indices) + ";";
}

TEST(GifDecode, ImageMagickPicturesMatchTheReference) {
  for (const TReferenceCase& c : {TReferenceCase{"decode-colours.gif", 3, 2, 0},
                                  TReferenceCase{"decode-interlaced.gif", 37, 23, 0},
                                  TReferenceCase{"decode-large.gif", 300, 200, 0},
                                  TReferenceCase{"decode-transparent.gif", 6, 4, 0}})
    ExpectMatchesReference(c);
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture("decode-colours.gif"), picture));
  EXPECT_EQ(kSixColours, picture.Pixels);
}

TEST(GifDecode, TransparentColourIsTransparentAndOthersOpaque) {
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture("decode-transparent.gif"), picture));
  int transparent = 0;
  for (std::uint32_t pixel : picture.Pixels) {
    EXPECT_TRUE(pixel >> 24 == 0 || pixel >> 24 == 0xFF) << std::hex << pixel;
    transparent += pixel >> 24 == 0;
  }
  EXPECT_EQ(12, transparent);  // the lower two of four rows
}

TEST(GifDecode, InterlacedFrameWithLocalColoursRowsInPlace) {
  // Nine rows, row r in colour r of the local map; the global map is all
  // grey and must not be used.
  TGifFrameLayout layout;
  layout.ScreenWidth = layout.Width = 2;
  layout.ScreenHeight = layout.Height = 9;
  layout.GlobalColours.assign(16, 0xFF808080);
  for (std::uint32_t i = 0; i < 16; ++i) layout.LocalColours.push_back(0xFF000000 | i * 0x100001u);
  layout.Interlaced = true;
  for (int row : {0, 8, 4, 2, 6, 1, 3, 5, 7}) layout.Indices.insert(layout.Indices.end(), {row, row});
  std::string gif = MakeGif(layout);
  TPicture picture;
  ASSERT_TRUE(DecodeGif(Data(gif), gif.size(), picture));
  ASSERT_EQ(2, picture.Width);
  ASSERT_EQ(9, picture.Height);
  for (int y = 0; y < 9; ++y) {
    EXPECT_EQ(0xFF000000 | y * 0x100001u, At(picture, 0, y)) << "row " << y;
    EXPECT_EQ(At(picture, 0, y), At(picture, 1, y));
  }
}

TEST(GifDecode, FrameSitsAtItsPlaceOnTheScreen) {
  TGifFrameLayout layout;
  layout.ScreenWidth = 4;
  layout.ScreenHeight = 3;
  layout.Left = 1;
  layout.Top = 1;
  layout.Width = 2;
  layout.Height = 1;
  layout.GlobalColours = {kRed, kGreen, kBlue, kWhite};
  layout.Transparent = 3;
  layout.Indices = {2, 3};
  std::string gif = MakeGif(layout);
  TPicture picture;
  ASSERT_TRUE(DecodeGif(Data(gif), gif.size(), picture));
  std::vector<std::uint32_t> expected(12, 0);
  expected[5] = kBlue;  // x 1, y 1; x 2 is the transparent colour
  EXPECT_EQ(expected, picture.Pixels);

  // A frame reaching beyond a too small screen grows the picture.
  layout.ScreenWidth = 2;
  layout.ScreenHeight = 1;
  gif = MakeGif(layout);
  ASSERT_TRUE(DecodeGif(Data(gif), gif.size(), picture));
  EXPECT_EQ(3, picture.Width);
  EXPECT_EQ(2, picture.Height);

  ASSERT_TRUE(LoadPicture(Picture("screen.gif"), picture));
  EXPECT_EQ(100, picture.Width);
  EXPECT_EQ(50, picture.Height);
  EXPECT_EQ(kRed, At(picture, 19, 19));
  EXPECT_EQ(0u, At(picture, 20, 20) >> 24);
}

TEST(GifDecode, BadCodesAndMissingPiecesFail) {
  TGifFrameLayout layout;
  layout.ScreenWidth = layout.Width = 2;
  layout.ScreenHeight = layout.Height = 2;
  layout.GlobalColours = {kRed, kGreen, kBlue, kWhite};
  layout.Indices = {0, 1, 2, 3};
  std::string good = MakeGif(layout);
  TPicture picture;
  ASSERT_TRUE(DecodeGif(Data(good), good.size(), picture));

  auto decodes = [](const std::string& gif) {
    TPicture result;
    bool decoded = DecodeGif(Data(gif), gif.size(), result);
    EXPECT_EQ(decoded, !result.Pixels.empty());
    return decoded;
  };
  std::size_t rootBitsAt = good.find('\x2C') + 10;
  ASSERT_EQ(2, good[rootBitsAt]);

  std::string noMap = good;
  noMap[10] = 0;  // no global map, and the frame has none either
  noMap.erase(13, 12);
  EXPECT_FALSE(decodes(noMap));

  std::string badRoot = good;
  badRoot[rootBitsAt] = 12;
  EXPECT_FALSE(decodes(badRoot));

  // First code after the clear is the end code's neighbour: not in the table.
  layout.Indices = {7};
  EXPECT_FALSE(decodes(MakeGif(layout)));

  // Fewer pixels than the frame needs.
  layout.Indices = {0, 1, 2};
  EXPECT_FALSE(decodes(MakeGif(layout)));

  // Only the end code: no pixels at all.
  layout.Indices.clear();
  EXPECT_FALSE(decodes(MakeGif(layout)));

  // Nothing but clear codes, 68000 of them (3 bits each, LSB first: the
  // bytes 24 49 92 repeat): the decoder ends with the data, and fails.
  std::string clears = good.substr(0, rootBitsAt + 1);
  for (int block = 0; block < 100; ++block) {
    clears += '\xFF';
    for (int i = 0; i < 85; ++i) clears += Bytes({0x24, 0x49, 0x92});
  }
  EXPECT_FALSE(decodes(clears + '\0' + ';'));

  std::string zeroWidth = good;
  zeroWidth[good.find('\x2C') + 5] = 0;
  EXPECT_FALSE(decodes(zeroWidth));

  std::string trailerFirst = good.substr(0, 13 + 12) + ";";
  EXPECT_FALSE(decodes(trailerFirst));

  std::string unknownBlock = good;
  unknownBlock[13 + 12] = '\x99';
  EXPECT_FALSE(decodes(unknownBlock));

  std::string notGif = good;
  notGif[4] = '8';
  EXPECT_FALSE(decodes(notGif));
}

TEST(GifDecode, HugeLogicalScreenIsRefused) {
  TGifFrameLayout layout;
  layout.ScreenWidth = layout.ScreenHeight = 65535;
  layout.Width = layout.Height = 1;
  layout.GlobalColours = {kRed, kGreen};
  layout.Indices = {1};
  std::string gif = MakeGif(layout);
  TPicture picture;
  EXPECT_FALSE(DecodeGif(Data(gif), gif.size(), picture));
  layout.ScreenWidth = layout.ScreenHeight = 1;
  gif = MakeGif(layout);
  EXPECT_TRUE(DecodeGif(Data(gif), gif.size(), picture));
  EXPECT_EQ(kGreen, At(picture, 0, 0));
}

TEST(GifDecode, EveryTruncationFails) {
  // The last five bytes: the end code (up to 12 bits), padding, the block
  // terminator and the trailer; a cut before them loses pixel codes.
  ExpectEveryCutFails(PictureBytes("decode-interlaced.gif"), 800, 5, DecodeGif);
}

TEST(GifDecode, ReaderCanBeUsedAgain) {
  TGifReader reader;
  TPicture picture;
  std::string transparent = PictureBytes("decode-transparent.gif");
  std::string colours = PictureBytes("decode-colours.gif");
  ASSERT_TRUE(reader.Decode(Data(transparent), transparent.size(), picture));
  ASSERT_TRUE(reader.Decode(Data(colours), colours.size(), picture));
  EXPECT_EQ(kSixColours, picture.Pixels);  // nothing transparent carried over
}

// ---------------------------------------------------------------- PNG

TEST(PngDecode, EveryKindComesOutAsEightBitRgba) {
  for (const TReferenceCase& c : {TReferenceCase{"decode-palette.png", 3, 2, 0},
                                  TReferenceCase{"decode-palette-trns.png", 6, 4, 0},
                                  TReferenceCase{"decode-rgb-trns.png", 3, 2, 0},
                                  TReferenceCase{"decode-gray-trns.png", 3, 2, 0},
                                  TReferenceCase{"decode-gray.png", 37, 23, 0},
                                  TReferenceCase{"decode-gray2.png", 37, 23, 0},
                                  TReferenceCase{"decode-16.png", 37, 23, 1},
                                  TReferenceCase{"decode-alpha.png", 6, 4, 0},
                                  TReferenceCase{"decode-gray-alpha.png", 6, 4, 1},
                                  TReferenceCase{"decode-alpha16.png", 6, 4, 1},
                                  TReferenceCase{"decode-interlaced.png", 37, 23, 0}})
    ExpectMatchesReference(c);
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture("decode-palette.png"), picture));
  EXPECT_EQ(kSixColours, picture.Pixels);
  ASSERT_TRUE(LoadPicture(Picture("picture.png"), picture));
  EXPECT_EQ(300, picture.Width);
  EXPECT_EQ(200, picture.Height);
}

TEST(PngDecode, AlphaAndTransparencyChunksAreKept) {
  TPicture picture;
  for (const char* name : {"decode-rgb-trns.png", "decode-gray-trns.png"}) {
    ASSERT_TRUE(LoadPicture(Picture(name), picture)) << name;
    EXPECT_EQ(0u, At(picture, 0, 1) >> 24) << name;  // the white one
    EXPECT_EQ(0xFFu, At(picture, 1, 1) >> 24) << name;
  }
  ASSERT_TRUE(LoadPicture(Picture("decode-alpha.png"), picture));
  EXPECT_EQ(0xFFu, At(picture, 0, 0) >> 24);
  EXPECT_EQ(0u, At(picture, 0, 3) >> 24);
  unsigned middle = At(picture, 0, 1) >> 24;
  EXPECT_TRUE(middle > 0x20 && middle < 0xE0) << middle;
}

TEST(PngDecode, TruncatedAndDamagedFilesFail) {
  std::string png = PictureBytes("decode-interlaced.png");
  ExpectEveryCutFails(png, 60, 1, DecodePng);
  std::string damaged = png;
  damaged[damaged.size() / 2] ^= 0x55;  // inside the compressed data: its check fails
  TPicture picture;
  EXPECT_FALSE(DecodePng(Data(damaged), damaged.size(), picture));
  EXPECT_TRUE(picture.Pixels.empty());
  std::string notPng = png;
  notPng[1] = 'Q';
  EXPECT_FALSE(DecodePng(Data(notPng), notPng.size(), picture));
}

// ---------------------------------------------------------------- JPEG

TEST(JpegDecode, ColoursComeOutClose) {
  for (const TReferenceCase& c : {TReferenceCase{"decode-halves.jpg", 32, 16, 6},
                                  TReferenceCase{"decode-progressive.jpg", 37, 23, 6},
                                  TReferenceCase{"decode-gray.jpg", 37, 23, 6}})
    ExpectMatchesReference(c);
  for (const char* name : {"decode-halves.jpg", "decode-cmyk.jpg"}) {
    SCOPED_TRACE(name);
    TPicture picture;
    ASSERT_TRUE(LoadPicture(Picture(name), picture));
    EXPECT_TRUE(Near(kRed, At(picture, 4, 8), 12)) << std::hex << At(picture, 4, 8);
    EXPECT_TRUE(Near(kBlue, At(picture, 27, 8), 12)) << std::hex << At(picture, 27, 8);
  }
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture("baseline.jpg"), picture));
  EXPECT_EQ(640, picture.Width);
  EXPECT_EQ(480, picture.Height);
}

TEST(JpegDecode, TruncatedAndDamagedFilesFail) {
  std::string jpeg = PictureBytes("progressive.jpg");
  TPicture picture;
  for (std::size_t length : {std::size_t{0}, std::size_t{2}, std::size_t{40}, jpeg.size() / 3, jpeg.size() - 40}) {
    EXPECT_FALSE(DecodeJpeg(Data(jpeg), length, picture)) << length;
    EXPECT_TRUE(picture.Pixels.empty());
  }
  std::string badMarker = PictureBytes("decode-halves.jpg");
  badMarker[3] = '\x02';  // the first segment is no marker the library knows
  EXPECT_FALSE(DecodeJpeg(Data(badMarker), badMarker.size(), picture));
  std::string noStart = badMarker;
  noStart[1] = 0;
  EXPECT_FALSE(DecodeJpeg(Data(noStart), noStart.size(), picture));
}

// ---------------------------------------------------------------- files

TEST(LoadPicture, ExtensionChoosesTheDecoderInAnyCase) {
  TTempFolder folder;
  struct {
    const char* From;
    const char* To;
    bool Decodes;
  } cases[] = {
      {"decode-24.bmp", "A.BMP", true},       {"decode-colours.gif", "b.Gif", true},
      {"decode-palette.png", "c.PNG", true},  {"decode-halves.jpg", "d.JPEG", true},
      {"decode-halves.jpg", "e.jpeg", true},  {"decode-halves.jpg", "f.JpG", true},
      {"decode-palette.png", "g.jpg", false},  // the name says JPEG; it is not
      {"decode-24.bmp", "h.tif", false},      {"decode-24.bmp", "bmp", false},
      {"decode-24.bmp", "i.bmp.txt", false},
  };
  for (const auto& c : cases) {
    WriteBytes(folder.File(c.To), PictureBytes(c.From));
    EXPECT_EQ(c.Decodes, DecodesFile(folder.File(c.To))) << c.To;
  }
}

TEST(LoadPicture, MissingEmptyAndFolderPathsFail) {
  TTempFolder folder;
  EXPECT_FALSE(DecodesFile(folder.File("missing.png")));
  WriteBytes(folder.File("empty.gif"), "");
  EXPECT_FALSE(DecodesFile(folder.File("empty.gif")));
  std::filesystem::create_directory(folder.File("folder.bmp"));
  EXPECT_FALSE(DecodesFile(folder.File("folder.bmp")));
}

TEST(LoadPicture, AFailureEmptiesAPictureThatHeldOne) {
  TTempFolder folder;
  WriteBytes(folder.File("cut.png"), PictureBytes("decode-16.png").substr(0, 200));
  TPicture picture;
  ASSERT_TRUE(LoadPicture(Picture("decode-16.png"), picture));
  EXPECT_FALSE(LoadPicture(folder.File("cut.png"), picture));
  EXPECT_EQ(0, picture.Width);
  EXPECT_EQ(0, picture.Height);
  EXPECT_TRUE(picture.Pixels.empty());
}

TEST(PictureLimits, SizesBeyondTheLimitAreRefused) {
  EXPECT_TRUE(PictureSizeAllowed(1, 1));
  EXPECT_TRUE(PictureSizeAllowed(8192, 8192));
  EXPECT_FALSE(PictureSizeAllowed(8192, 8193));
  EXPECT_FALSE(PictureSizeAllowed(0, 5));
  EXPECT_FALSE(PictureSizeAllowed(5, -1));
  EXPECT_FALSE(PictureSizeAllowed(std::int64_t{1} << 40, std::int64_t{1} << 40));  // product overflows 64 bits
  TPicture picture;
  EXPECT_FALSE(AllocatePicture(100000, 100000, picture));
  EXPECT_TRUE(picture.Pixels.empty());
  ASSERT_TRUE(AllocatePicture(3, 2, picture));
  EXPECT_EQ(6u, picture.Pixels.size());
}

}  // namespace
