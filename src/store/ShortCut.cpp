#include "store/ShortCut.h"

#include "store/KeyNames.h"

namespace {

TKeyNameLookup SystemKeyNameLookup = SystemKeyName;

const char* const kNavigationNames[] = {"Space", "PgUp", "PgDn", "End", "Home",
                                        "Left",  "Up",   "Right", "Down"};

std::string FixedKeyName(std::uint8_t key) {
  switch (key) {
    case 8: return "BkSp";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 45: return "Ins";
    case 46: return "Del";
    default: break;
  }
  if (key >= 32 && key <= 40) return kNavigationNames[key - 32];
  if (key >= 48 && key <= 57) return std::string(1, static_cast<char>(key));
  if (key >= 65 && key <= 90) return std::string(1, static_cast<char>(key));
  if (key >= 96 && key <= 105) return std::string(1, static_cast<char>('0' + key - 96));
  if (key >= 112 && key <= 135) return "F" + std::to_string(key - 111);
  return "";
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

std::uint16_t MakeShortCut(unsigned keyCode, bool shift, bool ctrl, bool alt) {
  if (keyCode > 255) return 0;
  std::uint16_t word = static_cast<std::uint16_t>(keyCode);
  if (shift) word |= kShiftBit;
  if (ctrl) word |= kCtrlBit;
  if (alt) word |= kAltBit;
  return word;
}

void SetSystemKeyNameLookup(TKeyNameLookup lookup) {
  SystemKeyNameLookup = lookup ? lookup : SystemKeyName;
}

std::string KeyName(std::uint8_t keyCode) {
  std::string name = FixedKeyName(keyCode);
  if (name.empty() && SystemKeyNameLookup) name = SystemKeyNameLookup(keyCode);
  return name;
}

std::string ShortCutText(std::uint16_t shortCut) {
  std::string name = KeyName(static_cast<std::uint8_t>(shortCut & 0xFF));
  if (name.empty()) return "";
  std::string text;
  if (shortCut & kShiftBit) text += "Shift+";
  if (shortCut & kCtrlBit) text += "Ctrl+";
  if (shortCut & kAltBit) text += "Alt+";
  return text + name;
}

bool ParseShortCutText(const std::string& text, std::uint16_t& shortCut) {
  std::uint16_t modifiers = 0;
  std::string rest = text;
  for (;;) {
    std::size_t plus = rest.find('+');
    // A lone "+" key name would need a trailing "+"; such keys have no fixed
    // name, so every "+" before the last character separates a modifier.
    if (plus == std::string::npos || plus + 1 == rest.size()) break;
    std::string modifier = Lower(rest.substr(0, plus));
    if (modifier == "shift") modifiers |= kShiftBit;
    else if (modifier == "ctrl") modifiers |= kCtrlBit;
    else if (modifier == "alt") modifiers |= kAltBit;
    else break;
    rest = rest.substr(plus + 1);
  }
  for (unsigned key = 1; key <= 255; ++key) {
    if (Lower(KeyName(static_cast<std::uint8_t>(key))) == Lower(rest) && !rest.empty()) {
      // Digits have two keys (main row and keypad); the main row wins, as
      // it comes first, which is the key a user means by "Ctrl+1".
      shortCut = static_cast<std::uint16_t>(key | modifiers);
      return true;
    }
  }
  return false;
}
