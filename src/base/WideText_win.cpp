#include <windows.h>

#include "base/WideText_win.h"

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::wstring WideFromAnsi(const std::string& ansi) { return ToWide(CP_ACP, ansi); }

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length, nullptr, nullptr);
  return utf8;
}

std::string Utf8FromWide(const wchar_t* wide) { return wide ? Utf8FromWide(std::wstring(wide)) : std::string(); }

bool IsUtf8BeyondAscii(const std::string& text) {
  bool beyond = false;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) beyond = true;
  return beyond && ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0) > 0;
}

std::wstring WideForDisplay(const std::string& text) {
  return IsUtf8BeyondAscii(text) ? WideFromUtf8(text) : WideFromAnsi(text);
}
