#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

#include "cli/CliRun.h"
#include "cli/Commands.h"
#include "common/TempFolder.h"
#include "picture/ImageSize.h"
#include "base/OsFile.h"

// The pictures made by tools/make-test-pictures (the CTest fixture
// "pictures"); under Wine the same folder through drive Z:.
#ifndef ZARVEL_TESTDATA
#error ZARVEL_TESTDATA must name the folder of the test pictures
#endif

namespace {

using TSize = std::pair<int, int>;

TSize SizeOf(const std::string& path) {
  TImageSize size = ReadImageSize(path);
  return {size.Width, size.Height};
}

std::string Picture(const std::string& name) { return std::string(ZARVEL_TESTDATA) + "/" + name; }

std::string PictureBytes(const std::string& name) {
  std::string bytes = ReadBytes(Picture(name));
  if (bytes.empty()) ADD_FAILURE() << "missing test picture " << Picture(name);
  return bytes;
}

unsigned Le16(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes.at(at)) | static_cast<unsigned char>(bytes.at(at + 1)) << 8;
}

unsigned Le32(const std::string& bytes, std::size_t at) { return Le16(bytes, at) | Le16(bytes, at + 2) << 16; }

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// The same bitmap stored top-down: rows in the other order, height negated.
std::string TopDownBmp(const std::string& bottomUp) {
  std::size_t pixels = Le32(bottomUp, 10);
  unsigned width = Le32(bottomUp, 18), height = Le32(bottomUp, 22), bits = Le16(bottomUp, 28);
  std::size_t stride = (width * bits + 31) / 32 * 4;
  std::string topDown = bottomUp.substr(0, pixels);
  for (unsigned row = height; row-- > 0;) topDown += bottomUp.substr(pixels + row * stride, stride);
  PutLe32(topDown, 22, static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)));
  return topDown;
}

// Width and height of a GIF's first image descriptor, past the global colour
// table and any extension blocks; proves the test file's frame is not its screen.
TSize FirstGifFrame(const std::string& gif) {
  std::size_t at = 13;
  if (gif.at(10) & 0x80) at += 3u << ((gif.at(10) & 7) + 1);
  while (gif.at(at) == 0x21) {
    at += 2;
    while (gif.at(at) != 0) at += 1 + static_cast<unsigned char>(gif.at(at));
    ++at;
  }
  EXPECT_EQ(0x2C, gif.at(at));
  return {static_cast<int>(Le16(gif, at + 5)), static_cast<int>(Le16(gif, at + 7))};
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// A JPEG start, the given segments, and a baseline frame header of 32 x 16.
const std::string kJpegStart = Bytes({0xFF, 0xD8});
const std::string kFrame32x16 = Bytes({0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x20, 0x03});

class ImageSizeTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteBytes(Folder.File(name), bytes);
    return Folder.File(name);
  }
  TTempFolder Folder;
};

// --- Real pictures made by ImageMagick -----------------------------------

TEST(ImageSizeOfRealPictures, PngGivesItsHeaderSize) {
  EXPECT_EQ(TSize(300, 200), SizeOf(Picture("picture.png")));
}

TEST(ImageSizeOfRealPictures, BaselineJpegGivesWidthThenHeight) {
  EXPECT_EQ(TSize(640, 480), SizeOf(Picture("baseline.jpg")));
}

TEST(ImageSizeOfRealPictures, ProgressiveJpegGivesItsFrameSize) {
  std::string bytes = PictureBytes("progressive.jpg");
  ASSERT_NE(std::string::npos, bytes.find("\xFF\xC2"));
  ASSERT_EQ(std::string::npos, bytes.find("\xFF\xC0"));
  EXPECT_EQ(TSize(640, 480), SizeOf(Picture("progressive.jpg")));
}

TEST(ImageSizeOfRealPictures, GifGivesItsLogicalScreenNotItsFrame) {
  ASSERT_EQ(TSize(20, 20), FirstGifFrame(PictureBytes("screen.gif")));
  EXPECT_EQ(TSize(100, 50), SizeOf(Picture("screen.gif")));
}

TEST(ImageSizeOfRealPictures, BottomUpBmp) {
  EXPECT_EQ(TSize(32, 16), SizeOf(Picture("bottomup.bmp")));
}

