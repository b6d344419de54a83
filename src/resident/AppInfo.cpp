#include "resident/AppInfo.h"

std::string VersionShortOf(std::uint32_t versionMS, std::uint32_t /*versionLS*/) {
  return std::to_string(versionMS >> 16) + "." + std::to_string(versionMS & 0xFFFFu);
}

std::string VersionLongOf(std::uint32_t versionMS, std::uint32_t versionLS) {
  return VersionShortOf(versionMS, versionLS) + "." + std::to_string(versionLS >> 16) + " build " +
         std::to_string(versionLS & 0xFFFFu);
}

std::string TrayTipOf(const std::string& versionShort) { return "Zarvel " + versionShort; }

std::string TrayTipWithoutHook(const std::string& versionShort) {
  return TrayTipOf(versionShort) + " - shortcuts off: no keyboard hook";
}

bool SkipIncludeFilterOn(std::uint32_t platformId, std::uint32_t majorVersion) {
  constexpr std::uint32_t kPlatformNt = 2;
  return platformId == kPlatformNt && (majorVersion == 3 || majorVersion == 4);
}

bool CopyAlreadyRunning(std::uint32_t createMutexError) {
  constexpr std::uint32_t kErrorAccessDenied = 5;
  constexpr std::uint32_t kErrorAlreadyExists = 183;
  return createMutexError == kErrorAlreadyExists || createMutexError == kErrorAccessDenied;
}

TBugReportTarget BugReportTargetOf(const std::string& configuredUrl, const std::string& exeDir) {
  if (!configuredUrl.empty()) return {configuredUrl, ""};
  return {"hh.exe", exeDir + "\\zarvel.chm::/troubleshooting.html"};
}
