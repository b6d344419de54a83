#include "run/ProcessInfo_win.h"
#include "base/PathParts.h"
#include "base/WideText_win.h"

#include <vector>

#include "wingui/WinHandles_win.h"

namespace {

// SECURITY_MANDATORY_*_RID of the token; 0 when it cannot be read.
DWORD IntegrityLevel(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return 0;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return 0;
  const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
  const UCHAR count = *GetSidSubAuthorityCount(label->Label.Sid);
  return count == 0 ? 0 : *GetSidSubAuthority(label->Label.Sid, count - 1U);
}

DWORD OwnIntegrityLevel() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 0;
  TKernelHandle owned(token);
  return IntegrityLevel(token);
}

}  // namespace

std::string ExeNameOfWindow(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == 0) return "";
  TKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return "";
  wchar_t path[MAX_PATH * 2] = {0};
  DWORD length = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process.Get(), 0, path, &length)) return "";
  return FileNameOfPath(Utf8FromWide(std::wstring(path, length)));
}

bool RunsAboveUs(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == 0 || processId == GetCurrentProcessId()) return false;
  const DWORD own = OwnIntegrityLevel();
  if (own == 0 || own >= SECURITY_MANDATORY_HIGH_RID) return false;
  TKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return false;
  HANDLE token = nullptr;
  if (!OpenProcessToken(process.Get(), TOKEN_QUERY, &token))
    return GetLastError() == ERROR_ACCESS_DENIED;  // only a higher level keeps its token from us
  TKernelHandle owned(token);
  return IntegrityLevel(token) > own;
}
