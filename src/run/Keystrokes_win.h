#pragma once
// Keys pressed on the user's behalf, for programs whose text controls take
// no copy or paste message but do take Ctrl+C and Ctrl+V.

#include <windows.h>

#include <initializer_list>

// Waits until Shift, Ctrl, Alt and the Windows keys are all up, for at most
// `limitMs`; keys still down then are released with key-up events, so that
// a shortcut's own modifiers do not turn Ctrl+C into Ctrl+Alt+C.
void ReleaseModifiers(DWORD limitMs);

// Whether any of those modifiers is down now.
bool AnyModifierDown();

// Presses the keys in order and lets them go in reverse order; false when
// the system took fewer events than it was given.
bool PressChord(std::initializer_list<WORD> keys);
