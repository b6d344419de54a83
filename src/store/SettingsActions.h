#pragma once
// What the settings window does, without the window: the program name taken
// from a picked file, the copy choices, and the include-list changes that
// the list box follows. The window (editor/formInclude) only shows the
// results.

#include <string>
#include <utility>
#include <vector>

#include "store/Settings.h"

class TIncludeList;

// What the program pickers of the settings windows offer.
constexpr const char* kProgramFilter = "Executable files (*.exe)|*.exe";

// The three copy choices in the window's order: Always, Confirm, Never.
constexpr int kCopyChoiceCount = 3;

// The choice that shows a stored "Copy" number; -1 for a number that has
// none (the window then keeps its designed choice, Confirm).
int CopyChoiceForRule(int rule);
// The number stored for a choice (0 Always, 1 Confirm, 2 Never).
int CopyRuleForChoice(int choice);

// The file name of a picked program without its folder, cut to the include
// list's 255 characters: "C:\Tools\Editor.exe" gives "Editor.exe".
std::string ProgramNameFromPath(const std::string& path);

// Appends the program of a picked path to the list (and its file) and
// returns the name as the list box shows it, in the ANSI code page. Raises
// what the list raises, and std::runtime_error for a name that code page
// cannot hold (nothing is added then).
std::string AddIncludeProgram(TIncludeList& list, const std::string& pickedPath);

// Removes the entry at a list-box line; false, and nothing changes, when no
// line is selected (-1) or the line has no entry. Raises what the list
// raises; the list is then unchanged.
bool RemoveIncludeLine(TIncludeList& list, int line);

// The list box's lines: the include list's entries in its order, so that a
// line's position is its entry's index.
std::vector<std::string> IncludeLines(const TIncludeList& list);

// The per-program copy-and-paste methods as the methods window lists them:
// "automatic", "messages only", "keystrokes only".
const char* TransferMethodLabel(TTransferMethod method);
// "Editor.exe - keystrokes only".
std::string MethodLine(const std::string& exeName, TTransferMethod method);
// The programs with a method of their own, in the file's order.
std::vector<std::pair<std::string, TTransferMethod>> ReadMethodEntries(const std::string& exeDir);
