#pragma once
// The picture panel beside the open dialog's own controls: the picture's
// size, a button for the larger preview and the picture itself, fitted into
// a framed area.

#include <windows.h>

#include <string>

#include "picture/PictureDecode.h"

// Control ids inside the panel's parent window.
constexpr int idPictureLabel = 0x5A10;
constexpr int idPicturePreview = 0x5A11;
constexpr int idPictureArea = 0x5A12;

// Design size of the panel at 96 DPI, border included.
constexpr int kPicturePanelWidth = 200;
constexpr int kPicturePanelHeight = 169;

class TPicturePanel {
 public:
  // Makes the controls in `parent` with their top-left corner at (left,
  // top) in the parent's pixels; `font` is the font of the dialog around.
  void Create(HWND parent, int left, int top, unsigned dpi, HFONT font);
  // Loads the picture of the file; anything that does not decode (a
  // folder, another kind of file, a damaged picture) shows as no picture.
  void ShowFile(const std::string& path);
  bool HasPicture() const { return FPicture.Width > 0; }

  // Draws the paint area; false for another control's item.
  bool DrawItem(const DRAWITEMSTRUCT& item) const;
  // A WM_COMMAND of the parent: true when it asks for the preview (the
  // button, or a double-click on the paint area) and one was shown.
  bool Command(WPARAM wParam, HWND owner) const;

 private:
  void AddTooltip(HWND control, const char* text);
  void ShowNone();

  HWND FParent = nullptr;
  HWND FTooltip = nullptr;
  // The decoded picture, already blended onto the panel colour.
  TPicture FPicture;
};
