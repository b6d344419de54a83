#pragma once
// Console and terminal windows paste on Shift+Insert (Ctrl+V is a key of
// the program running inside them); they are known by their window class.

#include <string>

// Whether a top-level window of this class is a console or terminal.
bool IsTerminalWindowClass(const std::string& className);
