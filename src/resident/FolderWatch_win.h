#pragma once
// The watch over the program's folder, on a thread of its own: it tells the
// application window (WM_FILESCHANGED) when the Macros folder, include.dat
// or zarvel.ini changed on disk, once a burst of changes has settled, and
// writes the daily backup at start and at the first change of a day
// (WM_BACKUPDONE when its outcome changed). It never touches the program's
// store: the backup reads the files on its own.
//
// The folder is watched with its subfolders, so the Macros folder may be
// absent at start, deleted and made again. When the watch cannot be set up
// (or the system drops it), it is tried again every second and a change of
// everything is reported once it works again.

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "exchange/DailyBackup.h"
#include "wingui/WinHandles_win.h"

class TFolderWatch {
 public:
  // Starts watching exeDir; messages go to notifyWindow.
  TFolderWatch(HWND notifyWindow, const std::string& exeDir, const std::string& macrosDir);
  // Stops the thread and waits for it; the stop is seen at once, also in
  // the middle of a wait for changes.
  ~TFolderWatch();
  TFolderWatch(const TFolderWatch&) = delete;
  TFolderWatch& operator=(const TFolderWatch&) = delete;

  bool Running() const { return static_cast<bool>(FThread); }
  // The daily backup's last word: "" when it went well.
  std::string BackupProblem() const;

 private:
  static unsigned __stdcall ThreadEntry(void* self);
  void Run();
  void Backup();
  bool Stopping(DWORD waitMs);

  HWND FNotify;
  std::string FExeDir;
  TDailyBackup FBackup;
  TKernelHandle FStop;
  TKernelHandle FThread;
  mutable std::mutex FLock;
  std::string FBackupProblem;
};
