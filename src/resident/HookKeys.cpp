#include "resident/HookKeys.h"

#include "resident/Messages.h"

namespace {

// Keyboard messages as the low-level hook receives them.
constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmKeyUp = 0x0101;
constexpr unsigned kWmSysKeyDown = 0x0104;
constexpr unsigned kWmSysKeyUp = 0x0105;

}  // namespace

unsigned GenericKeyCode(unsigned keyCode) {
  switch (keyCode) {
    case 160: case 161: return kKeyShift;  // VK_LSHIFT, VK_RSHIFT
    case 162: case 163: return kKeyCtrl;   // VK_LCONTROL, VK_RCONTROL
    case 164: case 165: return kKeyAlt;    // VK_LMENU, VK_RMENU
    default: return keyCode;
  }
}

bool IsModifierKey(unsigned keyCode) {
  return keyCode == kKeyShift || keyCode == kKeyCtrl || keyCode == kKeyAlt;
}

bool TranslateLowLevelKey(unsigned keyCode, unsigned message, THookKeyEvent& event) {
  switch (message) {
    case kWmKeyDown: case kWmSysKeyDown: event.Down = true; break;
    case kWmKeyUp: case kWmSysKeyUp: event.Down = false; break;
    default: return false;
  }
  event.Key = GenericKeyCode(keyCode);
  return true;
}

bool WithholdKey(const THookKeyEvent& event, std::intptr_t answer) {
  return event.Down && !IsModifierKey(event.Key) && answer == kKeyUsed;
}
