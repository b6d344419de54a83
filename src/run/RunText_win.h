#pragma once
// The code page of a run's texts. A run works in the system's ANSI code
// page, as the macro files do, unless the captured selection holds a
// character that page cannot hold: then every text of the run is UTF-8, so
// that no character of the user's text is replaced on its way back. All
// steps of a run work on bytes with ASCII delimiters, so both forms pass
// through them alike.

#include <windows.h>

#include <stdexcept>
#include <string>

class ERunText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest character of the ANSI code page, in bytes.
unsigned AnsiMaxCharSize();

// The ANSI form of `wide`; false when a character has no exact ANSI form.
bool ExactAnsi(const std::wstring& wide, std::string& ansi);

// Between the run's texts (in codePage: CP_ACP or CP_UTF8) and UTF-16.
std::wstring WideFromRunText(const std::string& text, UINT codePage);
std::string RunTextFromWide(const std::wstring& wide, UINT codePage);

// Between ANSI texts (file names, settings) and the run's texts. The way
// back raises ERunText naming `what` when a character has no ANSI form.
std::string RunTextFromAnsi(const std::string& ansi, UINT codePage);
std::string AnsiFromRunText(const std::string& text, UINT codePage, const std::string& what);
