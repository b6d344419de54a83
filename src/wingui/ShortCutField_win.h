#pragma once
// An edit control that captures a shortcut from the keys pressed in it. Its
// subclass procedure hands every message here first: key presses go to
// `keyDown` except those `passes` leaves to the dialog (Tab to move on,
// Escape to close), nothing is typed, and Alt or F10 alone do not open the
// system menu.

#include <windows.h>

#include <functional>

// True, with the procedure's answer in `result`, for a message it handled;
// false for one the caller passes on (DefSubclassProc).
bool HandleShortCutFieldMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                const std::function<bool(WPARAM key)>& passes,
                                const std::function<void(WPARAM key)>& keyDown, LRESULT& result);
