#pragma once
// Program-wide values worked out once at start (step 1 of start-up) and the
// application window. Written only by start-up on the main thread, before
// any other thread exists; read-only afterwards, so any thread may read them.

#include <windows.h>

#include <string>

extern std::string ExeName;       // full path of the running program file
extern std::string ExeDir;        // its folder, without a trailing separator
extern std::string VersionShort;  // "1.1", or empty without a version resource
extern std::string VersionLong;   // "1.1.0 build 82", or empty
extern bool SkipIncludeFilter;    // NT 3.x and 4.0
extern HWND AppWindow;            // the hidden application window

// Fills the values above from the running program file and the system.
void InitProgramValues();

// ExeDir + "\" + name: how every file of the program is addressed.
std::string ProgramFile(const std::string& name);

// The version strings from a file's version resource; false (and both left
// empty) when it has none or it cannot be read.
bool ReadFileVersion(const std::string& fileName, std::string& versionShort, std::string& versionLong);
