#include "editor/EditorPictures.h"

namespace {

// The tag pictures are a sign between two braces.
constexpr int kSignHeight = 9;
constexpr int kSignWidth = 8;
constexpr int kBraceHeight = 11;
constexpr int kBraceTop = 2;

const char* const kLeftBrace[kBraceHeight] = {
    ".bb", ".b.", ".b.", ".b.", ".b.", "b..", ".b.", ".b.", ".b.", ".b.", ".bb",
};

// New
const char* const kNew[kEditorPictureSize] = {
    "..kkkkkkkk......",
    "..kwwwwwwkk.....",
    "..kwwwwwwklk....",
    "..kwwwwwwkllk...",
    "..kwwwwwwkkkkk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kwwwwwwwwwwk..",
    "..kkkkkkkkkkkk..",
    "................",
};

// Open
const char* const kOpen[kEditorPictureSize] = {
    "................",
    "................",
    "................",
    ".kkkkk..........",
    "kyyyyyk.........",
    "kyyyyyykkkkkkk..",
    "kyyyyyyyyyyyyk..",
    "kyyykkkkkkkkkkkk",
    "kyykoooooooooook",
    "kyykooooooooook.",
    "kykoooooooooook.",
    "kykooooooooook..",
    "kkoooooooooook..",
    "kkkkkkkkkkkkk...",
    "................",
    "................",
};

// Save
const char* const kSave[kEditorPictureSize] = {
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwggggggwkbk.",
    ".kbkwwwwwwwwkbk.",
    ".kbkwggggggwkbk.",
    ".kbkkkkkkkkkkbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbbbbbbbbbbbk.",
    ".kbbkkkkkkkkbbk.",
    ".kbbklllllkkbbk.",
    ".kbbklllllkkbbk.",
    ".kbbklllllkkbbk.",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
};

// Cut
const char* const kCut[kEditorPictureSize] = {
    "................",
    "....k.....k.....",
    "....k.....k.....",
    "....kk...kk.....",
    ".....k...k......",
    ".....kk.kk......",
    "......kkk.......",
    ".......k........",
    "......rkr.......",
    ".....rr.rr......",
    "...rrr...rrr....",
    "..r..r...r..r...",
    "..r..r...r..r...",
    "..r..r...r..r...",
    "...rr.....rr....",
    "................",
};

// Copy
const char* const kCopy[kEditorPictureSize] = {
    "kkkkkkkkk.......",
    "kwwwwwwwk.......",
    "kwgggggwk.......",
    "kwwwwwwwk.......",
    "kwggkkkkkkkkk...",
    "kwwwkwwwwwwwk...",
    "kwggkwgggggwk...",
    "kwwwkwwwwwwwk...",
    "kwggkwgggggwk...",
    "kwwwkwwwwwwwk...",
    "kkkkkwgggggwk...",
    "....kwwwwwwwk...",
    "....kwgggggwk...",
    "....kwwwwwwwk...",
    "....kkkkkkkkk...",
    "................",
};

// Paste
const char* const kPaste[kEditorPictureSize] = {
    "................",
    ".....kkkkk......",
    ".kkkkklllkkkkk..",
    ".kooookkkooook..",
    ".koooooooooook..",
    ".kooookkkkkkkkkk",
    ".kooookwwwwwwwwk",
    ".kooookwggggggwk",
    ".kooookwwwwwwwwk",
    ".kooookwggggggwk",
    ".kooookwwwwwwwwk",
    ".kooookwggggwwwk",
    ".kooookwwwwwwwwk",
    ".kkkkkkwwwwwwwwk",
    "......kkkkkkkkkk",
    "................",
};

// Undo
const char* const kUndo[kEditorPictureSize] = {
    "................",
    "................",
    "................",
    "....b...........",
    "...bb...........",
    "..bbbbbbbbb.....",
    ".bbbbbbbbbbbb...",
    "..bbbbbbbbbbbb..",
    "...bb......bbb..",
    "....b.......bbb.",
    "............bbb.",
    "............bbb.",
    "...........bbb..",
    "..........bbb...",
    "........bbbb....",
    "................",
};

// Variable, between braces
const char* const kVariableSign[kSignHeight] = {
    "...GG...",
    "..GGGGG.",
    ".GG.G...",
    ".GG.G...",
    "..GGGG..",
    "....GGG.",
    "....G.GG",
    ".GGGGGG.",
    "....G...",
};

// Line, between braces
const char* const kLineSign[kSignHeight] = {
    "kkkk.kk.",
    "........",
    "bbbbbbbb",
    "bwwbwwwb",
    "bbbbbbbb",
    "........",
    "kkk.kkkk",
    "........",
    "kkkkk...",
};

// File, between braces
const char* const kFileSign[kSignHeight] = {
    "kkkkk...",
    "kwwwkk..",
    "kwwwkwk.",
    "kwwwkkkk",
    "kwwwwwwk",
    "kwkkkkwk",
    "kwwwwwwk",
    "kwkkkkwk",
    "kkkkkkkk",
};

// Image, between braces
const char* const kImageSign[kSignHeight] = {
    "kkkkkkkk",
    "kcccccyk",
    "kccccyyk",
    "kcccccck",
    "kccGccck",
    "kcGGGcck",
    "kGGGGGck",
    "kGGGGGGk",
    "kkkkkkkk",
};

// Width, between braces
const char* const kWidthSign[kSignHeight] = {
    "........",
    "........",
    ".r....r.",
    "rr....rr",
    "rrrrrrrr",
    "rr....rr",
    ".r....r.",
    "........",
    "........",
};

// Height, between braces
const char* const kHeightSign[kSignHeight] = {
    "...rr...",
    "..rrrr..",
    ".rrrrrr.",
    "...rr...",
    "...rr...",
    "...rr...",
    ".rrrrrr.",
    "..rrrr..",
    "...rr...",
};

// Optional, between braces
const char* const kOptionalSign[kSignHeight] = {
    "r......r",
    "r......r",
    "r......r",
    "r.gggg.r",
    "r......r",
    "r.gggg.r",
    "........",
    "r......r",
    "........",
};

std::vector<std::string> Rows(const char* const* rows) {
  return std::vector<std::string>(rows, rows + kEditorPictureSize);
}

std::vector<std::string> BetweenBraces(const char* const* sign) {
  std::vector<std::string> rows(kEditorPictureSize, std::string(kEditorPictureSize, '.'));
  const int signTop = kBraceTop + (kBraceHeight - kSignHeight) / 2;
  for (int i = 0; i < kBraceHeight; ++i) {
    std::string left = kLeftBrace[i];
    std::string right(left.rbegin(), left.rend());
    int y = kBraceTop + i;
    int signRow = y - signTop;
    std::string middle = signRow >= 0 && signRow < kSignHeight ? sign[signRow]
                                                               : std::string(kSignWidth, '.');
    rows[y] = left + "." + middle + "." + right;
  }
  return rows;
}

}  // namespace

