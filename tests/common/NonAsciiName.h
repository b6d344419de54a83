#pragma once
// A file or folder name outside ASCII, as the program writes paths: UTF-8 on
// every platform. Cyrillic and CJK together, so that no single ANSI code
// page holds it: a path that passes through an ANSI call anywhere turns
// into "?" and names a file that does not exist.

#include <string>

inline std::string NonAsciiName() { return "Zarvel \xD0\xA1\xD0\xB0\xD0\xB9\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC"; }

// The same folder below `root`, joined as a string: std::filesystem would
// read the narrow name in the ANSI code page on Windows.
inline std::string NonAsciiFolderIn(const std::string& root, char separator) {
  return root + separator + NonAsciiName();
}
