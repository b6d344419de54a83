#pragma once
// A file or folder name outside ASCII, as the narrow file calls take it:
// bytes in the ANSI code page on Windows, UTF-8 on Linux.

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

#include "base/CodePage.h"

// "Œuvre" where the code page holds it. In Windows-1252 its first byte is
// 0x8C, which read as Latin-1 is a control character: a path taken as
// Latin-1 then names a file that does not exist. "Café" otherwise.
inline std::string NonAsciiName() {
#ifdef _WIN32
  for (const char* utf8 : {"\xC5\x92uvre", "Caf\xC3\xA9"}) {
    try {
      return Utf8ToAnsi(utf8, ::GetACP());
    } catch (const ECodePage&) {
    }
  }
  return "Cafe";
#else
  return "\xC5\x92uvre";
#endif
}
