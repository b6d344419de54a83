// Loaded by the system into the program's process for the driver's
// WH_CALLWNDPROC hook. Must not throw: it runs inside someone else's window
// procedure call.

#include <windows.h>

#include <cstdio>
#include <string>

#include "MenuProbe.h"

namespace {

constexpr UINT kGetMenuOfWindow = 0x01E1;  // MN_GETHMENU

std::string DescribeMenu(HMENU menu) {
  std::string text;
  int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    char caption[128] = {0};
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
    item.dwTypeData = caption;
    item.cch = sizeof caption;
    if (!GetMenuItemInfoA(menu, position, TRUE, &item)) caption[0] = '\0';
    char line[256];
    std::snprintf(line, sizeof line, "%u\t%u\t%u\t%s\n", item.wID, item.fType, item.fState, caption);
    text += line;
  }
  return text;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probeMessage = RegisterWindowMessageA(kMenuProbeMessage);
  static const UINT dropHookMessage = RegisterWindowMessageA(kDropHookMessage);
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == dropHookMessage) {
    using TKeyHookDestroy = BOOL(__stdcall*)();
    HMODULE library = GetModuleHandleA("zarvel.dll");
    auto destroy = library ? reinterpret_cast<TKeyHookDestroy>(
                                 reinterpret_cast<void*>(GetProcAddress(library, "KeyHookDestroy")))
                           : nullptr;
    if (destroy) destroy();
  }
  if (code == HC_ACTION && call->message == probeMessage) {
    auto menu = reinterpret_cast<HMENU>(SendMessageA(call->hwnd, kGetMenuOfWindow, 0, 0));
    std::string text = menu ? DescribeMenu(menu) : std::string();
    COPYDATASTRUCT data{};
    data.dwData = kMenuProbeAnswer;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    SendMessageA(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
