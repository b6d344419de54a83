// Tidy HTML on Windows: tidy.exe from the program folder, through the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "run/TidyHtml.h"

std::string TidyProgram(const std::string& programFolder) { return programFolder + "tidy.exe"; }

std::string ProgramFolder() {
  char path[MAX_PATH + 1] = {0};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// Waits on the process handle rather than polling its exit code: the same
// end, without a busy loop on the run thread.
bool RunHiddenAndWait(const std::string& program, const std::string& parameters, const std::string& workDir) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  // No shell error box: a tidy.exe that cannot be started is reported by
  // the run itself, and a box would stall zarvel-cli.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = workDir.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExA(&info)) return false;
  if (info.hProcess) {
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hProcess);
  }
  return true;
}
