#pragma once
// Values worked out once at start: the program's folder, its version
// strings, and whether the include list can be applied on this system.

#include <cstdint>
#include <string>

// What the program knows of itself, worked out once at start-up and handed
// to the windows and threads that need it.
struct TProgramValues {
  std::string ExeName;       // full path of the running program file
  std::string ExeDir;        // its folder, without a trailing separator
  std::string VersionShort;  // "1.1", or empty without a version resource
  std::string VersionLong;   // "1.1.0 build 82", or empty
  bool SkipIncludeFilter = false;

  // ExeDir + "\" + name: how every file of the program is addressed.
  std::string File(const std::string& name) const { return ExeDir + "\\" + name; }
};

// From the file version's two 32-bit halves: "1.1" and "1.1.0 build 82" for 1.1.0.82.
std::string VersionShortOf(std::uint32_t versionMS, std::uint32_t versionLS);
std::string VersionLongOf(std::uint32_t versionMS, std::uint32_t versionLS);

// "Zarvel 1.1"; "Zarvel " alone without a version.
std::string TrayTipOf(const std::string& versionShort);
// The tip and the message when the keyboard hook could not be installed:
// the program stays for its editor, but no shortcut can run.
std::string TrayTipWithoutHook(const std::string& versionShort);
constexpr const char* kNoHookMessage =
    "Zarvel could not watch the keyboard, so no shortcut will run. The macro editor and the "
    "settings still work from the tray icon; start Zarvel again to try once more.";

// NT 3.x and 4.0 (platform id 2) cannot identify the foreground program, so
// the include list is not applied there.
bool SkipIncludeFilterOn(std::uint32_t platformId, std::uint32_t majorVersion);

// What "Report a bug..." opens through the shell: the configured page, or
// without one the help file's troubleshooting page through the help viewer.
struct TBugReportTarget {
  std::string File;
  std::string Parameters;
};
TBugReportTarget BugReportTargetOf(const std::string& configuredUrl, const std::string& exeDir);

// The instance mutex's answer at start-up (the system's last error after
// creating it): another copy runs when the name exists, and also when it is
// refused, as it is to a normal start while the copy that made it runs as
// administrator.
bool CopyAlreadyRunning(std::uint32_t createMutexError);
