#pragma once
// Owners for the system handles of the resident program: each closes its
// handle exactly once, cannot be copied, and hands the handle on when moved.

#include <windows.h>
#include <objbase.h>

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

// COM on the calling thread (apartment-threaded, as the shell's dialogs
// want it) for as long as the scope lasts. A thread that had COM already
// keeps it as it was: only a start this scope made is undone.
class TComScope {
 public:
  TComScope() : FStarted(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;
  ~TComScope() {
    if (FStarted) CoUninitialize();
  }

 private:
  bool FStarted;
};

// Global memory that is still ours (not yet handed to the clipboard).
struct TGlobalMemoryTraits {
  using THandle = HGLOBAL;
  static THandle Invalid() { return nullptr; }
  static bool Valid(THandle handle) { return handle != nullptr; }
  static void Close(THandle handle) { GlobalFree(handle); }
};
using TGlobalMemory = TWinHandle<TGlobalMemoryTraits>;

// GlobalLock for as long as the scope lasts; Data() is null when the lock
// failed.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL memory) : FMemory(memory), FData(GlobalLock(memory)) {}
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  ~TGlobalLock() {
    if (FData != nullptr) GlobalUnlock(FMemory);
  }
  void* Data() const { return FData; }
  SIZE_T Size() const { return GlobalSize(FMemory); }

 private:
  HGLOBAL FMemory;
  void* FData;
};
