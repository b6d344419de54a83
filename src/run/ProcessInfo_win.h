#pragma once
// What a run needs to know of the program it works in: its file name and
// whether it runs with more rights than this program.

#include <windows.h>

#include <string>

// The executable file name (no folder) of the window's process, in UTF-8;
// "" when the system does not say.
std::string ExeNameOfWindow(HWND window);

// True when the window's process runs at a higher integrity level than this
// one (a program started as administrator while this one is not): such a
// program takes neither messages nor keystrokes from this one.
bool RunsAboveUs(HWND window);
