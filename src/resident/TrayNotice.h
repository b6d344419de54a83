#pragma once
// What the notification area reports for the tray icon (WM_TRAYNOTIFY),
// decoded without Windows headers so that it is tested everywhere.
//
// The icon speaks one of two encodings. Once the program has asked for the
// fourth version and the notification area agreed, LOWORD(lParam) is the
// event (WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT, WM_LBUTTONDBLCLK, ...),
// HIWORD(lParam) the icon id and wParam the anchor point in screen
// coordinates (x in the low word, y in the high word, both signed). Else
// wParam is the icon id and lParam the mouse message, with no point.

#include <cstdint>

// Events as the system numbers them.
constexpr unsigned kTrayContextMenu = 0x007B;   // WM_CONTEXTMENU
constexpr unsigned kTrayLeftDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK
constexpr unsigned kTrayRightButtonUp = 0x0205;    // WM_RBUTTONUP
constexpr unsigned kTraySelect = 0x0400;           // NIN_SELECT
constexpr unsigned kTrayKeySelect = 0x0401;        // NIN_KEYSELECT

// What the program does with a report.
enum class TTrayAction {
  None,        // a report the program does not act on
  OpenMenu,    // the tray menu: right click, the menu key or Shift+F10
  OpenEditor,  // the default item (Macro Editor): double click, Enter or Space
};

struct TTrayNotice {
  TTrayAction Action = TTrayAction::None;
  unsigned Event = 0;      // the event as reported
  unsigned IconId = 0;
  bool HasAnchor = false;  // with the fourth version: where the menu belongs
  int X = 0;
  int Y = 0;
};

// The report in either encoding; version4 is whether the notification area
// accepted the fourth version for the icon.
TTrayNotice DecodeTrayNotice(std::uintptr_t wParam, std::intptr_t lParam, bool version4);
