#include "resident/WindowThreads_win.h"

#include <atomic>
#include <memory>

#include "wingui/ErrorPolicy_win.h"
#include "wingui/WinHandles_win.h"
#include "editor/formAbout_win.h"
#include "editor/formInclude_win.h"
#include "editor/formOptions_win.h"

bool TWindowThread::Start(TWindowThread* thread) {
  return StartOwnedThread(std::unique_ptr<TOwnedThread>(thread));
}

void TWindowThread::Run() noexcept {
  try {
    Execute();
  } catch (...) {
    ReportException(ebThread, nullptr, std::current_exception());
  }
  // Every path ends here: without this message the window could never be
  // opened again.
  FDone.Post();
}

namespace {
// The editor's thread while it runs, 0 otherwise: one editor at a time.
std::atomic<DWORD> EditorThreadId{0};
// The same for the settings window.
std::atomic<DWORD> SettingsThreadId{0};

BOOL CALLBACK FindUnownedVisible(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}
}  // namespace

void TOptionsThread::Execute() {
  struct TEditorThreadMark {
    TEditorThreadMark() { EditorThreadId = GetCurrentThreadId(); }
    ~TEditorThreadMark() { EditorThreadId = 0; }
  } mark;
  ShowMacroEditor(FCatagories, FValues.ExeDir, FValues.VersionLong);
}

HWND SettingsWindow() {
  DWORD thread = SettingsThreadId;
  HWND found = nullptr;
  if (thread != 0) EnumThreadWindows(thread, FindUnownedVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND MacroEditorWindow() {
  DWORD thread = EditorThreadId;
  HWND found = nullptr;
  if (thread != 0) EnumThreadWindows(thread, FindUnownedVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

void TAboutThread::Execute() { ShowAboutBox(FVersionLong); }

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
  struct TSettingsThreadMark {
    TSettingsThreadMark() { SettingsThreadId = GetCurrentThreadId(); }
    ~TSettingsThreadMark() { SettingsThreadId = 0; }
  } mark;
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
  ShowIncludeDialog(FList, FExeName, FHolder);
}

bool StartWindowThreadOf(TThreadDoneCode kind, HWND notifyWindow, const TProgramValues& values,
                         TCatagories& catagories, TIncludeList& includeList, TIncludeSnapshot& snapshot,
                         TShortCutHolder holder) {
  switch (kind) {
    case tdOptions: return TWindowThread::Start(new TOptionsThread(notifyWindow, values, catagories));
    case tdAbout: return TWindowThread::Start(new TAboutThread(notifyWindow, values));
    case tdInclude: return TWindowThread::Start(new TIncludeThread(notifyWindow, values, includeList, snapshot, std::move(holder)));
    default: return false;
  }
}
