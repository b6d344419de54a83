#pragma once
// The pixel size of a picture file, read from its header without decoding
// it: what the {width:name} and {height:name} tags of a template become.
// Four formats are known; anything else, and any damaged or short header,
// gives 0 x 0 rather than an error, so a macro still runs.

#include <cstdint>
#include <string>

class TOsFile;

struct TImageSize {
  int Width = 0;
  int Height = 0;
};

// The extension (with its dot, ASCII lower case) chooses PNG or BMP; any
// other name is told apart by its first bytes (GIF or JPEG). Raises
// EFileError when the file cannot be opened for reading.
TImageSize ReadImageSize(const std::string& path);

// The PNG branch: the low 16 bits of the header chunk's width and height,
// each 0 when it lies beyond the end of the file.
TImageSize ReadPngSize(const std::string& path);

// Two bytes from the current position, the first the high byte; 0 when
// fewer than two are left.
std::uint16_t ReadBigEndianWord(TOsFile& file);
