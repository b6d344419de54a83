#pragma once
// Icons drawn for the size they are shown at: the side the system gives
// small and large icons at a DPI, icons loaded at exactly that side, and
// the program's icon on a window.

#include <windows.h>

#include "wingui/WinHandles_win.h"

// The icon resource of the program (zarvel.exe) that its windows carry.
constexpr const wchar_t* kProgramIconName = L"TI";

// The side of the system's small (SM_CXSMICON) or large (SM_CXICON) icon
// at the DPI. Windows 10 knows it for each DPI; older systems know it for
// theirs, and it is scaled from that.
int IconSizeForDpi(int metric, unsigned dpi);

// The module's icon resource at size x size pixels, made from the picture
// of that size or scaled down from a larger one rather than up from a
// smaller one; null when the module has no such icon. Ours to destroy.
TIconHandle LoadIconOfSize(HMODULE module, const wchar_t* name, int size);

// A window's big and small icon (WM_SETICON), owned here: the window never
// destroys them, and they must outlive it.
class TWindowIcons {
 public:
  // Loads the module's icon at the sizes of the DPI and gives them to the
  // window; again after the DPI changed. Without the icon the window keeps
  // what it has.
  void Apply(HWND window, unsigned dpi, HMODULE module = GetModuleHandleW(nullptr),
             const wchar_t* name = kProgramIconName);

 private:
  TIconHandle FBig;
  TIconHandle FSmall;
};
