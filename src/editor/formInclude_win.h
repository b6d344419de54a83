#pragma once
// The settings window: start with Windows, the image copy rule and the
// include list. Every click writes at once; there is no OK button.

#include <string>

class TIncludeList;

constexpr const char* kIncludeCaption = "Settings";

// Control ids, for the window and for programs that drive it.
enum TIncludeControlId : int {
  idIncludeClose = 2,  // IDCANCEL: Escape and the close box press it
  idIncludeGeneral = 100,
  idIncludeStartup,
  idIncludeCopyLabel,
  idIncludeAlways,
  idIncludeConfirm,
  idIncludeNever,
  idIncludeFrame,
  idIncludeLabel,
  idIncludeList,
  idIncludeAdd,
  idIncludeRemove,
  idIncludeMethods,  // opens the copy-and-paste methods window
};

// Shows the window modally on the calling thread until it is closed. The
// Run value holds exeName, the program file's path; zarvel.ini is beside it.
void ShowIncludeDialog(TIncludeList& list, const std::string& exeName);