std::vector<std::string> EditorPictureRows(int picture) {
  switch (picture) {
    case epNew: return Rows(kNew);
    case epOpen: return Rows(kOpen);
    case epSave: return Rows(kSave);
    case epCut: return Rows(kCut);
    case epCopy: return Rows(kCopy);
    case epPaste: return Rows(kPaste);
    case epVariable: return BetweenBraces(kVariableSign);
    case epLine: return BetweenBraces(kLineSign);
    case epFile: return BetweenBraces(kFileSign);
    case epImage: return BetweenBraces(kImageSign);
    case epImageWidth: return BetweenBraces(kWidthSign);
    case epImageHeight: return BetweenBraces(kHeightSign);
    case epOptional: return BetweenBraces(kOptionalSign);
    case epUndo: return Rows(kUndo);
  }
  return std::vector<std::string>(kEditorPictureSize, std::string(kEditorPictureSize, '.'));
}

bool EditorPaletteColour(char letter, std::uint32_t& rgb) {
  switch (letter) {
    case 'k': rgb = 0x303030; return true;  // outlines and ink
    case 'w': rgb = 0xFFFFFF; return true;  // paper
    case 'g': rgb = 0x8C8C8C; return true;  // text lines on paper
    case 'l': rgb = 0xC8C8C8; return true;  // metal, folded corners
    case 'b': rgb = 0x2A5CB8; return true;  // braces, disk, arrows
    case 'c': rgb = 0x9CC8F0; return true;  // sky
    case 'y': rgb = 0xF0C848; return true;  // folder
    case 'o': rgb = 0xC89030; return true;  // folder front, clipboard
    case 'r': rgb = 0xC83228; return true;  // blades, measures, marks
    case 'G': rgb = 0x2E9A44; return true;  // variables, hills
  }
  return false;
}
