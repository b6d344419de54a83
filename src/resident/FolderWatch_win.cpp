#include "resident/FolderWatch_win.h"

#include <process.h>

#include <vector>

#include "base/WideText_win.h"
#include "resident/FileChanges.h"
#include "resident/Messages.h"

namespace {

constexpr DWORD kRetryMs = 1000;
constexpr DWORD kBufferBytes = 64 * 1024;
constexpr DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// The reported names are relative and in UTF-16; only ASCII names are
// watched, so other characters need not survive.
std::string AsciiOf(const wchar_t* name, std::size_t length) {
  std::string text(length, '?');
  for (std::size_t i = 0; i < length; ++i)
    if (name[i] < 128) text[i] = static_cast<char>(name[i]);
  return text;
}

unsigned FilesOfReports(const std::vector<DWORD>& buffer, DWORD bytes) {
  unsigned files = 0;
  const char* base = reinterpret_cast<const char*>(buffer.data());
  for (DWORD at = 0; at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes + sizeof(WCHAR);) {
    const auto* report = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + at);
    files |= WatchedFileOf(AsciiOf(report->FileName, report->FileNameLength / sizeof(WCHAR)));
    if (report->NextEntryOffset == 0) break;
    at += report->NextEntryOffset;
  }
  return files;
}

}  // namespace

TFolderWatch::TFolderWatch(HWND notifyWindow, const std::string& exeDir, const std::string& macrosDir)
    : FNotify(notifyWindow), FExeDir(exeDir), FBackup(macrosDir, GetACP()),
      FStop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!FStop) return;  // no watch: the program works as it did without one
  unsigned id = 0;
  FThread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadEntry, this, 0, &id)));
}

TFolderWatch::~TFolderWatch() {
  if (!FThread) return;
  SetEvent(FStop.Get());
  WaitForSingleObject(FThread.Get(), INFINITE);
}

std::string TFolderWatch::BackupProblem() const {
  std::lock_guard<std::mutex> hold(FLock);
  return FBackupProblem;
}

unsigned __stdcall TFolderWatch::ThreadEntry(void* self) {
  try {
    static_cast<TFolderWatch*>(self)->Run();
  } catch (...) {
    // Out of memory: the program goes on without the watch.
  }
  return 0;
}

bool TFolderWatch::Stopping(DWORD waitMs) { return WaitForSingleObject(FStop.Get(), waitMs) == WAIT_OBJECT_0; }

void TFolderWatch::Backup() {
  std::string problem = FBackup.RunIfDue();
  {
    std::lock_guard<std::mutex> hold(FLock);
    if (problem == FBackupProblem) return;
    FBackupProblem = problem;
  }
  PostMessageA(FNotify, WM_BACKUPDONE, 0, 0);
}

void TFolderWatch::Run() {
  Backup();
  TKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!ready) return;
  std::vector<DWORD> buffer(kBufferBytes / sizeof(DWORD));
  TChangeBatch batch;
  // Also at first: what changed between loading and the watch is unknown.
  bool lost = true;  // the watch failed: what changed meanwhile is unknown
  for (;;) {
    TKernelHandle folder(CreateFileW(WideFromUtf8(FExeDir).c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!folder) {
      lost = true;
      if (Stopping(kRetryMs)) return;
      continue;
    }
    if (lost) batch.Note(wfAll, TChangeBatch::TClock::now());
    lost = false;
    for (;;) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = ready.Get();
      ResetEvent(ready.Get());
      if (!ReadDirectoryChangesW(folder.Get(), buffer.data(), kBufferBytes, TRUE, kWatchedChanges, nullptr,
                                 &overlapped, nullptr)) {
        lost = true;
        break;
      }
      HANDLE events[2] = {FStop.Get(), ready.Get()};
      DWORD result = WAIT_TIMEOUT;
      // Waits for reports; with a batch pending, until it is due.
      while (result == WAIT_TIMEOUT) {
        DWORD wait = INFINITE;
        if (batch.Pending()) wait = static_cast<DWORD>(batch.Wait(TChangeBatch::TClock::now()).count());
        result = wait == 0 ? WAIT_TIMEOUT : WaitForMultipleObjects(2, events, FALSE, wait);
        if (result == WAIT_TIMEOUT && batch.Pending()) {
          unsigned files = batch.Take();
          PostMessageA(FNotify, WM_FILESCHANGED, files, 0);
          // After the reload is asked for, so that it does not wait for this.
          if (files & wfMacros) Backup();
        }
      }
      DWORD bytes = 0;
      if (result != WAIT_OBJECT_0 + 1) {
        // The stop: the read is cancelled and its end waited for, so that
        // the system writes no more into the buffer.
        CancelIo(folder.Get());
        GetOverlappedResult(folder.Get(), &overlapped, &bytes, TRUE);
        return;
      }
      if (!GetOverlappedResult(folder.Get(), &overlapped, &bytes, FALSE)) {
        lost = true;  // the folder went, or the system dropped the watch
        break;
      }
      // No bytes: more changed than the buffer could report.
      unsigned files = bytes == 0 ? unsigned(wfAll) : FilesOfReports(buffer, bytes);
      batch.Note(files, TChangeBatch::TClock::now());
    }
    if (Stopping(kRetryMs)) return;
  }
}
