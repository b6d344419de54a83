#include "resident/Program_win.h"

#include <windows.h>

#include <vector>

#include "base/OsFile.h"
#include "base/PathParts.h"
#include "base/WideText_win.h"

namespace {

bool IsOldNt() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  return SkipIncludeFilterOn(info.dwPlatformId, info.dwMajorVersion);
}

}  // namespace

bool ReadFileVersion(const std::string& fileName, std::string& versionShort, std::string& versionLong) {
  versionShort.clear();
  versionLong.clear();
  DWORD ignored = 0;
  const std::wstring wideName = WideFromUtf8(fileName);
  DWORD size = GetFileVersionInfoSizeW(wideName.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(wideName.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
      fixedSize < sizeof(VS_FIXEDFILEINFO))
    return false;
  versionShort = VersionShortOf(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  versionLong = VersionLongOf(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  return true;
}

TProgramValues ReadProgramValues() {
  TProgramValues values;
  values.ExeName = RunningProgramPath();
  values.ExeDir = FolderOfPath(values.ExeName);
  ReadFileVersion(values.ExeName, values.VersionShort, values.VersionLong);
  values.SkipIncludeFilter = IsOldNt();
  return values;
}
