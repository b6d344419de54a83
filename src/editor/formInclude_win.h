#pragma once
// The settings window: start with Windows, the image copy rule, the macro
// picker's shortcut, storing the macros as Unicode, and the include list.
// Every click writes at once; there is no OK button.

#include <cstdint>
#include <functional>
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
  idIncludePicker,   // the macro picker's shortcut on or off
  idIncludePickerKey,  // the picker's shortcut: a key pressed here is taken
  idIncludeUnicode,    // converts the macros folder to UTF-8, after asking
};

// Posted to the window when its files changed on disk: wParam non-zero for
// include.dat, lParam non-zero for zarvel.ini. The window reads them again
// on its own thread and shows them as they are; while a dialog of its own is
// open, it waits until that has closed.
constexpr unsigned WM_SETTINGSFILESCHANGED = 0x8000 + 41;  // WM_APP + 41
// The title of the macro that holds the shortcut, "" for none.
using TShortCutHolder = std::function<std::string(std::uint16_t shortCut)>;

// Shows the window modally on the calling thread until it is closed. The
// Run value holds exeName, the program file's path; zarvel.ini and the
// Macros folder are beside it.
// A picker shortcut that holder names a macro for is refused.
void ShowIncludeDialog(TIncludeList& list, const std::string& exeName, TShortCutHolder holder = nullptr);
