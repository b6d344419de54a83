#pragma once
// The system's dialog for picking one file to open or a name to save under.

#include <windows.h>

#include <commdlg.h>  // the OFN_ flags callers add

#include <string>

// filter: "Description|pattern|Description|pattern", the first one chosen.
// Every dialog resizes, hides the read-only box and leaves the current
// folder alone; `flags` adds to that. A name typed without an extension
// gets `defaultExtension` when one is given. True with `path` set when a
// file was chosen; false (and `path` untouched) when cancelled. Paths and
// the filter are UTF-8, so any file the user can see can be chosen.
bool PickFile(HWND owner, bool save, const std::string& filter, DWORD flags, std::string& path,
              const char* defaultExtension = nullptr);
