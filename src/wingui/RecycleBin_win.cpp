#include "wingui/RecycleBin_win.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "base/OsFile.h"
#include "base/WideText_win.h"

namespace {

std::wstring FullWidePath(const std::string& path) {
  const std::wstring wide = WideFromUtf8(path);
  DWORD fullLength = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (fullLength == 0) return wide;
  std::vector<wchar_t> full(fullLength + 1, L'\0');
  GetFullPathNameW(wide.c_str(), fullLength + 1, full.data(), nullptr);
  return full.data();
}

}  // namespace

bool RecycleBinTakes(const std::string& path) {
  std::wstring full = FullWidePath(path);
  wchar_t root[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(full.c_str(), root, MAX_PATH)) return false;
  if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  return SHQueryRecycleBinW(root, &info) == S_OK;
}

void RecycleFileOrFail(const std::string& path) {
  if (!RecycleBinTakes(path)) {
    DeleteFileOrFail(path);
    return;
  }
  std::wstring from = FullWidePath(path);
  from.push_back(L'\0');  // the list of names ends with an empty one
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  int result = SHFileOperationW(&operation);
  if (result != 0 || operation.fAnyOperationsAborted || FileExists(path)) {
    SetLastError(result != 0 ? static_cast<DWORD>(result) : ERROR_CANCELLED);
    throw EFileError("Cannot move to the Recycle Bin", path, LastOsErrorText());
  }
}
