#include "resident/Startup_win.h"

#include <commctrl.h>

#include <memory>

#include "resident/AppInfo.h"
#include "resident/AppWindow_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "resident/Messages.h"
#include "resident/Program_win.h"
#include "resident/ResidentProgram_win.h"
#include "wingui/WinHandles_win.h"
#include "store/Catagories.h"
#include "store/IncludeList.h"

namespace {

using TKeyHookCreate = BOOL(__stdcall*)(HWND);
using TKeyHookDestroy = BOOL(__stdcall*)();
using TKeyHookEventsSeen = DWORD(__stdcall*)();

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
  const TProgramValues values = ReadProgramValues();
  UINT newInstanceMessage = RegisterWindowMessageA(kNewInstanceMessageName);
  // One copy only: a second one tells the first and leaves.
  SetLastError(ERROR_SUCCESS);
  TKernelHandle instanceMutex(CreateMutexA(nullptr, FALSE, kInstanceMutexName));
  if (CopyAlreadyRunning(GetLastError())) {
    PostMessageA(HWND_BROADCAST, newInstanceMessage, 0, 0);
    return 0;
  }
  TRunningProgram running;
  // The application window; common controls 6 for the windows to come.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  running.Window = CreateAppWindow(instance);
  const HWND appWindow = running.Window.Get();
  // The window procedure catches what reaches it (ErrorPolicy_win.h).
  ReplaceAppWindowProc(appWindow);
  // A second start and a new notification area reach this copy also when
  // it runs at a higher integrity level than their sender.
  AllowMessageFromLowerIntegrity(appWindow, newInstanceMessage);
  AllowMessageFromLowerIntegrity(appWindow, RegisterWindowMessageA("TaskbarCreated"));
  // Shortcuts start enabled; then the store and the include list.
  running.Catagories = std::make_unique<TCatagories>(values.File("Macros"));
  running.IncludeList = std::make_unique<TIncludeList>(values.File("include.dat"));
  running.Program = std::make_unique<TResidentProgram>(instance, appWindow, newInstanceMessage, values,
                                                       *running.Catagories, *running.IncludeList);
  AttachAppMessageHandler(running.Program.get());
  // By bare name: the system's search starts in the program's folder.
  running.HookLibrary.Reset(LoadLibraryA("zarvel.dll"));
  if (!running.HookLibrary) {
    ShowErrorBox(ebThread, nullptr, "Zarvel.dll could not be found, please re-install Zarvel!");
    return 0;
  }
  auto keyHookCreate = reinterpret_cast<TKeyHookCreate>(
      reinterpret_cast<void*>(GetProcAddress(running.HookLibrary.Get(), "KeyHookCreate")));
  running.KeyHookDestroy = reinterpret_cast<TKeyHookDestroy>(
      reinterpret_cast<void*>(GetProcAddress(running.HookLibrary.Get(), "KeyHookDestroy")));
  if (keyHookCreate == nullptr || running.KeyHookDestroy == nullptr) {
    ShowErrorBox(ebThread, nullptr, "Error in Zarvel.dll, please re-install Zarvel!");
    return 0;  // the library is unloaded on the way out
  }
  // The hook, the menu, then the icon and its tip.
  const bool hooked = keyHookCreate(appWindow) != FALSE;
  running.Program->HookInstalled();
  auto eventsSeen = reinterpret_cast<TKeyHookEventsSeen>(
      reinterpret_cast<void*>(GetProcAddress(running.HookLibrary.Get(), "KeyHookEventsSeen")));
  if (hooked && eventsSeen != nullptr)
    running.Program->WatchHook([keyHookCreate, appWindow] { return keyHookCreate(appWindow) != FALSE; },
                               [eventsSeen] { return static_cast<std::uint32_t>(eventsSeen()); });
  running.Program->BuildPopupMenu();
  running.Program->ShowTrayIcon(hooked ? TrayTipOf(values.VersionShort) : TrayTipWithoutHook(values.VersionShort));
  // Without the hook the program stays for its editor; the user learns why
  // shortcuts do nothing, once here and in the tip.
  // Changes by other programs from now on, and the day's backup.
  running.Program->StartFolderWatch();
  if (!hooked) MessageBoxA(nullptr, kNoHookMessage, kAppTitle, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  RunMessageLoop();
  running.Program->StopFolderWatch();
  // The hook is detached before its library goes.
  running.KeyHookDestroy();
  running.HookLibrary.Reset();
  // Icon, then menu, then the store (by TRunningProgram, in that order).
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
    ReportException(ebThread, nullptr, std::current_exception());
    return 0;
  }
}
