#pragma once
// Conversion between the 8-bit texts of the macro files (bytes in an ANSI
// code page) and UTF-8. Linux converts with iconv, Windows with
// MultiByteToWideChar; both refuse the same bytes, so a file exported on
// one imports the same on the other.

#include <stdexcept>
#include <string>

constexpr unsigned kDefaultCodePage = 1252;

class ECodePage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raises ECodePage for a code page the system does not know.
void CheckCodePage(unsigned codePage);
// Raises ECodePage naming the first byte the code page does not define.
std::string AnsiToUtf8(const std::string& text, unsigned codePage);
// Raises ECodePage naming the first character the code page cannot hold.
std::string Utf8ToAnsi(const std::string& text, unsigned codePage);

// The C1 control characters (U+0080 to U+009F) stand for the bytes a code
// page leaves undefined where a system maps them through unchanged; both
// directions refuse them so that no undefined byte passes silently.
bool HoldsC1Control(const std::string& utf8, std::size_t& offset);

// The code page of the system's 8-bit texts: Windows' ANSI code page, and
// Windows-1252 on other systems, which have none.
unsigned SystemAnsiCodePage();
