#include "core/WindowThreads.h"

#include <process.h>

#include <memory>

#include "core/FatalError.h"
#include "core/Program.h"
#include "support/WinHandles.h"
#include "editor/formAbout.h"
#include "editor/formInclude.h"
#include "editor/formOptions.h"

bool TWindowThread::Start(TWindowThread* thread) {
  std::unique_ptr<TWindowThread> owned(thread);
  unsigned id = 0;
  // The runtime's own thread start, so that the C runtime is set up for it.
  TKernelHandle handle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadEntry, owned.get(), 0, &id)));
  if (!handle) return false;
  owned.release();  // the thread frees itself
  return true;
}

unsigned __stdcall TWindowThread::ThreadEntry(void* self) {
  std::unique_ptr<TWindowThread> thread(static_cast<TWindowThread*>(self));
  thread->Run();
  return 0;
}

void TWindowThread::Run() noexcept {
  try {
    Execute();
  } catch (...) {
    HandleApplicationException(std::current_exception());
  }
  // Every path ends here: without this message the window could never be
  // opened again.
  PostMessageA(FNotifyWindow, WM_THREADDONE, static_cast<WPARAM>(FCode), 0);
}

void TOptionsThread::Execute() { ShowMacroEditor(FCatagories); }

void TAboutThread::Execute() { ShowAboutBox(VersionLong); }

namespace {
// The one running settings thread's list and snapshot, for the timer.
TIncludeList* PublishedList = nullptr;
TIncludeSnapshot* PublishedSnapshot = nullptr;
constexpr UINT kPublishIntervalMs = 100;
}  // namespace

void CALLBACK TIncludeThread::PublishTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  // Runs on the settings thread, between the window's messages, so the list
  // is not being changed while it is copied.
  try {
    if (PublishedList != nullptr) PublishedSnapshot->PublishIfChanged(PublishedList->Items);
  } catch (...) {
    // Out of memory for the copy: the next tick tries again.
  }
}

void TIncludeThread::Execute() {
  PublishedList = &FList;
  PublishedSnapshot = &FSnapshot;
  UINT_PTR timer = SetTimer(nullptr, 0, kPublishIntervalMs, PublishTimerProc);
  struct TStopPublishing {
    UINT_PTR Timer;
    TIncludeList& List;
    TIncludeSnapshot& Snapshot;
    ~TStopPublishing() {
      if (Timer != 0) KillTimer(nullptr, Timer);
      PublishedList = nullptr;
      PublishedSnapshot = nullptr;
      try {
        Snapshot.PublishIfChanged(List.Items);
      } catch (...) {
      }
    }
  } stop{timer, FList, FSnapshot};
  ShowIncludeDialog(FList);
}

bool StartWindowThreadOf(TThreadDoneCode kind, HWND notifyWindow, TCatagories& catagories,
                         TIncludeList& includeList, TIncludeSnapshot& snapshot) {
  switch (kind) {
    case tdOptions: return TWindowThread::Start(new TOptionsThread(notifyWindow, catagories));
    case tdAbout: return TWindowThread::Start(new TAboutThread(notifyWindow));
    case tdInclude: return TWindowThread::Start(new TIncludeThread(notifyWindow, includeList, snapshot));
    default: return false;
  }
}
