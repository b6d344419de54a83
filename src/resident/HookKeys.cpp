#include "resident/HookKeys.h"

#include "resident/Messages.h"

namespace {

// Keyboard messages as the low-level hook receives them.
constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmKeyUp = 0x0101;
constexpr unsigned kWmSysKeyDown = 0x0104;
constexpr unsigned kWmSysKeyUp = 0x0105;

constexpr unsigned kLeftCtrl = 162;  // VK_LCONTROL
constexpr unsigned kRightAlt = 165;  // VK_RMENU

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

int TAltGrFilter::Read(const TLowLevelKey& key, THookKeyEvent events[2]) {
  THookKeyEvent own;
  if (key.ExtraInfo == kAltMaskExtraInfo || !TranslateLowLevelKey(key.KeyCode, key.Message, own)) return 0;
  const bool systemCtrl = key.KeyCode == kLeftCtrl && key.ScanCode == kAltGrCtrlScanCode;
  int count = 0;
  if (FCtrlHeldBack) {
    FCtrlHeldBack = false;
    if (key.KeyCode == kRightAlt && own.Down && key.Time == FCtrlTime) {
      FAltGrHeld = true;  // held keys repeat the pair; each repeat lands here
      return 0;
    }
    events[count++] = {kKeyCtrl, true};
    FCtrlTold = true;
  }
  if (systemCtrl && own.Down) {
    FCtrlHeldBack = true;
    FCtrlTime = key.Time;
    return count;
  }
  // The releases of AltGr's two keys, in either order: the program never
  // heard them go down.
  if (systemCtrl && !own.Down) {
    if (!FCtrlTold) return count;
    FCtrlTold = false;
  }
  if (key.KeyCode == kRightAlt && FAltGrHeld) {
    if (!own.Down) FAltGrHeld = false;
    return count;
  }
  events[count++] = own;
  return count;
}
