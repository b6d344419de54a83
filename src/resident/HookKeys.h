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

// One low-level key event with what tells AltGr apart from Ctrl+Alt.
struct TLowLevelKey {
  unsigned KeyCode = 0;   // as the hook gets it (sided or generic)
  unsigned Message = 0;   // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP
  unsigned ScanCode = 0;
  std::uint32_t Time = 0;
  std::uintptr_t ExtraInfo = 0;
};

// The scan code the system gives the left Ctrl press it makes up for AltGr.
constexpr unsigned kAltGrCtrlScanCode = 0x21D;

// The key the program presses after withholding a key while Alt is held, so
// the Alt release that follows is not a lone Alt tap (which opens the
// focused program's menu bar). 0xE8 is unassigned in the virtual-key table:
// no keyboard layout, game pad or input method produces or expects it, so
// every program ignores it. Sent with its own extra information, by which
// the hook lets it pass unheard.
constexpr unsigned kAltMaskKey = 0xE8;
constexpr std::uintptr_t kAltMaskExtraInfo = 0x5A52564CU;

// Turns the hook's events into the program's, keeping AltGr out of them.
// On layouts with AltGr, Windows reports AltGr as a left Ctrl press of its
// own making (scan code 0x21D) followed by right Alt with the same time.
// That Ctrl can only be told from a real one once the next event is seen,
// so it is held back from the program (never from the system) until then:
// with the matching right Alt it is dropped, and AltGr is neither Ctrl nor
// Alt for shortcuts; with anything else it is told first.
class TAltGrFilter {
 public:
  // The events for the program in order (none, one or two; a key's own
  // event, when it has one, comes last). Returns their number.
  int Read(const TLowLevelKey& key, THookKeyEvent events[2]);
  // Forgets every key it holds, as after the hook is installed again.
  void Reset() { *this = TAltGrFilter(); }
  bool AltGrHeld() const { return FAltGrHeld; }

 private:
  bool FCtrlHeldBack = false;
  std::uint32_t FCtrlTime = 0;
  bool FCtrlTold = false;  // such a Ctrl turned out real and went down for the program
  bool FAltGrHeld = false;
};
