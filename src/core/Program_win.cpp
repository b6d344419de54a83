#include "core/Program.h"

#include <vector>

#include "core/AppInfo.h"

std::string ExeName;
std::string ExeDir;
std::string VersionShort;
std::string VersionLong;
bool SkipIncludeFilter = false;
HWND AppWindow = nullptr;

namespace {

std::string ModuleFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // long path: the name was cut, try a larger buffer
  }
}

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
  DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(fileName.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
      fixedSize < sizeof(VS_FIXEDFILEINFO))
    return false;
  versionShort = VersionShortOf(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  versionLong = VersionLongOf(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  return true;
}

void InitProgramValues() {
  ExeName = ModuleFileName();
  ExeDir = ExeFolderOf(ExeName);
  ReadFileVersion(ExeName, VersionShort, VersionLong);
  SkipIncludeFilter = IsOldNt();
}

std::string ProgramFile(const std::string& name) { return ExeDir + "\\" + name; }
