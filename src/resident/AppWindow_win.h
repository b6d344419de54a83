#pragma once
// The hidden application window: a top-level WS_POPUP window of the main
// thread (a message-only window would miss the "ZarvelNewInstance"
// broadcast). Created with the system's default procedure, which the
// program then replaces by its own and keeps as the previous one.

#include <windows.h>

#include "wingui/WinHandles_win.h"

// What the application window's own messages act on; start-up attaches it
// once the program's state exists. Until then every message goes to the
// previous procedure. Returns false for a message it does not handle.
class TAppMessageHandler {
 public:
  virtual ~TAppMessageHandler() = default;
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
};

// Creates the window (class kAppWindowClass, caption "Zarvel"); raises
// std::runtime_error when the system refuses.
TWindowHandle CreateAppWindow(HINSTANCE instance);
// Puts the program's window procedure in place of the window's own.
void ReplaceAppWindowProc(HWND window);
// nullptr detaches.
void AttachAppMessageHandler(TAppMessageHandler* handler);
// Lets the registered message through the message filter from processes
// of a lower integrity level. False where the system has no such filter
// (before Windows 7) or refuses.
bool AllowMessageFromLowerIntegrity(HWND window, UINT message);
