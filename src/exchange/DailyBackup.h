#pragma once
// The daily backup of every macro: once a day, at the first start or the
// first change of that day, the whole store is written as an export
// document ("Backup\macros-YYYY-MM-DD.json" beside the macros folder), which
// import reads back. The last ten are kept; older ones (by the date in their
// names) are deleted, and no other file is ever touched.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct TBackupDate {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  bool operator==(const TBackupDate& other) const {
    return Year == other.Year && Month == other.Month && Day == other.Day;
  }
  bool operator!=(const TBackupDate& other) const { return !(*this == other); }
};

// Today in the local time zone.
TBackupDate LocalToday();

constexpr std::size_t kBackupsKept = 10;

// "macros-2026-12-09.json".
std::string BackupFileName(const TBackupDate& date);
// Whether the name is a backup's (exactly as BackupFileName writes it, any
// letter case), and its date.
bool ParseBackupFileName(const std::string& name, TBackupDate& date);
// The backups among the names that go so that the `keep` newest remain,
// oldest first; names that are no backup's are never among them.
std::vector<std::string> BackupsToPrune(const std::vector<std::string>& names, std::size_t keep);
// "Backup" beside the macros folder: "C:\Zarvel\Macros" gives "C:\Zarvel\Backup".
std::string BackupFolderFor(const std::string& macrosDir);

// Decides when a backup is due and writes it. Not thread-safe; one owner.
class TDailyBackup {
 public:
  TDailyBackup(std::string macrosDir, unsigned codePage, std::function<TBackupDate()> today = LocalToday);

  // Writes today's backup unless one was written today (by this object, or
  // a file of today's name exists), then prunes. Returns "" when all is
  // well or nothing was due, else one line saying why there is no backup
  // (a write that failed, a text the code page cannot carry). A failure is
  // tried again at the next call.
  std::string RunIfDue();

  // Writes today's backup now, over one written earlier today, and prunes;
  // raises EFileError (or ECodePage) when it cannot. For a change that is
  // about to rewrite every category. Returns the file's path.
  std::string WriteNow();

  // The file the last successful run wrote or found; "" before one.
  const std::string& LastPath() const { return FLastPath; }

 private:
  void Write(const std::string& path, bool overWrite);

  std::string FMacrosDir;
  unsigned FCodePage;  // of an ANSI folder; a folder marked UTF-8 is exported as such
  std::function<TBackupDate()> FToday;
  TBackupDate FDone;
  std::string FLastPath;
};
