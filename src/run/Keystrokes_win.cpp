#include "run/Keystrokes_win.h"

#include <vector>

namespace {

constexpr WORD kModifiers[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN};
constexpr DWORD kPollMs = 10;

bool IsDown(WORD key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

INPUT KeyEvent(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (key == VK_RCONTROL || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN || key == VK_INSERT)
    input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return input;
}

bool Send(std::vector<INPUT>& inputs) {
  if (inputs.empty()) return true;
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

bool AnyModifierDown() {
  for (WORD key : kModifiers)
    if (IsDown(key)) return true;
  // Some systems report only the generic codes for injected keys.
  return IsDown(VK_SHIFT) || IsDown(VK_CONTROL) || IsDown(VK_MENU);
}

void ReleaseModifiers(DWORD limitMs) {
  for (DWORD waited = 0; waited < limitMs && AnyModifierDown(); waited += kPollMs) Sleep(kPollMs);
  if (!AnyModifierDown()) return;
  std::vector<INPUT> ups;
  for (WORD key : kModifiers)
    if (IsDown(key)) ups.push_back(KeyEvent(key, true));
  for (WORD key : {VK_SHIFT, VK_CONTROL, VK_MENU})
    if (IsDown(key)) ups.push_back(KeyEvent(key, true));
  Send(ups);
}

bool PressChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) inputs.push_back(KeyEvent(key, false));
  for (auto key = keys.end(); key != keys.begin();) inputs.push_back(KeyEvent(*--key, true));
  return Send(inputs);
}
