#pragma once
// A thread that owns the object it runs: started once, it frees the object
// when its body returns, and tells a window that it has ended.

#include <windows.h>

#include <memory>

// The message a thread posts to a window as its last act, on every path.
struct TDoneNotice {
  HWND Window = nullptr;
  UINT Message = 0;
  WPARAM Code = 0;

  void Post() const { PostMessageA(Window, Message, Code, 0); }
};

class TOwnedThread {
 public:
  virtual ~TOwnedThread() = default;
  // The whole life of the thread; nothing may escape it.
  virtual void Run() noexcept = 0;
};

// Starts the object's Run on a thread of its own, through the C runtime so
// that the runtime is set up for it. The thread then owns the object. False
// (and the object freed) when the system could not start the thread.
bool StartOwnedThread(std::unique_ptr<TOwnedThread> thread);