TEST_F(ImageSizeTest, TopDownBmpGivesItsHeightWithoutTheSign) {
  std::string path = Write("topdown.bmp", TopDownBmp(PictureBytes("bottomup.bmp")));
  EXPECT_EQ(TSize(32, 16), SizeOf(path));
  // The one stored height that has no positive form is a damaged header.
  std::string damaged = PictureBytes("bottomup.bmp");
  PutLe32(damaged, 22, 0x80000000u);
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("damaged.bmp", damaged)));
}

TEST_F(ImageSizeTest, ReadOnlyFilesAreReadNormally) {
  std::string jpeg = Write("locked.jpg", PictureBytes("baseline.jpg"));
  std::string png = Write("locked.png", PictureBytes("picture.png"));
  MakeReadOnly(jpeg);
  MakeReadOnly(png);
  EXPECT_EQ(TSize(640, 480), SizeOf(jpeg));
  EXPECT_EQ(TSize(300, 200), SizeOf(png));
}

// --- How the format is chosen --------------------------------------------

TEST_F(ImageSizeTest, ExtensionIsComparedWithoutCase) {
  EXPECT_EQ(TSize(300, 200), SizeOf(Write("UPPER.PNG", PictureBytes("picture.png"))));
  EXPECT_EQ(TSize(32, 16), SizeOf(Write("Mixed.Bmp", PictureBytes("bottomup.bmp"))));
}

TEST_F(ImageSizeTest, GifAndJpegAreKnownByTheirFirstBytesWhateverTheName) {
  std::string gif = PictureBytes("screen.gif"), jpeg = PictureBytes("baseline.jpg");
  EXPECT_EQ(TSize(100, 50), SizeOf(Write("screen.jpg", gif)));
  EXPECT_EQ(TSize(100, 50), SizeOf(Write("screen", gif)));
  EXPECT_EQ(TSize(640, 480), SizeOf(Write("photo.JPEG", jpeg)));
  EXPECT_EQ(TSize(640, 480), SizeOf(Write("photo.gif", jpeg)));
  EXPECT_EQ(TSize(640, 480), SizeOf(Write("photo.", jpeg)));
}

TEST_F(ImageSizeTest, PngAndBmpNamesDecideEvenAgainstTheContents) {
  // A PNG is only found by its name; a ".png" name only finds a PNG.
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("picture.jpg", PictureBytes("picture.png"))));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("photo.png", PictureBytes("baseline.jpg"))));
  // A ".bmp" name reads the two bitmap fields whatever the file holds: here
  // bytes 18..25 of the PNG's header chunk.
  std::string png = PictureBytes("picture.png");
  EXPECT_EQ(TSize(static_cast<std::int32_t>(Le32(png, 18)), static_cast<std::int32_t>(Le32(png, 22))),
            SizeOf(Write("picture.bmp", png)));
}

TEST_F(ImageSizeTest, OnlyTheLastDotStartsTheExtension) {
  std::string png = PictureBytes("picture.png");
  EXPECT_EQ(TSize(300, 200), SizeOf(Write("picture.jpg.png", png)));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("picture.png.jpg", png)));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("picture.png~", png)));
}

TEST_F(ImageSizeTest, UnknownStartGivesZero) {
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("notes.txt", "GLOBAL NOTES, not a picture at all")));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("half.jpg", Bytes({0xFF, 0xD9, 0xFF, 0xC0, 0, 17, 8, 0, 16, 0, 32}))));
}

