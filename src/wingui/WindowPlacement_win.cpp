#include "wingui/WindowPlacement_win.h"

namespace {

bool WorkAreaOf(HMONITOR monitor, RECT& area) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return false;
  area = info.rcWork;
  return true;
}

}  // namespace

void CenterOverOwner(HWND window, HWND owner) {
  bool hasOwner = owner && IsWindow(owner) && IsWindowVisible(owner) && !IsIconic(owner);
  RECT over{}, area{};
  HMONITOR monitor;
  if (hasOwner) {
    GetWindowRect(owner, &over);
    monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
  } else {
    POINT cursor{};
    GetCursorPos(&cursor);
    monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
  }
  if (!WorkAreaOf(monitor, area)) return;
  if (!hasOwner) over = area;

  RECT box;
  GetWindowRect(window, &box);
  int width = box.right - box.left;
  int height = box.bottom - box.top;
  int left = over.left + (over.right - over.left - width) / 2;
  int top = over.top + (over.bottom - over.top - height) / 2;
  // Wholly on the monitor where it fits; the caption stays reachable where not.
  if (left + width > area.right) left = area.right - width;
  if (top + height > area.bottom) top = area.bottom - height;
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
