#pragma once
// Every message of the application window, in one table. The numbers are
// part of the hook library's contract and of what other copies of the program
// post, so they never change. Portable: no Windows header is needed to name
// them, and the dispatch logic is tested on Linux with them.

#include <cstdint>

// From the notification area for the tray icon (icon id 0), in the encoding
// of the fourth version when the notification area accepted it:
//   wParam: the anchor point, x in the low word and y in the high word.
//   lParam: the event in the low word (123 context menu, 515 double click,
//   1025 key select), the icon id in the high word.
// Otherwise wParam is the icon id and lParam the mouse message (515 double
// click, 517 right button released). TrayNotice.h decodes both.
constexpr unsigned WM_TRAYNOTIFY = 11015;  // 0x2B07

// Posted by a window thread or the macro run thread as its last act.
//   wParam: the thread's code (TThreadDoneCode).
//   lParam: 0.
constexpr unsigned WM_THREADDONE = 11016;  // 0x2B08

// Posted by DispatchShortcut to the application window itself.
//   wParam: the category index.
//   lParam: the macro index within that category.
constexpr unsigned WM_RUNMACRO = 11017;  // 0x2B09

// Posted by the macro picker's thread when the user chose a macro, after
// the picker closed and the program it was opened over is in front again.
//   wParam: the macro's position in the index the picker was given.
//   lParam: 0.
constexpr unsigned WM_PICKERRUN = 11018;  // 0x2B0A

// Sent by the hook library for every key that goes down in any program.
//   wParam: the virtual-key code; Shift, Ctrl and Alt as 16, 17 and 18.
//   lParam: unused.
//   Result: 0 for a modifier or a key that requested a macro run (the hook
//   then withholds a non-modifier from the focused program), else -1.
constexpr unsigned WM_HOOKKEYDOWN = 11024;  // 0x2B10

// Sent by the hook library for every key that goes up.
//   wParam: the virtual-key code, generic codes for the modifiers.
//   lParam: unused. Result: 0.
constexpr unsigned WM_HOOKKEYUP = 15120;  // 0x3B10

// Posted by the folder watch when files of the program changed on disk,
// once a burst of changes has settled.
//   wParam: the files (TWatchedFile bits, resident/FileChanges.h).
//   lParam: 0.
constexpr unsigned WM_FILESCHANGED = 11030;  // 0x2B16

// Posted by the folder watch after it tried a daily backup whose outcome
// differs from the last one; it keeps the line to show (empty when well).
//   wParam: 0. lParam: 0.
constexpr unsigned WM_BACKUPDONE = 11031;  // 0x2B17

// Broadcast by a second copy of the program (wParam 0, lParam 0); its
// number is whatever the system registers for this name.
constexpr const char* kNewInstanceMessageName = "ZarvelNewInstance";

// The hidden application window that receives all of the above: a top-level
// WS_POPUP window of the main thread (broadcasts do not reach message-only
// windows). Outside programs find it by this class and caption.
constexpr const char* kAppWindowClass = "ZarvelAppWindow";
constexpr const char* kAppTitle = "Zarvel";
constexpr const char* kInstanceMutexName = "Zarvel";

// The wParam of WM_THREADDONE.
enum TThreadDoneCode : int {
  tdOptions = 0,   // the macro editor's thread
  tdAbout = 2,     // the about box's thread
  tdInclude = 3,   // the settings window's thread
  tdRunMacro = 5,  // the macro run thread
  tdPicker = 6,    // the macro picker's thread
};

// The results of WM_HOOKKEYDOWN.
constexpr std::intptr_t kKeyUsed = 0;
constexpr std::intptr_t kKeyPassed = -1;
