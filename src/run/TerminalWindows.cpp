#include "run/TerminalWindows.h"

#include "base/OsFile.h"

bool IsTerminalWindowClass(const std::string& className) {
  static const char* const kTerminalClasses[] = {
      "ConsoleWindowClass",              // the system console
      "WineConsoleClass",                // Wine's console (wineconsole, start cmd)
      "CASCADIA_HOSTING_WINDOW_CLASS",   // the system terminal
      "PseudoConsoleWindow",
      "mintty",
      "PuTTY",
      "KiTTY",
      "VirtualConsoleClass",             // console emulators with tabs
      "TMobaXtermForm",
  };
  for (const char* terminal : kTerminalClasses)
    if (SameFileName(className, terminal)) return true;
  return false;
}
