#include "store/StoreText.h"

#include <cstdio>

#include "base/CodePage.h"

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the well-formed UTF-8 character at `at`, or 0 for a broken one.
std::size_t Utf8CharacterLength(const std::string& text, std::size_t at) {
  unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  return length;
}

// The code point of a well-formed character.
unsigned CodePointOf(const std::string& character) {
  static const unsigned kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  unsigned point = static_cast<unsigned char>(character[0]) & kLeadMask[character.size()];
  for (std::size_t i = 1; i < character.size(); ++i)
    point = (point << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
  return point;
}

std::string NamedCharacter(const std::string& character) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", CodePointOf(character));
  return "'" + character + "' (" + code + ")";
}

// UTF-8 with every broken sequence made U+FFFD.
std::string WellFormedUtf8(const std::string& text) {
  std::string result;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = Utf8CharacterLength(text, at);
    result += length ? text.substr(at, length) : kReplacement;
    at += length ? length : 1;
  }
  return result;
}

}  // namespace

unsigned StoreTextCodePage(TStoreEncoding encoding) {
  return StoreCodePage(encoding, SystemAnsiCodePage());
}

std::string StoreTextToUtf8(const std::string& text, unsigned codePage) {
  if (codePage == kUtf8CodePage) return WellFormedUtf8(text);
  try {
    return AnsiToUtf8(text, codePage);
  } catch (const ECodePage&) {
  }
  // Byte by byte, so that one undefined byte costs only its own place.
  std::string result;
  for (char byte : text) {
    try {
      result += AnsiToUtf8(std::string(1, byte), codePage);
    } catch (const ECodePage&) {
      result += kReplacement;
    }
  }
  return result;
}

bool FindUnstorableCharacter(const std::string& utf8, unsigned codePage, std::string& named) {
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = Utf8CharacterLength(utf8, at);
    std::string character = length ? utf8.substr(at, length) : std::string(1, utf8[at]);
    at += length ? length : 1;
    if (!length) {
      named = "a byte that is not UTF-8";
      return true;
    }
    if (codePage == kUtf8CodePage || static_cast<unsigned char>(character[0]) < 0x80) continue;
    try {
      Utf8ToAnsi(character, codePage);
    } catch (const ECodePage&) {
      named = NamedCharacter(character);
      return true;
    }
  }
  return false;
}

std::string Utf8ToStoreText(const std::string& utf8, unsigned codePage, const std::string& what) {
  std::string named;
  if (FindUnstorableCharacter(utf8, codePage, named)) {
    if (codePage == kUtf8CodePage) throw EStoreText("The text of " + what + " holds " + named + ".");
    throw EStoreText("The text of " + what + " holds " + named +
                     ", which this macros folder cannot hold: its macros are stored in the system's "
                     "ANSI code page. Remove the character, or choose \"Store macros as Unicode...\" "
                     "in Settings to keep every character.");
  }
  return codePage == kUtf8CodePage ? utf8 : Utf8ToAnsi(utf8, codePage);
}

void CheckStoreTextFits(const std::string& stored, std::size_t capacity, const std::string& what,
                        const std::string& shown) {
  if (stored.size() <= capacity) return;
  throw EStoreText("This " + what + " is too long: " + std::to_string(capacity) + " bytes at most, '" +
                   shown + "' takes " + std::to_string(stored.size()) + ".");
}
