#pragma once
// Values worked out once at start: the program's folder, its version
// strings, and whether the include list can be applied on this system.

#include <cstdint>
#include <string>

// The folder of the program file without a trailing separator:
// "C:\Zarvel\zarvel.exe" gives "C:\Zarvel", "C:\zarvel.exe" gives "C:".
std::string ExeFolderOf(const std::string& exeName);

// From the file version's two 32-bit halves: "1.1" and "1.1.0 build 82" for 1.1.0.82.
std::string VersionShortOf(std::uint32_t versionMS, std::uint32_t versionLS);
std::string VersionLongOf(std::uint32_t versionMS, std::uint32_t versionLS);

// "Zarvel 1.1"; "Zarvel " alone without a version.
std::string TrayTipOf(const std::string& versionShort);

// NT 3.x and 4.0 (platform id 2) cannot identify the foreground program, so
// the include list is not applied there.
bool SkipIncludeFilterOn(std::uint32_t platformId, std::uint32_t majorVersion);
