#pragma once
// The template editor's toolbar pictures as pixel grids: 16 x 16 rows of
// palette letters, so they stay sharp and are scaled only by whole pixels.

#include <cstdint>
#include <string>
#include <vector>

constexpr int kEditorPictureSize = 16;

// Picture indexes, in the order of the toolbar's image list.
enum TEditorPicture : int {
  epNew = 0,
  epOpen = 1,
  epSave = 2,
  epCut = 3,
  epCopy = 4,
  epPaste = 5,
  epVariable = 6,
  epLine = 7,
  epFile = 8,
  epImage = 9,
  epImageWidth = 10,
  epImageHeight = 11,
  epOptional = 12,
  epUndo = 13,
  kEditorPictureCount = 14,
};

// The rows of one picture, top first, kEditorPictureSize letters each.
std::vector<std::string> EditorPictureRows(int picture);

// The colour of a palette letter as 0xRRGGBB; false for '.' (transparent)
// and for letters the palette does not know.
bool EditorPaletteColour(char letter, std::uint32_t& rgb);
