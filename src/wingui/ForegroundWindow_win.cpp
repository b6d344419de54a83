#include "wingui/ForegroundWindow_win.h"

namespace {

// NT 5 and later, and 9x after 4.0 (98, Me), refuse a plain
// SetForegroundWindow from a program that is not in front.
bool HasForegroundLock() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return true;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return info.dwMajorVersion > 4;
  return info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 0);
}

void BringToFront(HWND window) {
  BringWindowToTop(window);
  SetForegroundWindow(window);
}

}  // namespace

bool ForceForegroundWindow(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  if (GetForegroundWindow() == window) return true;
  if (!HasForegroundLock()) {
    BringToFront(window);
    return GetForegroundWindow() == window;
  }
  DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
  bool inFront = false;
  if (foregroundThread != 0 && AttachThreadInput(windowThread, foregroundThread, TRUE)) {
    BringToFront(window);
    AttachThreadInput(windowThread, foregroundThread, FALSE);
    inFront = GetForegroundWindow() == window;
  }
  if (!inFront) {
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
    BringToFront(window);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)),
                          SPIF_SENDCHANGE);
  }
  return GetForegroundWindow() == window;
}
