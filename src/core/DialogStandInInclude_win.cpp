// Stands in for the settings window until src/editor/formInclude.cpp exists;
// the build leaves this file out from then on.

#include <windows.h>

#include "core/DialogEntries.h"

void ShowIncludeDialog(TIncludeList& /*list*/) {
  MessageBoxA(nullptr, "The settings window is not available yet.", "Settings", MB_OK | MB_ICONINFORMATION);
}
