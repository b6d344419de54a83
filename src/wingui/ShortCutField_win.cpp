#include "wingui/ShortCutField_win.h"

#include <commctrl.h>

bool HandleShortCutFieldMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                const std::function<bool(WPARAM key)>& passes,
                                const std::function<void(WPARAM key)>& keyDown, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_GETDLGCODE: {
      result = DefSubclassProc(edit, message, wParam, lParam);
      const MSG* pending = reinterpret_cast<const MSG*>(lParam);
      if (pending && !(pending->message == WM_KEYDOWN && passes(pending->wParam))) result |= DLGC_WANTALLKEYS;
      return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      keyDown(wParam);
      return true;
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return true;
    default:
      return false;
  }
}
