// zarvel.exe: the resident program. No command line is read.

#include <windows.h>

#include "resident/Startup_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  return RunZarvel(instance);
}
