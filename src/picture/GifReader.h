#pragma once
// Reads the first frame of a GIF picture held in memory: the logical
// screen, the global and local colour maps, LZW-coded pixels (interlaced or
// not) and transparency from the frame's graphic control extension. Every
// read is checked against the buffer; a damaged or truncated file gives
// false, never a crash, an endless loop or a huge allocation.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture/PictureDecode.h"

class TGifReader {
 public:
  // The picture is the logical screen (grown where the frame reaches beyond
  // it) with the first frame drawn at its place; pixels outside the frame
  // and pixels of the transparent colour are transparent.
  bool Decode(const std::uint8_t* data, std::size_t size, TPicture& picture);

 private:
  struct TFrame {
    std::int64_t Left = 0, Top = 0, Width = 0, Height = 0;
    unsigned Flags = 0;  // local colour map, interlace, map size
  };

  bool ReadScreen();
  bool FindFirstFrame();
  bool ReadExtension();
  bool ReadFrameHeader(TFrame& frame);
  bool ReadColourMap(unsigned packed, std::vector<std::uint32_t>& map);
  bool ReadPixels(const TFrame& frame, std::vector<std::uint8_t>& indices);
  void GatherSubBlocks(std::vector<std::uint8_t>& bytes);
  bool SkipSubBlocks();
  bool Paint(const TFrame& frame, const std::vector<std::uint32_t>& colours,
             const std::vector<std::uint8_t>& indices, TPicture& picture) const;

  bool Has(std::size_t count) const { return count <= FSize - FPos; }
  unsigned Byte() { return FData[FPos++]; }
  unsigned Word() {
    unsigned low = Byte();
    return low | Byte() << 8;
  }

  const std::uint8_t* FData = nullptr;
  std::size_t FSize = 0;
  std::size_t FPos = 0;
  std::int64_t FScreenWidth = 0;
  std::int64_t FScreenHeight = 0;
  std::vector<std::uint32_t> FGlobalColours;
  int FTransparentIndex = -1;
  bool FSawControl = false;
};
