#include "TrayIconLook.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "E2eSupport.h"

namespace {

constexpr const char* kWineTrayClass = "__winex11_standalone_tray";

// RAII for the screen DC, a memory DC and its bitmap.
struct TScreenCopy {
  HDC Screen = GetDC(nullptr);
  HDC Memory = CreateCompatibleDC(Screen);
  HBITMAP Bitmap = nullptr;
  HGDIOBJ Old = nullptr;
  TScreenCopy(int width, int height) {
    Bitmap = CreateCompatibleBitmap(Screen, width, height);
    Old = SelectObject(Memory, Bitmap);
  }
  TScreenCopy(const TScreenCopy&) = delete;
  TScreenCopy& operator=(const TScreenCopy&) = delete;
  ~TScreenCopy() {
    SelectObject(Memory, Old);
    DeleteObject(Bitmap);
    DeleteDC(Memory);
    ReleaseDC(nullptr, Screen);
  }
};

}  // namespace

std::string TrayIconLook() {
  HWND tray = FindWindowA(kWineTrayClass, nullptr);
  if (!tray || !IsWindowVisible(tray)) return "";
  RECT client;
  GetClientRect(tray, &client);
  POINT origin{0, 0};
  ClientToScreen(tray, &origin);
  int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return "";
  TScreenCopy copy(width, height);
  BitBlt(copy.Memory, 0, 0, width, height, copy.Screen, origin.x, origin.y, SRCCOPY);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned> pixels(static_cast<std::size_t>(width) * height);
  SelectObject(copy.Memory, copy.Old);  // GetDIBits wants the bitmap out of the DC
  GetDIBits(copy.Memory, copy.Bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  SelectObject(copy.Memory, copy.Bitmap);
  unsigned long long hash = 1469598103934665603ull;
  for (unsigned pixel : pixels) hash = (hash ^ (pixel & 0xFFFFFF)) * 1099511628211ull;
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", hash);
  return text;
}

std::string TrayTipText() {
  HWND tray = FindWindowA(kWineTrayClass, nullptr);
  if (!tray || !IsWindowVisible(tray)) return "";
  POINT icon{8, 8};  // inside the first icon's cell
  ClientToScreen(tray, &icon);
  // Come from outside so that the tray sees the pointer arrive.
  SetCursorPos(icon.x + 300, icon.y + 300);
  Pump(std::chrono::milliseconds(100));
  SetCursorPos(icon.x, icon.y);
  std::string tip;
  WaitFor(
      [&] {
        for (const TWindowInfo& info : TopLevelWindows())
          if (info.Visible && info.ClassName == "tooltips_class32" && info.ProcessId == ProcessOf(tray)) {
            tip = TextOf(info.Window);
            if (!tip.empty()) return true;
          }
        return false;
      },
      std::chrono::seconds(4));
  // Away again, and the tip gone: it would cover part of the tray's picture.
  SetCursorPos(icon.x + 300, icon.y + 300);
  WaitFor(
      [&] {
        for (const TWindowInfo& info : TopLevelWindows())
          if (info.Visible && info.ClassName == "tooltips_class32" && info.ProcessId == ProcessOf(tray)) return false;
        return true;
      },
      std::chrono::seconds(3));
  return tip;
}
