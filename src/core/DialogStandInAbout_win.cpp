// Stands in for the about box until src/editor/formAbout.cpp exists; the
// build leaves this file out from then on.

#include <windows.h>

#include "core/DialogEntries.h"

void ShowAboutBox(const std::string& versionLong) {
  std::string text = "Zarvel " + versionLong;
  MessageBoxA(nullptr, text.c_str(), "About Zarvel", MB_OK | MB_ICONINFORMATION);
}