TEST_F(ImageSizeTest, EveryKindOfJpegFrameGivesItsSizeAndOtherSegmentsAreSkipped) {
  // The baseline picture with its frame marker changed: extended (C1),
  // lossless (C3), arithmetic-coded (C9 to CB, CD to CF) and the rest; the
  // size reader never looks past the frame header.
  const std::string baseline = PictureBytes("baseline.jpg");
  const std::size_t frame = baseline.find("\xFF\xC0");
  ASSERT_NE(std::string::npos, frame);
  for (int marker = 0xC0; marker <= 0xCF; ++marker) {
    const bool isFrame = marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    std::string jpeg = baseline;
    jpeg[frame + 1] = static_cast<char>(marker);
    EXPECT_EQ(isFrame ? TSize(640, 480) : TSize(0, 0), SizeOf(Write("frame.jpg", jpeg))) << std::hex << marker;
    // A segment that is not a frame is stepped over to the frame behind it.
    std::string hand = kJpegStart + Bytes({0xFF, marker, 0x00, 0x11, 0x08, 0, 1, 0, 1, 3}) +
                       std::string(9, '\0') + kFrame32x16;
    EXPECT_EQ(isFrame ? TSize(1, 1) : TSize(32, 16), SizeOf(Write("hand.jpg", hand))) << std::hex << marker;
  }
}

// --- Short and damaged headers -------------------------------------------

TEST_F(ImageSizeTest, EmptyFilesGiveZeroWhateverTheName) {
  for (const char* name : {"empty.png", "empty.bmp", "empty.gif", "empty.jpg", "empty"})
    EXPECT_EQ(TSize(0, 0), SizeOf(Write(name, ""))) << name;
}

TEST_F(ImageSizeTest, GifNeedsTheWholeTenByteHeader) {
  std::string gif = PictureBytes("screen.gif");
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("nine.gif", gif.substr(0, 9))));
  EXPECT_EQ(TSize(100, 50), SizeOf(Write("ten.gif", gif.substr(0, 10))));
}

TEST_F(ImageSizeTest, PngWithoutItsSignatureGivesZero) {
  std::string png = PictureBytes("picture.png");
  png[7] = 'x';
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("damaged.png", png)));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("short.png", PictureBytes("picture.png").substr(0, 7))));
}

TEST_F(ImageSizeTest, PngFieldBeyondTheEndGivesZeroForThatFieldOnly) {
  std::string png = PictureBytes("picture.png");
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("cut19.png", png.substr(0, 19))));
  EXPECT_EQ(TSize(300, 0), SizeOf(Write("cut20.png", png.substr(0, 20))));
  EXPECT_EQ(TSize(300, 0), SizeOf(Write("cut23.png", png.substr(0, 23))));
  EXPECT_EQ(TSize(300, 200), SizeOf(Write("cut24.png", png.substr(0, 24))));
}

TEST_F(ImageSizeTest, PngSizesAboveSixteenBitsWrap) {
  std::string png = PictureBytes("picture.png");
  png.replace(16, 8, Bytes({0x00, 0x01, 0x11, 0x70, 0x00, 0x02, 0x00, 0x05}));  // 70000 x 131077
  EXPECT_EQ(TSize(70000 % 65536, 131077 % 65536), SizeOf(Write("huge.png", png)));
}

TEST_F(ImageSizeTest, BmpNeedsBothFields) {
  std::string bmp = PictureBytes("bottomup.bmp");
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("cut25.bmp", bmp.substr(0, 25))));
  EXPECT_EQ(TSize(32, 16), SizeOf(Write("cut26.bmp", bmp.substr(0, 26))));
}

TEST_F(ImageSizeTest, JpegCutInsideASegmentGivesZero) {
  std::string jpeg = PictureBytes("baseline.jpg");
  std::size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(std::string::npos, frame);
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("cut-early.jpg", jpeg.substr(0, 30))));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("cut-at-frame.jpg", jpeg.substr(0, frame + 3))));
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("cut-in-frame.jpg", jpeg.substr(0, frame + 8))));
  EXPECT_EQ(TSize(640, 480), SizeOf(Write("cut-after-size.jpg", jpeg.substr(0, frame + 9))));
}

TEST_F(ImageSizeTest, JpegSegmentLengthBelowTwoIsDamagedEvenBeforeAGoodFrame) {
  for (int length : {0, 1}) {
    std::string jpeg = kJpegStart + Bytes({0xFF, 0xE0, 0x00, length}) + kFrame32x16 + kFrame32x16;
    EXPECT_EQ(TSize(0, 0), SizeOf(Write("length" + std::to_string(length) + ".jpg", jpeg))) << length;
  }
  // Stepping on by two bytes after the zero would land on a well-formed
  // chain that reaches the frame; a damaged file must not be guessed at.
  std::string resync = kJpegStart + Bytes({0xFF, 0xE0, 0x00, 0x00, 0x00, 0x02}) + kFrame32x16;
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("resync.jpg", resync)));
  // Length 2 is an empty segment and is fine.
  EXPECT_EQ(TSize(32, 16), SizeOf(Write("length2.jpg", kJpegStart + Bytes({0xFF, 0xFE, 0, 2}) + kFrame32x16)));
}

