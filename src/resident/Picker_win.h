#pragma once
// The macro picker: a small window near the caret of the program in front
// that lists every macro, narrows the list as the user types and runs the
// chosen macro in that program, as the macro's own shortcut would. It lives
// on a thread of its own and reads only the index it is given, never the
// store.

#include <windows.h>

#include <memory>
#include <string>

#include "search/MacroIndex.h"
#include "wingui/OwnedThread_win.h"

constexpr const char* kPickerCaption = "Run a macro";

// Control ids, for the window and for programs that drive it.
enum TPickerControlId : int {
  idPickerQuery = 100,  // the edit box; it keeps the focus
  idPickerList,         // the list of macros, best match first
};
enum TPickerColumn : int { pcTitle = 0, pcCatagory, pcKind, pcShortCut };

// The window a picker opened now would run its macro in: the foreground
// window; from the tray menu (whose owner is then in front) the topmost
// window of another program. nullptr when there is none.
HWND PickerTargetWindow(bool fromTray);

// Starts the picker's thread over `target`. When the user chooses a macro
// the picker closes, the target and the control that had the focus get it
// back, WM_PICKERRUN goes to appWindow with the entry's position in the
// index, and the macro goes to the front of the recent list in exeDir's
// zarvel.ini. Escape closes it and gives the target the focus back; a click
// elsewhere just closes it. Its last act on every path is `done`. False
// (and no notice) when the thread could not start.
bool StartPicker(const TDoneNotice& done, HWND appWindow, HWND target, std::shared_ptr<const TMacroIndex> index,
                 const std::string& exeDir);
