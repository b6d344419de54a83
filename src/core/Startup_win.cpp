#include "core/Startup.h"

#include <commctrl.h>

#include <memory>

#include "core/AppInfo.h"
#include "core/AppWindow.h"
#include "core/FatalError.h"
#include "core/Messages.h"
#include "core/Program.h"
#include "core/ResidentProgram.h"
#include "support/WinHandles.h"
#include "store/Catagories.h"
#include "store/IncludeList.h"

namespace {

using TKeyHookCreate = BOOL(__stdcall*)(HWND);
using TKeyHookDestroy = BOOL(__stdcall*)();

void ShowStartError(const char* message) { MessageBoxA(nullptr, message, "Fatal Error", MB_OK | MB_ICONERROR); }

void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The objects that live from their start-up step to shutdown, declared in
// the order they are made so that they go in the reverse one.
struct TRunningProgram {
  TWindowHandle Window;
  std::unique_ptr<TCatagories> Catagories;
  std::unique_ptr<TIncludeList> IncludeList;
  std::unique_ptr<TResidentProgram> Program;
  TLibrary HookLibrary;
  TKeyHookDestroy KeyHookDestroy = nullptr;

  ~TRunningProgram() {
    AttachAppMessageHandler(nullptr);
    // A window still open on its thread may be using the store or the
    // include list; the process ends in a moment and takes them along, so
    // they are left alone rather than freed under that window.
    if (Program && Program->WindowThreadsRunning()) {
      Program.release();
      IncludeList.release();
      Catagories.release();
    }
  }
};

int Run(HINSTANCE instance) {
  // 1. Program values.
  InitProgramValues();
  // 2.
  UINT newInstanceMessage = RegisterWindowMessageA(kNewInstanceMessageName);
  // 3. One copy only: a second one tells the first and leaves.
  TKernelHandle instanceMutex(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    PostMessageA(HWND_BROADCAST, newInstanceMessage, 0, 0);
    return 0;
  }
  TRunningProgram running;
  // 4. The application window; common controls 6 for the windows to come.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  running.Window = CreateAppWindow(instance);
  AppWindow = running.Window.Get();
  // 5 and 6. The window procedure catches what reaches it (FatalError.h).
  ReplaceAppWindowProc(AppWindow);
  // 7 to 9. Enabled starts true in the core; the store and the include list.
  running.Catagories = std::make_unique<TCatagories>(ProgramFile("Macros"));
  running.IncludeList = std::make_unique<TIncludeList>(ProgramFile("include.dat"));
  running.Program = std::make_unique<TResidentProgram>(instance, AppWindow, newInstanceMessage,
                                                       *running.Catagories, *running.IncludeList, SkipIncludeFilter);
  AttachAppMessageHandler(running.Program.get());
  // 10. By bare name: the system's search starts in the program's folder.
  running.HookLibrary.Reset(LoadLibraryA("zarvel.dll"));
  if (!running.HookLibrary) {
    ShowStartError("Zarvel.dll could not be found, please re-install Zarvel!");
    return 0;
  }
  // 11.
  auto keyHookCreate = reinterpret_cast<TKeyHookCreate>(
      reinterpret_cast<void*>(GetProcAddress(running.HookLibrary.Get(), "KeyHookCreate")));
  running.KeyHookDestroy = reinterpret_cast<TKeyHookDestroy>(
      reinterpret_cast<void*>(GetProcAddress(running.HookLibrary.Get(), "KeyHookDestroy")));
  if (keyHookCreate == nullptr || running.KeyHookDestroy == nullptr) {
    ShowStartError("Error in Zarvel.dll, please re-install Zarvel!");
    return 0;  // the library is unloaded on the way out
  }
  // 12 to 14.
  keyHookCreate(AppWindow);
  running.Program->BuildPopupMenu();
  running.Program->ShowTrayIcon(TrayTipOf(VersionShort));
  // 15.
  RunMessageLoop();
  // 16. The hook is detached before its library goes.
  running.KeyHookDestroy();
  running.HookLibrary.Reset();
  // 17. Icon, then menu, then the store (by TRunningProgram, in that order).
  running.Program->FreeTrayIconAndMenu();
  return 0;
}

}  // namespace

int RunZarvel(HINSTANCE instance) {
  try {
    return Run(instance);
  } catch (...) {
    // Start-up failed (include.dat unreadable, no window): the program does
    // not stay resident.
    HandleApplicationException(std::current_exception());
    return 0;
  }
}
