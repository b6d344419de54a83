#pragma once
// Starts zarvel.exe from a program folder of its own and looks at what it
// shows, from outside, as a user (or the end-to-end driver) would.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "resident/Messages.h"

inline std::filesystem::path BinFile(const std::string& name) {
  return std::filesystem::path(ZARVEL_BIN_DIR) / name;
}

// Waits up to the time for the condition, pumping this thread's messages.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
}

struct TWindowSearch {
  DWORD Process;
  const char* Class;
  const char* Caption;
  HWND Found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[256] = "", text[256] = "";
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, text, sizeof text);
  if (owner == search->Process && std::string(name) == search->Class &&
      (search->Caption == nullptr || std::string(text) == search->Caption) && IsWindowVisible(window)) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the process with this class and caption
// (any caption for nullptr).
inline HWND FindProcessWindow(DWORD process, const char* className, const char* caption) {
  TWindowSearch search{process, className, caption, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

class TProgramProcess {
 public:
  // A program folder with zarvel.exe and, unless told otherwise, zarvel.dll.
  explicit TProgramProcess(const std::filesystem::path& hookLibrary = BinFile("zarvel.dll")) {
    std::filesystem::copy_file(BinFile("zarvel.exe"), Folder() / "zarvel.exe");
    if (!hookLibrary.empty()) std::filesystem::copy_file(hookLibrary, Folder() / "zarvel.dll");
  }
  ~TProgramProcess() {
    if (FProcess.hProcess != nullptr) {
      if (WaitForSingleObject(FProcess.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(FProcess.hProcess, 1);
        WaitForSingleObject(FProcess.hProcess, 5000);
      }
      CloseHandle(FProcess.hProcess);
      CloseHandle(FProcess.hThread);
    }
  }
  TProgramProcess(const TProgramProcess&) = delete;
  TProgramProcess& operator=(const TProgramProcess&) = delete;

  std::filesystem::path Folder() const { return std::filesystem::path(FFolder.Path()); }

  // Starts a copy; more than one start is allowed (the last one is kept).
  PROCESS_INFORMATION Start() {
    std::string exe = (Folder() / "zarvel.exe").string();
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string folder = Folder().string();
    EXPECT_TRUE(CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &startup, &process));
    if (FProcess.hProcess == nullptr) FProcess = process;
    return process;
  }
  DWORD Id() const { return FProcess.dwProcessId; }
  HANDLE Handle() const { return FProcess.hProcess; }

  // The exit code, or STILL_ACTIVE when it did not end in time.
  static DWORD WaitForExit(HANDLE process, DWORD timeoutMs = 10000) {
    WaitForSingleObject(process, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
  }

  HWND AppWindow() const {
    HWND window = FindWindowA(kAppWindowClass, kAppTitle);
    DWORD owner = 0;
    if (window != nullptr) GetWindowThreadProcessId(window, &owner);
    return owner == Id() ? window : nullptr;
  }
  HWND WaitForAppWindow() const {
    HWND window = nullptr;
    WaitFor([&] { return (window = AppWindow()) != nullptr; });
    return window;
  }

  HWND FindWindowOf(const char* className, const char* caption) const {
    return FindProcessWindow(Id(), className, caption);
  }
  HWND WaitForMessageBox(const char* caption) const {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowOf("#32770", caption)) != nullptr; });
    return box;
  }

 private:
  TTempFolder FFolder;
  PROCESS_INFORMATION FProcess = {};
};

// The texts of a window's static controls (a message box's message).
inline BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
  char name[64] = "", text[512] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Static") == 0) {
    SendMessageA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
  }
  return TRUE;
}

inline std::vector<std::string> StaticTexts(HWND window) {
  std::vector<std::string> texts;
  EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// Another copy (of any folder) holds the instance mutex: tests that start
// the program cannot run beside it.
inline bool AnotherCopyRuns() {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
  return true;
}
