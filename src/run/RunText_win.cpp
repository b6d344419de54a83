#include "run/RunText_win.h"

unsigned AnsiMaxCharSize() {
  CPINFO info;
  return GetCPInfo(CP_ACP, &info) ? info.MaxCharSize : 1;
}

bool ExactAnsi(const std::wstring& wide, std::string& ansi) {
  ansi.clear();
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  ansi.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0], length,
                      nullptr, &usedDefault);
  // Some pages map a character to a byte that reads back as another one.
  return !usedDefault && WideFromRunText(ansi, CP_ACP) == wide;
}

std::wstring WideFromRunText(const std::string& text, UINT codePage) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string RunTextFromWide(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return std::string();
  const int length =
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr, nullptr);
  return text;
}

std::string RunTextFromAnsi(const std::string& ansi, UINT codePage) {
  if (codePage == CP_ACP) return ansi;
  return RunTextFromWide(WideFromRunText(ansi, CP_ACP), codePage);
}

std::string AnsiFromRunText(const std::string& text, UINT codePage, const std::string& what) {
  if (codePage == CP_ACP) return text;
  std::string ansi;
  if (!ExactAnsi(WideFromRunText(text, codePage), ansi))
    throw ERunText(what + " holds characters that this system's code page cannot hold: \"" + text + "\".");
  return ansi;
}
