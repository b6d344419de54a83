#pragma once
// The threads that host the program's windows, one window each, shown
// modally. Each frees itself when its window has closed and, as its last
// act, posts WM_THREADDONE with its code to the window it was given.

#include <windows.h>

#include "resident/AppInfo.h"
#include "resident/IncludeSnapshot.h"
#include "resident/Messages.h"
#include "wingui/OwnedThread_win.h"
#include "store/Catagories.h"
#include "store/IncludeList.h"
#include "editor/formInclude_win.h"

class TWindowThread : private TOwnedThread {
 public:
  TWindowThread(const TWindowThread&) = delete;
  TWindowThread& operator=(const TWindowThread&) = delete;

  // Starts the thread, which then owns the object; false (and the object
  // deleted) when the system could not start it.
  static bool Start(TWindowThread* thread);

 protected:
  TWindowThread(HWND notifyWindow, TThreadDoneCode code) : FDone{notifyWindow, WM_THREADDONE, WPARAM(code)} {}
  // Creates, shows modally and frees the thread's window.
  virtual void Execute() = 0;

 private:
  void Run() noexcept override;

  TDoneNotice FDone;
};

// The macro editor, over the program's store. While it is open shortcuts
// are off, so this thread is the store's only user.
class TOptionsThread : public TWindowThread {
 public:
  TOptionsThread(HWND notifyWindow, const TProgramValues& values, TCatagories& catagories)
      : TWindowThread(notifyWindow, tdOptions), FValues(values), FCatagories(catagories) {}

 protected:
  void Execute() override;

 private:
  const TProgramValues FValues;
  TCatagories& FCatagories;
};

// The open macro editor's window; nullptr while none is shown.
HWND MacroEditorWindow();

// The open settings window; nullptr while none is shown.
HWND SettingsWindow();

class TAboutThread : public TWindowThread {
 public:
  TAboutThread(HWND notifyWindow, const TProgramValues& values)
      : TWindowThread(notifyWindow, tdAbout), FVersionLong(values.VersionLong) {}

 protected:
  void Execute() override;

 private:
  const std::string FVersionLong;
};

// The settings window changes the include list on this thread. The
// dispatcher reads only the published snapshot, which this thread brings up
// to date while the window is open (checked every 100 ms, a copy only when
// the list changed) and once more when it closes.
class TIncludeThread : public TWindowThread {
 public:
  TIncludeThread(HWND notifyWindow, const TProgramValues& values, TIncludeList& list, TIncludeSnapshot& snapshot,
                 TShortCutHolder holder = nullptr)
      : TWindowThread(notifyWindow, tdInclude), FExeName(values.ExeName), FList(list), FSnapshot(snapshot),
        FHolder(std::move(holder)) {}

 protected:
  void Execute() override;

 private:
  static void CALLBACK PublishTimerProc(HWND, UINT, UINT_PTR, DWORD);

  const std::string FExeName;
  TIncludeList& FList;
  TIncludeSnapshot& FSnapshot;
  TShortCutHolder FHolder;  // for the picker's shortcut
};

// The kind's thread for the window, started; false when it could not start.
// The settings window asks holder which macro has a shortcut.
bool StartWindowThreadOf(TThreadDoneCode kind, HWND notifyWindow, const TProgramValues& values,
                         TCatagories& catagories, TIncludeList& includeList, TIncludeSnapshot& snapshot,
                         TShortCutHolder holder = nullptr);
