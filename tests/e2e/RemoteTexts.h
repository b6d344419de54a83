#pragma once
// The texts of another process's combo box and list view, read as UTF-16
// (as the program's Unicode controls hold them) and given as UTF-8.

#include <windows.h>

#include <string>
#include <vector>

// Every entry of the combo box, in its order.
std::vector<std::string> ComboEntryTexts(HWND combo);
// The texts of one column of a report list view, row by row. The list's
// texts are asked into memory of its own process, since a list view's
// messages carry pointers that no system copies across processes.
std::vector<std::string> ListColumnTexts(HWND list, int column);
