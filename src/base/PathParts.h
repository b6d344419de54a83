#pragma once
// How the program takes a path apart, the same on every platform: "\" and
// "/" both end a folder, and a drive-relative "C:name" has its name after
// the drive. Stored paths are Windows paths, so the Linux build reads them
// as Windows would.

#include <cstddef>
#include <string>

// Where the last part (the file name) begins.
std::size_t FileNameStart(const std::string& path);

// "C:\Pictures\a.png" and "C:a.png" give "a.png"; a bare name itself.
std::string FileNameOfPath(const std::string& path);

// The folder without its trailing separator: "C:\Zarvel\zarvel.exe" gives
// "C:\Zarvel", "C:\zarvel.exe" and "C:zarvel.exe" give "C:", a bare name "".
std::string FolderOfPath(const std::string& path);

// The file name's extension with its dot, in ASCII lower case: ".png";
// empty when the name has none.
std::string LowerExtensionOf(const std::string& path);

// Whether Windows takes the file name for a device: CON, PRN, AUX, NUL,
// COM1 to COM9 or LPT1 to LPT9, in any case, alone or before an extension
// ("nul.txt"), with trailing spaces too. Such a name never names a file.
bool IsReservedDeviceName(const std::string& fileName);
