#pragma once
// The shortcut word: the virtual-key code in the low byte, plus 0x2000 for
// Shift, 0x4000 for Ctrl and 0x8000 for Alt. 0 means no shortcut. Stored in
// every macro record, so the encoding is frozen.

#include <cstdint>
#include <string>

constexpr std::uint16_t kShiftBit = 0x2000;
constexpr std::uint16_t kCtrlBit = 0x4000;
constexpr std::uint16_t kAltBit = 0x8000;
// Ctrl+Alt+Shift+Q switches every shortcut off and on; no macro may use it.
constexpr std::uint16_t kToggleShortCut = 0xE051;

// A key code above 255 gives 0.
std::uint16_t MakeShortCut(unsigned keyCode, bool shift, bool ctrl, bool alt);

// "Ctrl+Alt+T", or "" when the key has no name (so 0 reads as "").
std::string ShortCutText(std::uint16_t shortCut);
// The name alone: "T", "F5", "PgUp", or the system's name for other keys.
std::string KeyName(std::uint8_t keyCode);

// Keys outside the fixed table are named by the system's scan-code table on
// Windows; elsewhere they have no name. Tests put their own lookup in its
// place; nullptr restores the system's.
using TKeyNameLookup = std::string (*)(std::uint8_t keyCode);
void SetSystemKeyNameLookup(TKeyNameLookup lookup);

// Parses the text form back ("Shift+Ctrl+Alt+F5"); modifiers in any order and
// case. Returns false for an unknown key name.
bool ParseShortCutText(const std::string& text, std::uint16_t& shortCut);
