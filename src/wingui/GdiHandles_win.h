#pragma once
// Owners for GDI handles and device contexts: each frees what it holds when
// it goes out of scope, can be moved, never copied.

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "wingui/WinHandles_win.h"

// A font, brush, pen or bitmap, deleted with DeleteObject.
template <typename T>
struct TGdiObjectTraits {
  using THandle = T;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle h) { return h != nullptr; }
  static void Close(THandle h) { ::DeleteObject(h); }
};
template <typename T>
using TScopedGdiObject = TWinHandle<TGdiObjectTraits<T>>;

using TScopedFont = TScopedGdiObject<HFONT>;
using TScopedBrush = TScopedGdiObject<HBRUSH>;
using TScopedPen = TScopedGdiObject<HPEN>;
using TScopedBitmap = TScopedGdiObject<HBITMAP>;

// Selects an object into a device context and puts the previous one back.
class TScopedSelect {
 public:
  TScopedSelect(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
  TScopedSelect(TScopedSelect&& other) noexcept
      : FDC(std::exchange(other.FDC, nullptr)), FOld(std::exchange(other.FOld, nullptr)) {}
  TScopedSelect& operator=(TScopedSelect&&) = delete;
  TScopedSelect(const TScopedSelect&) = delete;
  TScopedSelect& operator=(const TScopedSelect&) = delete;
  ~TScopedSelect() {
    if (FDC && FOld) SelectObject(FDC, FOld);
  }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

// A window's device context from GetDC, released with ReleaseDC.
class TScopedGetDC {
 public:
  explicit TScopedGetDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
  TScopedGetDC(TScopedGetDC&& other) noexcept
      : FWindow(other.FWindow), FDC(std::exchange(other.FDC, nullptr)) {}
  TScopedGetDC& operator=(TScopedGetDC&&) = delete;
  TScopedGetDC(const TScopedGetDC&) = delete;
  TScopedGetDC& operator=(const TScopedGetDC&) = delete;
  ~TScopedGetDC() {
    if (FDC) ReleaseDC(FWindow, FDC);
  }
  HDC Get() const { return FDC; }

 private:
  HWND FWindow;
  HDC FDC;
};

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class TScopedMemoryDC {
 public:
  explicit TScopedMemoryDC(HDC like) : FDC(CreateCompatibleDC(like)) {}
  TScopedMemoryDC(TScopedMemoryDC&& other) noexcept : FDC(std::exchange(other.FDC, nullptr)) {}
  TScopedMemoryDC& operator=(TScopedMemoryDC&&) = delete;
  TScopedMemoryDC(const TScopedMemoryDC&) = delete;
  TScopedMemoryDC& operator=(const TScopedMemoryDC&) = delete;
  ~TScopedMemoryDC() {
    if (FDC) DeleteDC(FDC);
  }
  HDC Get() const { return FDC; }

 private:
  HDC FDC;
};

// BeginPaint and EndPaint around one WM_PAINT.
class TScopedPaint {
 public:
  explicit TScopedPaint(HWND window) : FWindow(window) { FDC = BeginPaint(window, &FPaint); }
  TScopedPaint(const TScopedPaint&) = delete;
  TScopedPaint& operator=(const TScopedPaint&) = delete;
  ~TScopedPaint() { EndPaint(FWindow, &FPaint); }
  HDC Get() const { return FDC; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
  HDC FDC = nullptr;
};

struct TImageListTraits {
  using THandle = HIMAGELIST;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle handle) { return handle != nullptr; }
  static void Close(THandle handle) { ImageList_Destroy(handle); }
};
using TImageList = TWinHandle<TImageListTraits>;
