#include <windows.h>

#include "store/KeyNames.h"

std::string SystemKeyName(std::uint8_t keyCode) {
  UINT scanCode = ::MapVirtualKeyA(keyCode, MAPVK_VK_TO_VSC);
  if (scanCode == 0) return "";
  char name[64] = {};
  int length = ::GetKeyNameTextA(static_cast<LONG>(scanCode << 16), name, sizeof name);
  return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : "";
}
