#pragma once
// Where a dialog opens: over the window it belongs to, or on the screen.

#include <windows.h>

// Centres `window` over `owner` and keeps it wholly on the owner's monitor;
// without a visible owner, centres it on the monitor under the pointer.
void CenterOverOwner(HWND window, HWND owner);
