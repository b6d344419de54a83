#pragma once
// The program's values read from the running program file and the system.

#include <string>

#include "resident/AppInfo.h"

// Worked out once by start-up, on the main thread, and passed on from there.
TProgramValues ReadProgramValues();

// The version strings from a file's version resource; false (and both left
// empty) when it has none or it cannot be read.
bool ReadFileVersion(const std::string& fileName, std::string& versionShort, std::string& versionLong);
