// The program's icon files as the resource compiler takes them: each icon
// holds its picture at the sizes the notification area and the windows ask
// for at 100 % to 200 % scale, so that none is stretched.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Little(const std::vector<unsigned char>& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

std::uint32_t Big32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return (std::uint32_t(bytes[at]) << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
}

// The sides of the icon's pictures, each checked against the picture it
// points to: in the file, and of the side the directory says.
std::set<unsigned> PictureSides(const std::string& name) {
  std::vector<unsigned char> file = ReadFile(std::string(ZARVEL_ICON_DIR) + "/" + name);
  std::set<unsigned> sides;
  EXPECT_GE(file.size(), 6u) << name;
  if (file.size() < 6) return sides;
  EXPECT_EQ(Little(file, 0, 2), 0u);
  EXPECT_EQ(Little(file, 2, 2), 1u) << "not an icon";
  std::size_t count = Little(file, 4, 2);
  EXPECT_GE(file.size(), 6 + 16 * count) << name;
  if (file.size() < 6 + 16 * count) return sides;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t entry = 6 + 16 * i;
    unsigned side = file[entry] == 0 ? 256 : file[entry];
    EXPECT_EQ(file[entry + 1] == 0 ? 256u : file[entry + 1], side) << name << ": not square";
    EXPECT_EQ(Little(file, entry + 6, 2), 32u) << name << ": " << side << " px without alpha";
    std::size_t length = Little(file, entry + 8, 4), offset = Little(file, entry + 12, 4);
    EXPECT_LE(offset + length, file.size()) << name << ": " << side << " px lies past the end";
    if (offset + length > file.size() || length < 40) continue;
    if (file[offset] == 0x89 && file[offset + 1] == 'P') {
      EXPECT_EQ(Big32(file, offset + 16), side) << name << ": the PNG picture's width";
      EXPECT_EQ(Big32(file, offset + 20), side) << name << ": the PNG picture's height";
    } else {
      EXPECT_EQ(Little(file, offset, 4), 40u) << name << ": " << side << " px has no bitmap header";
      EXPECT_EQ(Little(file, offset + 4, 4), side) << name << ": the bitmap's width";
      EXPECT_EQ(Little(file, offset + 8, 4), 2 * side) << name << ": colour and mask height";
      // Colour rows and the mask rows padded to four bytes.
      EXPECT_EQ(length, 40 + side * side * 4 + side * ((side + 31) / 32 * 4)) << name << ": " << side << " px";
    }
    sides.insert(side);
  }
  return sides;
}

}  // namespace

TEST(IconFiles, TrayPicturesAtEverySmallIconSizeAndTheProgramIconLarger) {
  const std::set<unsigned> tray = {16, 20, 24, 32};
  std::set<unsigned> program = PictureSides("TI.ico");
  for (unsigned side : tray) EXPECT_EQ(program.count(side), 1u) << "TI.ico lacks " << side << " px";
  EXPECT_EQ(program.count(48), 1u);
  EXPECT_EQ(program.count(256), 1u);
  std::set<unsigned> disabled = PictureSides("TIDisabled.ico");
  for (unsigned side : tray) EXPECT_EQ(disabled.count(side), 1u) << "TIDisabled.ico lacks " << side << " px";
}
