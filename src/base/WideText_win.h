#pragma once
// Paths and texts where they meet the system's wide (UTF-16) calls. Paths
// inside the program are UTF-8 on Windows as on Linux, so a folder whose
// name the ANSI code page cannot hold ("C:\Users\Łukasz", "D:\Сайт") is
// reached like any other; they become UTF-16 only at the call itself.

#include <string>

// UTF-8 to UTF-16; a byte that is not UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
std::string Utf8FromWide(const wchar_t* wide);

// The text of the ANSI code page as UTF-16.
std::wstring WideFromAnsi(const std::string& ansi);

// A text shown to the user (a message that quotes a path, a run's text,
// a category name): texts of the macro files are in the ANSI code page,
// paths and a run's Unicode texts in UTF-8. A text that is valid UTF-8 and
// holds a byte above 0x7F is read as UTF-8, any other as ANSI.
std::wstring WideForDisplay(const std::string& text);
// Whether text is UTF-8 with at least one character outside ASCII.
bool IsUtf8BeyondAscii(const std::string& text);
