#pragma once
// The open dialog for pictures: the system's open-file dialog with a picture
// panel on its right that shows the selected picture, its size, and a
// larger preview on request.

#include <windows.h>

#include <string>

class TOpenPictureDialog {
 public:
  // "Description|pattern|Description|pattern", as the run sets it.
  std::string Filter =
      "All image files (*.bmp; *.gif; *.jpg; *.jpeg; *.png)|*.bmp; *.gif; *.jpg; *.jpeg; *.png";
  int FilterIndex = 1;
  // In: the name to start with (empty for none). Out: the picked file.
  // Both are UTF-8 paths.
  std::string FileName;

  // Shows the dialog modally on the calling thread; true when a file was
  // picked (FileName then holds its full path).
  bool Execute(HWND owner = nullptr);
};