TEST_F(ImageSizeTest, JpegWalkJumpsBySegmentLengthsAndDoesNotScanTheBytes) {
  // A comment holding a frame header of 1 x 1 is skipped as a whole.
  std::string comment = Bytes({0xFF, 0xFE, 0x00, 0x0C, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0, 1, 0, 1, 3});
  EXPECT_EQ(TSize(32, 16), SizeOf(Write("comment.jpg", kJpegStart + comment + kFrame32x16)));
}

TEST_F(ImageSizeTest, JpegWalkOverManySegmentsAndPastTheEndEnds) {
  std::string jpeg = kJpegStart;
  for (int i = 0; i < 2000; ++i) jpeg += Bytes({0xFF, 0xFE, 0x00, 0x03, 'x'});
  EXPECT_EQ(TSize(32, 16), SizeOf(Write("many.jpg", jpeg + kFrame32x16)));
  // The last segment claims 65535 bytes: the walk lands past the end.
  EXPECT_EQ(TSize(0, 0), SizeOf(Write("overlong.jpg", jpeg + Bytes({0xFF, 0xE1, 0xFF, 0xFF}) + kFrame32x16)));
}

// --- Files that cannot be opened -----------------------------------------

TEST_F(ImageSizeTest, MissingFileOrFolderRaisesFileError) {
  EXPECT_THROW(ReadImageSize(Folder.File("absent.jpg")), EFileError);
  EXPECT_THROW(ReadImageSize(Folder.File("absent.png")), EFileError);
  std::filesystem::create_directories(Folder.File("folder.bmp"));
  EXPECT_THROW(ReadImageSize(Folder.File("folder.bmp")), EFileError);
}

// --- ReadBigEndianWord ---------------------------------------------------

TEST_F(ImageSizeTest, ReadBigEndianWordTakesTheHighByteFirstAndZeroAtTheEnd) {
  TOsFile file(Write("words", Bytes({0x12, 0xF4, 0x00, 0x80, 0x7F})), omRead);
  EXPECT_EQ(0x12F4, ReadBigEndianWord(file));
  EXPECT_EQ(0x0080, ReadBigEndianWord(file));
  EXPECT_EQ(0, ReadBigEndianWord(file));
}

// --- zarvel-cli imagesize ------------------------------------------------

TEST_F(ImageSizeTest, CliPrintsWidthSpaceHeight) {
  TRun run = Cli({"imagesize", Picture("baseline.jpg")});
  EXPECT_EQ(kExitOk, run.Code);
  EXPECT_EQ("640 480\n", run.Out);
  EXPECT_EQ("", run.Err);
  EXPECT_EQ("32 16\n", Cli({"imagesize", Write("t.bmp", TopDownBmp(PictureBytes("bottomup.bmp")))}).Out);
  EXPECT_EQ("640 480\n", Cli({"imagesize", Picture("progressive.jpg")}).Out);
}

TEST_F(ImageSizeTest, CliNeedsExactlyOnePath) {
  for (const TCliArgs& args : {TCliArgs{"imagesize"}, TCliArgs{"imagesize", "a.png", "b.png"},
                               TCliArgs{"imagesize", "--width", "a.png"}}) {
    TRun run = Cli(args);
    EXPECT_EQ(kExitUsage, run.Code) << args.size();
    EXPECT_EQ("", run.Out);
    EXPECT_NE(std::string::npos, run.Err.find("imagesize PATH"));
  }
}

TEST_F(ImageSizeTest, CliReportsAFileThatCannotBeOpened) {
  TRun run = Cli({"imagesize", Folder.File("absent.gif")});
  EXPECT_EQ(kExitFailure, run.Code);
  EXPECT_EQ("", run.Out);
  EXPECT_NE(std::string::npos, run.Err.find("absent.gif"));
}

}  // namespace
