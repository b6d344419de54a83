#include <windows.h>

#include "base/CodePage.h"

namespace {

std::wstring ToWide(const std::string& text, unsigned codePage, const std::string& failure) {
  if (text.empty()) return std::wstring();
  int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) throw ECodePage(failure);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                        static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string FromWide(const std::wstring& wide, unsigned codePage, const std::string& failure) {
  if (wide.empty()) return std::string();
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPointer = codePage == CP_UTF8 ? nullptr : &usedDefault;
  DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int length = ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, usedDefaultPointer);
  if (length <= 0 || usedDefault) throw ECodePage(failure);
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &text[0],
                        length, nullptr, nullptr);
  return text;
}

}  // namespace

void CheckCodePage(unsigned codePage) {
  CPINFO info;
  if (!::IsValidCodePage(codePage) || !::GetCPInfo(codePage, &info))
    throw ECodePage("The code page " + std::to_string(codePage) + " is not known.");
}

std::string AnsiToUtf8(const std::string& text, unsigned codePage) {
  CheckCodePage(codePage);
  std::string page = std::to_string(codePage);
  std::string utf8 = FromWide(
      ToWide(text, codePage, "The text holds a byte that code page " + page + " does not define."),
      CP_UTF8, "The text cannot be written as UTF-8.");
  std::size_t offset;
  if (codePage != CP_UTF8 && HoldsC1Control(utf8, offset))
    throw ECodePage("The text holds a byte that code page " + page + " does not define.");
  return utf8;
}

std::string Utf8ToAnsi(const std::string& text, unsigned codePage) {
  CheckCodePage(codePage);
  std::string page = std::to_string(codePage);
  std::size_t offset;
  if (codePage != CP_UTF8 && HoldsC1Control(text, offset))
    throw ECodePage("The text holds a control character (U+0080 to U+009F) at offset " +
                    std::to_string(offset) + " that code page " + page + " does not define.");
  return FromWide(ToWide(text, CP_UTF8, "The text is not valid UTF-8."), codePage,
                  "The text holds a character that code page " + page + " cannot hold.");
}

unsigned SystemAnsiCodePage() { return ::GetACP(); }
