#pragma once
// What the notification area shows, as a fingerprint of its pixels. Without a
// system tray on the display, Wine draws the icons in its own standalone tray
// window; the driver compares that window's client area before and after.

#include <string>

// A fingerprint of the tray window's client area; empty when no tray window
// is shown (Wine hides it when the last icon goes).
std::string TrayIconLook();

// The tip the tray shows while the mouse rests on the first icon; empty when
// none appears within a few seconds. Moves the mouse pointer.
std::string TrayTipText();
