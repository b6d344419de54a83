#pragma once
// The program from start to end: the start-up steps, the message loop and
// the shutdown steps, in their fixed order. Returns the exit code (always 0).

#include <windows.h>

int RunZarvel(HINSTANCE instance);
