#pragma once
// Owners for the system handles of the resident program: each closes its
// handle exactly once, cannot be copied, and hands the handle on when moved.

#include <windows.h>

#include <utility>

template <typename Traits>
class TWinHandle {
 public:
  using THandle = typename Traits::THandle;

  TWinHandle() = default;
  explicit TWinHandle(THandle handle) : FHandle(handle) {}
  ~TWinHandle() { Reset(); }
  TWinHandle(const TWinHandle&) = delete;
  TWinHandle& operator=(const TWinHandle&) = delete;
  TWinHandle(TWinHandle&& other) noexcept : FHandle(other.Release()) {}
  TWinHandle& operator=(TWinHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  THandle Get() const { return FHandle; }
  bool Valid() const { return Traits::Valid(FHandle); }
  explicit operator bool() const { return Valid(); }
  THandle Release() {
    return std::exchange(FHandle, Traits::Invalid());
  }
  void Reset(THandle handle = Traits::Invalid()) {
    if (Traits::Valid(FHandle)) Traits::Close(FHandle);
    FHandle = handle;
  }

 private:
  THandle FHandle = Traits::Invalid();
};

// Kernel objects: mutexes, threads, snapshots. Both failure values the
// system uses (NULL and INVALID_HANDLE_VALUE) count as no handle.
struct TKernelHandleTraits {
  using THandle = HANDLE;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(THandle h) { ::CloseHandle(h); }
};
using TKernelHandle = TWinHandle<TKernelHandleTraits>;

struct TModuleTraits {
  using THandle = HMODULE;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle h) { return h != nullptr; }
  static void Close(THandle h) { ::FreeLibrary(h); }
};
using TLibrary = TWinHandle<TModuleTraits>;

struct TMenuTraits {
  using THandle = HMENU;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle h) { return h != nullptr; }
  static void Close(THandle h) { ::DestroyMenu(h); }
};
using TMenuHandle = TWinHandle<TMenuTraits>;

// Icons loaded without LR_SHARED, so that they are ours to destroy.
struct TIconTraits {
  using THandle = HICON;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle h) { return h != nullptr; }
  static void Close(THandle h) { ::DestroyIcon(h); }
};
using TIconHandle = TWinHandle<TIconTraits>;

struct TWindowTraits {
  using THandle = HWND;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle h) { return h != nullptr; }
  static void Close(THandle h) { ::DestroyWindow(h); }
};
using TWindowHandle = TWinHandle<TWindowTraits>;
