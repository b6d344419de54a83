#pragma once

#include <string>

// press-shortcut KEY TEXT PART EXPECTED, for tools/release --check: puts
// TEXT into the driver's edit control, selects PART, presses Ctrl+Alt+KEY
// and checks that the control then holds EXPECTED. In the three texts "\n"
// stands for a line break (CR LF) and "\t" for a TAB. Prints "PASS ..." and
// returns 0, or "FAIL ...: reason" and returns 1.
int PressShortCutCommand(const char* key, const char* text, const char* part, const char* expected);

// "\n" to CR LF, "\t" to TAB, "\\" to one backslash; anything else as it is.
std::string UnescapeCommandText(const std::string& text);

// Check for update... answered Yes in the program folder (its Windows path)
// without vornupdate.exe: the program says where new versions are found,
// keeps running after OK, and nothing else appears (no error, nothing
// started). Throws TFail otherwise.
void CheckUpdateWithoutUpdater(const std::string& appDir);
// update-without-updater APPDIR, for tools/release --check: the same,
// PASS/FAIL as above.
int UpdateWithoutUpdaterCommand(const std::string& appDir);
