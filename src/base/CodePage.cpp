#include "base/CodePage.h"

bool HoldsC1Control(const std::string& utf8, std::size_t& offset) {
  for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    unsigned char next = static_cast<unsigned char>(utf8[i + 1]);
    if (lead == 0xC2 && next >= 0x80 && next <= 0x9F) {
      offset = i;
      return true;
    }
  }
  return false;
}
