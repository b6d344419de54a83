#include "wingui/ProgramIcon_win.h"

#include <utility>

#include "wingui/DialogBase_win.h"

int IconSizeForDpi(int metric, unsigned dpi) {
  // Looked up: Windows 10 before 1607 and older systems lack it.
  using TGetSystemMetricsForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = reinterpret_cast<TGetSystemMetricsForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
  if (forDpi) {
    int size = forDpi(metric, dpi);
    if (size > 0) return size;
  }
  // The system's metrics are those of its own DPI.
  int size = GetSystemMetrics(metric);
  if (size <= 0) size = metric == SM_CXSMICON ? 16 : 32;
  unsigned systemDpi = DpiOfWindow(nullptr);
  return systemDpi == dpi || systemDpi == 0 ? size : MulDiv(size, static_cast<int>(dpi), static_cast<int>(systemDpi));
}

TIconHandle LoadIconOfSize(HMODULE module, const wchar_t* name, int size) {
  // The common controls of version 6 (Vista and later) scale a larger
  // picture down, which stays sharp; looked up, as older ones lack it.
  using TLoadIconWithScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  HMODULE controls = GetModuleHandleA("comctl32.dll");
  auto scaleDown = controls ? reinterpret_cast<TLoadIconWithScaleDown>(reinterpret_cast<void*>(
                                  GetProcAddress(controls, "LoadIconWithScaleDown")))
                            : nullptr;
  HICON icon = nullptr;
  if (scaleDown && SUCCEEDED(scaleDown(module, name, size, size, &icon)) && icon) return TIconHandle(icon);
  return TIconHandle(static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

void TWindowIcons::Apply(HWND window, unsigned dpi, HMODULE module, const wchar_t* name) {
  TIconHandle bigIcon = LoadIconOfSize(module, name, IconSizeForDpi(SM_CXICON, dpi));
  TIconHandle smallIcon = LoadIconOfSize(module, name, IconSizeForDpi(SM_CXSMICON, dpi));
  if (!bigIcon || !smallIcon) return;
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.Get()));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.Get()));
  // The window has let go of the old ones now.
  FBig = std::move(bigIcon);
  FSmall = std::move(smallIcon);
}
