#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include "base/WideText_win.h"
#endif

#include "cli/Commands.h"

#ifdef _WIN32
namespace {

// The arguments as the system holds them, in UTF-16, made UTF-8: the narrow
// ones would give "?" for every character of a path the ANSI code page
// cannot hold.
TCliArgs WideArguments() {
  TCliArgs args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return args;
}

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

// A console shows UTF-16 written to it as it is; bytes it would read in its
// own code page. Files and pipes get the bytes unchanged.
void WriteToConsole(DWORD which, const std::string& text) {
  const std::wstring wide = WideForDisplay(text);
  DWORD written = 0;
  if (!wide.empty()) WriteConsoleW(GetStdHandle(which), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace

int main() {
  // Texts are raw bytes: no CR LF translation on the way in or out.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::ios::sync_with_stdio(false);
  const bool outConsole = IsConsole(STD_OUTPUT_HANDLE), errConsole = IsConsole(STD_ERROR_HANDLE);
  std::ostringstream outText, errText;
  TCliStreams io{std::cin, outConsole ? static_cast<std::ostream&>(outText) : std::cout,
                 errConsole ? static_cast<std::ostream&>(errText) : std::cerr};
  int code = RunCli(WideArguments(), io);
  std::cout.flush();
  std::cerr.flush();
  if (outConsole) WriteToConsole(STD_OUTPUT_HANDLE, outText.str());
  if (errConsole) WriteToConsole(STD_ERROR_HANDLE, errText.str());
  return code;
}
#else
int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  TCliStreams io{std::cin, std::cout, std::cerr};
  int code = RunCli(TCliArgs(argv + 1, argv + argc), io);
  std::cout.flush();
  return code;
}
#endif
