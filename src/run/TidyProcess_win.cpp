// Tidy HTML on Windows: tidy.exe from the program folder, through the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/WideText_win.h"
#include "run/TidyHtml.h"
#include "run/TidyProcess_win.h"
#include "wingui/WinHandles_win.h"

std::string TidyProgram(const std::string& programFolder) { return programFolder + "tidy.exe"; }

bool RunHiddenAndWait(const std::string& program, const std::string& parameters, const std::string& workDir) {
  return RunHiddenAndWaitAsking(program, parameters, workDir, INFINITE, nullptr);
}

// Waits on the process handle rather than polling its exit code: the same
// end, without a busy loop on the run thread.
bool RunHiddenAndWaitAsking(const std::string& program, const std::string& parameters, const std::string& workDir,
                            DWORD askAfterMs, const std::function<bool()>& keepWaiting) {
  // Paths are UTF-8: the temporary files and the program folder may lie
  // below a user name the ANSI code page cannot hold.
  const std::wstring wideProgram = WideFromUtf8(program), wideParameters = WideFromUtf8(parameters),
                     wideDir = WideFromUtf8(workDir);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  // No shell error box: a tidy.exe that cannot be started is reported by
  // the run itself, and a box would stall zarvel-cli.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = wideProgram.c_str();
  info.lpParameters = wideParameters.c_str();
  info.lpDirectory = wideDir.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info)) return false;
  TKernelHandle process(info.hProcess);
  if (!process) return true;
  while (WaitForSingleObject(process.Get(), askAfterMs) == WAIT_TIMEOUT) {
    if (keepWaiting && keepWaiting()) continue;
    // The answer may come just as the program ends by itself: its work stands.
    if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) break;
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), 5000);
    throw ETidyEnded("\"" + program + "\" was ended before it had finished; nothing was checked.");
  }
  return true;
}

bool AskToKeepWaitingForTidy() {
  return MessageBoxA(nullptr,
                     "Tidy HTML has been working for a long time without finishing.\n\n"
                     "Wait for it? No ends Tidy; your text stays as it is.",
                     "Tidy HTML", MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST) == IDYES;
}
