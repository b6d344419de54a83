// zarvel.dll: the system-wide keyboard watch. A low-level keyboard hook,
// which runs on the thread that installed it (the program's main thread,
// inside its message loop), so the window given to KeyHookCreate is reached
// by a direct call and its answer decides whether the key goes on.

#include <windows.h>

#include "resident/HookKeys.h"
#include "resident/Messages.h"

namespace {

// Only the program's main thread touches these: it installs the hook, the
// hook runs on it, and it removes the hook.
HINSTANCE Module = nullptr;
HHOOK Hook = nullptr;
HWND Target = nullptr;
TAltGrFilter AltGr;
// Every event the hook procedure was called for, so the program can tell a
// hook the system removed (the count stands still while keys are pressed).
volatile LONG EventsSeen = 0;

// The program answers within microseconds; should it ever hang (a window in
// another thread given to KeyHookCreate), the key goes on after this long
// instead of the system dropping the hook.
constexpr UINT kAnswerTimeoutMs = 200;

// Tells the program of one event; true when it asks for the key to be withheld.
bool TellProgram(const THookKeyEvent& event) {
  DWORD_PTR answer = static_cast<DWORD_PTR>(kKeyPassed);
  UINT message = event.Down ? WM_HOOKKEYDOWN : WM_HOOKKEYUP;
  return SendMessageTimeoutA(Target, message, event.Key, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) &&
         WithholdKey(event, static_cast<std::intptr_t>(answer));
}

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) InterlockedIncrement(&EventsSeen);
  if (code == HC_ACTION && Target != nullptr) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    THookKeyEvent events[2];
    int count = AltGr.Read({info->vkCode, static_cast<unsigned>(wParam), info->scanCode, info->time,
                            static_cast<std::uintptr_t>(info->dwExtraInfo)}, events);
    bool withhold = false;
    for (int i = 0; i < count; ++i) withhold = TellProgram(events[i]) || withhold;
    if (withhold) return 1;
  }
  return CallNextHookEx(Hook, code, wParam, lParam);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    Module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL __stdcall KeyHookCreate(HWND target) {
  if (Hook != nullptr) UnhookWindowsHookEx(Hook);
  Target = target;
  AltGr.Reset();
  Hook = SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, Module, 0);
  return Hook != nullptr;
}

extern "C" __declspec(dllexport) BOOL __stdcall KeyHookDestroy() {
  BOOL removed = Hook != nullptr && UnhookWindowsHookEx(Hook);
  Hook = nullptr;
  Target = nullptr;
  return removed;
}

// The number of key events the hook has seen since the library was loaded.
extern "C" __declspec(dllexport) DWORD __stdcall KeyHookEventsSeen() {
  return static_cast<DWORD>(EventsSeen);
}
