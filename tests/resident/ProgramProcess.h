#pragma once
// Starts zarvel.exe from a program folder of its own and looks at what it
// shows, from outside, as a user (or the end-to-end driver) would.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "resident/Messages.h"

inline std::filesystem::path BinFile(const std::string& name) {
  return std::filesystem::path(ZARVEL_BIN_DIR) / name;
}

using wintest::FindProcessWindow;
using wintest::PumpUntil;
using wintest::StaticTexts;

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
    PumpUntil([&] { return (window = AppWindow()) != nullptr; });
    return window;
  }

  HWND FindWindowOf(const char* className, const char* caption) const {
    return FindProcessWindow(Id(), className, caption);
  }
  HWND WaitForMessageBox(const char* caption) const { return wintest::WaitForMessageBox(caption, Id()); }

 private:
  TTempFolder FFolder;
  PROCESS_INFORMATION FProcess = {};
};

// Another copy (of any folder) holds the instance mutex: tests that start
// the program cannot run beside it.
inline bool AnotherCopyRuns() {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
  return true;
}
