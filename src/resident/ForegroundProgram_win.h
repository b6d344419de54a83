#pragma once
// Window helpers of the resident core that ask the system about other
// programs' windows.

#include <windows.h>

#include <string>

// The executable file name (no folder) of the program that owns the
// foreground window, from a process snapshot; false when there is no
// foreground window, no snapshot can be taken, or no entry matches.
bool ForegroundExeName(std::string& exeName);
