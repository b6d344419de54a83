#pragma once
// What the keyboard hook makes of one low-level key event, kept apart from
// the hook procedure so that it is tested without a keyboard.

#include <cstdint>

constexpr unsigned kKeyShift = 16;
constexpr unsigned kKeyCtrl = 17;
constexpr unsigned kKeyAlt = 18;

struct THookKeyEvent {
  unsigned Key = 0;  // virtual-key code, modifiers as 16, 17 and 18
  bool Down = false;
};

// The left and right Shift, Ctrl and Alt codes (160 to 165) as 16, 17 and 18;
// every other code unchanged. Windows reports the sided codes to low-level
// hooks, Wine the generic ones; the program knows only the generic ones.
unsigned GenericKeyCode(unsigned keyCode);

bool IsModifierKey(unsigned keyCode);

// From the hook's key code and keyboard message (WM_KEYDOWN, WM_KEYUP,
// WM_SYSKEYDOWN, WM_SYSKEYUP); false for any other message.
bool TranslateLowLevelKey(unsigned keyCode, unsigned message, THookKeyEvent& event);

// Whether the hook keeps the key from the focused program, given the
// application window's answer to WM_HOOKKEYDOWN. Only the press that
// completed a shortcut is withheld; modifiers and releases never are, so no
// program is left believing a key is still held.
bool WithholdKey(const THookKeyEvent& event, std::intptr_t answer);
