#pragma once
// Window helpers of the resident core that ask the system about other
// programs' windows.

#include <windows.h>

#include <string>

// The executable file name (no folder) of the program that owns the
// foreground window, from a process snapshot; false when there is no
// foreground window, no snapshot can be taken, or no entry matches.
bool ForegroundExeName(std::string& exeName);

// Brings the window to the front even when another program has the
// foreground: restores it when minimised, then joins the foreground
// thread's input for the switch, or as a last resort lifts the foreground
// lock time-out for a moment. True when the window is in front afterwards.
bool ForceForegroundWindow(HWND window);
