#pragma once
// Bringing a window to the front of the desktop, also when another program
// has the foreground.

#include <windows.h>

// Brings the window to the front even when another program has the
// foreground: restores it when minimised, then joins the foreground
// thread's input for the switch, or as a last resort lifts the foreground
// lock time-out for a moment. True when the window is in front afterwards.
bool ForceForegroundWindow(HWND window);
