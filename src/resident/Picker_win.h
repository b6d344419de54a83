#pragma once
// The macro picker: a small window near the caret of the program in front
// that lists every macro, narrows the list as the user types and runs the
// chosen macro in that program, as the macro's own shortcut would.
//
// Its window lives, hidden, on a thread of its own from start-up on, so
// that the shortcut only fills and shows it. It reads only the index it is
// given with each opening, never the store.

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

struct TPickerShared;

class TPickerHost {
 public:
  // Starts the picker's thread, which makes the hidden window. Chosen
  // macros go to appWindow as WM_PICKERRUN; exeDir's zarvel.ini keeps the
  // recent list.
  TPickerHost(HWND appWindow, const std::string& exeDir);
  // Closes the window; its thread then ends.
  ~TPickerHost();
  TPickerHost(const TPickerHost&) = delete;
  TPickerHost& operator=(const TPickerHost&) = delete;

  // Shows the picker over `target` with the index's macros. When the user
  // chooses one the picker hides, the target and the control that had the
  // focus get it back, WM_PICKERRUN goes to the application window with
  // the entry's position in the index, and the macro goes to the front of
  // the recent list. Escape hides it and gives the target the focus back;
  // a click elsewhere just hides it. Every closing ends with `done`. False
  // (and no notice) when the window is not there.
  bool Open(const TDoneNotice& done, HWND target, std::shared_ptr<const TMacroIndex> index);
  // Makes the hidden list ready with the index, so that the next opening
  // over it only shows the window; a window still in the making does so
  // once it is there.
  void Prepare(std::shared_ptr<const TMacroIndex> index);

 private:
  std::shared_ptr<TPickerShared> FShared;
};
