#include "resident/WindowThreads_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/TempFolder.h"
#include "resident/ForegroundProgram_win.h"
#include "wingui/ForegroundWindow_win.h"
#include "resident/ProgramProcess.h"
#include "wingui/WinHandles_win.h"
#include "editor/formInclude_win.h"

namespace {

// Fails on its thread the way a broken window would.
class TFailingThread : public TWindowThread {
 public:
  explicit TFailingThread(HWND notify) : TWindowThread(notify, tdAbout) {}

 protected:
  void Execute() override { throw std::runtime_error("The window could not be built."); }
};

// A hidden window of the test's thread that the window threads report to.
class TNotifyWindow {
 public:
  TNotifyWindow()
      : FWindow(CreateWindowExA(0, "STATIC", "notify", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
  HWND Get() const { return FWindow.Get(); }
  // Waits for the thread's last message; its code, or -1. Only that message
  // is taken from the queue: a general pump in between would swallow it.
  int WaitForThreadDone(DWORD timeoutMs = 10000) const {
    const DWORD start = GetTickCount();
    do {
      MSG message;
      if (PeekMessageA(&message, FWindow.Get(), WM_THREADDONE, WM_THREADDONE, PM_REMOVE))
        return static_cast<int>(message.wParam);
      Sleep(20);
    } while (GetTickCount() - start <= timeoutMs);
    return -1;
  }

 private:
  TWindowHandle FWindow;
};

HWND OwnWindow(const char* className, const char* caption) {
  return wintest::WaitForProcessWindow(GetCurrentProcessId(), className, caption);
}

}  // namespace

TEST(WindowThreadsWin, AfterTheFatalErrorOnAWindowThreadWindowsOpenAgain) {
  TNotifyWindow notify;
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(TWindowThread::Start(new TFailingThread(notify.Get())));
    HWND box = OwnWindow("#32770", "Fatal Error");
    ASSERT_NE(box, nullptr) << round;
    auto texts = StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "The window could not be built."), texts.end());
    PostMessageA(box, WM_CLOSE, 0, 0);
    // The thread still reports its end, so the kind can be opened again.
    EXPECT_EQ(notify.WaitForThreadDone(), tdAbout) << round;
  }
}

TEST(WindowThreadsWin, IncludeListChangedInTheOpenWindowReachesTheDispatcherAtOnce) {
  TTempFolder folder;
  TIncludeList list(folder.File("include.dat"));
  list.AddEntry("a.exe");
  list.AddEntry("b.exe");
  TIncludeSnapshot snapshot(list.Items);
  TNotifyWindow notify;
  TCatagories store(folder.File("Macros"));
  TProgramValues values;
  values.ExeName = folder.File("zarvel.exe");
  values.ExeDir = folder.Path();
  ASSERT_TRUE(StartWindowThreadOf(tdInclude, notify.Get(), values, store, list, snapshot));
  HWND dialog = OwnWindow("#32770", kIncludeCaption);
  ASSERT_NE(dialog, nullptr);
  SendDlgItemMessageA(dialog, idIncludeList, LB_SETCURSEL, 0, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(idIncludeRemove, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, idIncludeRemove)));
  EXPECT_TRUE(PumpUntil([&] { return *snapshot.Current() == std::vector<std::string>{"b.exe"}; }, 3000));
  EXPECT_TRUE(IsWindow(dialog));  // while the window is still open
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(notify.WaitForThreadDone(), tdInclude);
  EXPECT_EQ(*snapshot.Current(), list.Items);
}

TEST(ForegroundWin, ForcedToTheFrontAndNamedByTheProcessSnapshot) {
  TWindowHandle window(CreateWindowExA(0, "STATIC", "foreground test", WS_POPUP | WS_VISIBLE, 10, 10, 100, 50,
                                       nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  ShowWindow(window.Get(), SW_MINIMIZE);
  EXPECT_TRUE(ForceForegroundWindow(window.Get()));
  EXPECT_FALSE(IsIconic(window.Get()));
  std::string exeName;
  ASSERT_TRUE(ForegroundExeName(exeName));
  EXPECT_EQ(_stricmp(exeName.c_str(), "WindowThreads_win_test.exe"), 0) << exeName;
}
