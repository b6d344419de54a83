#include "resident/AppWindow_win.h"

#include <stdexcept>

#include "wingui/ErrorPolicy_win.h"
#include "resident/Messages.h"

namespace {

// Main thread only: the procedure runs on the window's thread.
WNDPROC PreviousProc = nullptr;
TAppMessageHandler* Handler = nullptr;

LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  try {
    LRESULT result = 0;
    if (Handler != nullptr && Handler->HandleMessage(message, wParam, lParam, result)) return result;
  } catch (...) {
    ReportException(ebThread, nullptr, std::current_exception());
    return 0;
  }
  return CallWindowProcA(PreviousProc, window, message, wParam, lParam);
}

}  // namespace

TWindowHandle CreateAppWindow(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kAppWindowClass;
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw std::runtime_error("The application window class could not be registered.");
  // A tool window: should it ever be shown, it stays off the taskbar.
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kAppWindowClass, kAppTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) throw std::runtime_error("The application window could not be created.");
  return TWindowHandle(window);
}

void ReplaceAppWindowProc(HWND window) {
  PreviousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AppWindowProc)));
}

void AttachAppMessageHandler(TAppMessageHandler* handler) { Handler = handler; }

bool AllowMessageFromLowerIntegrity(HWND window, UINT message) {
  using TChangeWindowMessageFilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  constexpr DWORD kMsgFltAllow = 1;  // MSGFLT_ALLOW
  if (message == 0) return false;
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return false;
  // Looked up: older systems lack it.
  auto change = reinterpret_cast<TChangeWindowMessageFilterEx>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  return change != nullptr && change(window, message, kMsgFltAllow, nullptr) != FALSE;
}
