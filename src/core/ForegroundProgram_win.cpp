#include "core/ForegroundProgram.h"

#include <tlhelp32.h>

#include "core/WinHandles.h"

namespace {

// The snapshot functions are looked up at run time: systems without them
// simply cannot identify the foreground program.
struct TToolhelp {
  decltype(&CreateToolhelp32Snapshot) Create = nullptr;
  decltype(&Process32First) First = nullptr;
  decltype(&Process32Next) Next = nullptr;

  TToolhelp() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    Create = reinterpret_cast<decltype(Create)>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
    First = reinterpret_cast<decltype(First)>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
    Next = reinterpret_cast<decltype(Next)>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
  }
  bool Available() const { return Create != nullptr && First != nullptr && Next != nullptr; }
};

const TToolhelp& Toolhelp() {
  static const TToolhelp functions;
  return functions;
}

// Windows 9x reports the full path in the entry; NT the bare name.
std::string FileNamePart(const char* path) {
  std::string name(path);
  std::string::size_type slash = name.find_last_of("\\/");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

bool ForegroundExeName(std::string& exeName) {
  HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(foreground, &processId);
  const TToolhelp& toolhelp = Toolhelp();
  if (!toolhelp.Available()) return false;
  // Processes only: a snapshot that also lists the foreground process's
  // modules fails for a 64-bit program seen from a 32-bit one and for
  // elevated programs, and the process list alone gives the file name.
  TKernelHandle snapshot(toolhelp.Create(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = toolhelp.First(snapshot.Get(), &entry); more; more = toolhelp.Next(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == processId) {
      entry.szExeFile[MAX_PATH - 1] = '\0';
      exeName = FileNamePart(entry.szExeFile);
      return true;
    }
  }
  return false;
}

namespace {

// NT 5 and later, and 9x after 4.0 (98, Me), refuse a plain
// SetForegroundWindow from a program that is not in front.
bool HasForegroundLock() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return true;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return info.dwMajorVersion > 4;
  return info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 0);
}

void BringToFront(HWND window) {
  BringWindowToTop(window);
  SetForegroundWindow(window);
}

}  // namespace

bool ForceForegroundWindow(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  if (GetForegroundWindow() == window) return true;
  if (!HasForegroundLock()) {
    BringToFront(window);
    return GetForegroundWindow() == window;
  }
  DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
  bool inFront = false;
  if (foregroundThread != 0 && AttachThreadInput(windowThread, foregroundThread, TRUE)) {
    BringToFront(window);
    AttachThreadInput(windowThread, foregroundThread, FALSE);
    inFront = GetForegroundWindow() == window;
  }
  if (!inFront) {
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
    BringToFront(window);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)),
                          SPIF_SENDCHANGE);
  }
  return GetForegroundWindow() == window;
}
