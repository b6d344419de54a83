#pragma once
// Console and terminal windows copy on Ctrl+Insert and paste on Shift+Insert
// (Ctrl+C interrupts the program running inside them, Ctrl+V is one of its
// keys); they are known by their window class.

#include <string>

// Whether a top-level window of this class is a console or terminal.
bool IsTerminalWindowClass(const std::string& className);
