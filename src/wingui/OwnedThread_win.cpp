#include "wingui/OwnedThread_win.h"

#include <process.h>

#include "wingui/WinHandles_win.h"

namespace {

unsigned __stdcall OwnedThreadEntry(void* self) {
  std::unique_ptr<TOwnedThread> thread(static_cast<TOwnedThread*>(self));
  thread->Run();
  return 0;
}

}  // namespace

bool StartOwnedThread(std::unique_ptr<TOwnedThread> thread) {
  unsigned id = 0;
  TKernelHandle handle(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, OwnedThreadEntry, thread.get(), 0, &id)));
  if (!handle) return false;
  thread.release();  // the thread frees itself
  return true;
}
