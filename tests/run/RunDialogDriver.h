#pragma once
// Drives a dialog of a run the way a user would: it is shown on a thread of
// its own, found by its caption among this process's windows, and its
// controls are read and pressed through messages.

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/WindowSearch_win.h"

namespace rundialog {

using wintest::WaitForWindow;

inline std::wstring TextOf(HWND window) { return wintest::TextOfW(window); }

inline LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (handle) GetObjectW(handle, sizeof font, &font);
  return font;
}

// Design pixels of a control's place in its dialog's client area.
inline RECT PlaceOf(HWND control) {
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class TDialogRun {
 public:
  TDialogRun(std::function<void()> show, const char* caption) : FThread(std::move(show)) {
    FWindow = WaitForWindow(caption);
  }
  ~TDialogRun() { Close(); }
  // Closes the window if it is still open and waits for its thread.
  void Close() {
    if (!FThread.joinable()) return;
    if (FWindow && IsWindow(FWindow)) PostMessageW(FWindow, WM_COMMAND, IDCANCEL, 0);
    FThread.join();
  }
  HWND Window() const { return FWindow; }
  HWND Control(int id) const { return GetDlgItem(FWindow, id); }
  std::wstring Text(int id) const { return TextOf(Control(id)); }
  void SetText(int id, const std::wstring& text) const {
    SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  // Posted: a click may open another modal window.
  void Click(int id) const {
    PostMessageW(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }
  // A key as the dialog's own message loop receives it.
  void PressKey(WPARAM key) const {
    HWND target = GetFocusOf();
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  }
  // Waits up to 10 s for the dialog's thread to end.
  bool WaitUntilClosed() {
    if (!wintest::WaitUntilGone(FWindow)) return false;
    FThread.join();
    return true;
  }

 private:
  HWND GetFocusOf() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(FWindow, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) return info.hwndFocus;
    return FWindow;
  }

  std::thread FThread;
  HWND FWindow = nullptr;
};

}  // namespace rundialog
