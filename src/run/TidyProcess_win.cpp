// Tidy HTML on Windows: tidy.exe from the program folder, through the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "run/TidyHtml.h"
#include "wingui/WinHandles_win.h"

std::string TidyProgram(const std::string& programFolder) { return programFolder + "tidy.exe"; }

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
  TKernelHandle process(info.hProcess);
  if (process) WaitForSingleObject(process.Get(), INFINITE);
  return true;
}
