#include "resident/ForegroundProgram_win.h"
#include "base/PathParts.h"

#include <tlhelp32.h>

#include "wingui/WinHandles_win.h"

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
      exeName = FileNameOfPath(entry.szExeFile);
      return true;
    }
  }
  return false;
}
