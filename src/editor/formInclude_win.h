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

// Posted to the window when its files changed on disk: wParam non-zero for
// include.dat, lParam non-zero for zarvel.ini. The window reads them again
// on its own thread and shows them as they are; while a dialog of its own is
// open, it waits until that has closed.
constexpr unsigned WM_SETTINGSFILESCHANGED = 0x8000 + 41;  // WM_APP + 41

// Shows the window modally on the calling thread until it is closed. The
// Run value holds exeName, the program file's path; zarvel.ini is beside it.
void ShowIncludeDialog(TIncludeList& list, const std::string& exeName);
