#include "exchange/DailyBackup.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <exception>

#include "base/OsFile.h"
#include "base/PathParts.h"
#include "base/SafeFile.h"
#include "exchange/CatagoryExchange.h"
#include "store/StoreEncoding.h"

namespace {

const char kPrefix[] = "macros-";
const char kExtension[] = ".json";

bool Digits(const std::string& text, std::size_t at, std::size_t count, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool Before(const TBackupDate& a, const TBackupDate& b) {
  if (a.Year != b.Year) return a.Year < b.Year;
  if (a.Month != b.Month) return a.Month < b.Month;
  return a.Day < b.Day;
}

}  // namespace

TBackupDate LocalToday() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return TBackupDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string BackupFileName(const TBackupDate& date) {
  char name[40];
  std::snprintf(name, sizeof name, "%s%04d-%02d-%02d%s", kPrefix, date.Year, date.Month, date.Day, kExtension);
  return name;
}

bool ParseBackupFileName(const std::string& name, TBackupDate& date) {
  // macros-YYYY-MM-DD.json
  const std::size_t length = sizeof kPrefix - 1 + 10 + sizeof kExtension - 1;
  if (name.size() != length || !SameFileName(name.substr(0, 7), kPrefix) ||
      !SameFileName(name.substr(17), kExtension) || name[11] != '-' || name[14] != '-')
    return false;
  TBackupDate read;
  if (!Digits(name, 7, 4, read.Year) || !Digits(name, 12, 2, read.Month) || !Digits(name, 15, 2, read.Day))
    return false;
  if (read.Month < 1 || read.Month > 12 || read.Day < 1 || read.Day > 31) return false;
  date = read;
  return true;
}

std::vector<std::string> BackupsToPrune(const std::vector<std::string>& names, std::size_t keep) {
  std::vector<std::pair<TBackupDate, std::string>> backups;
  for (const std::string& name : names) {
    TBackupDate date;
    if (ParseBackupFileName(name, date)) backups.emplace_back(date, name);
  }
  std::sort(backups.begin(), backups.end(), [](const auto& a, const auto& b) {
    return Before(a.first, b.first) || (a.first == b.first && a.second < b.second);
  });
  std::vector<std::string> prune;
  for (std::size_t i = 0; i + keep < backups.size(); ++i) prune.push_back(backups[i].second);
  return prune;
}

std::string BackupFolderFor(const std::string& macrosDir) {
  return PathJoin(FolderOfPath(WithoutTrailingSeparator(macrosDir)), "Backup");
}

TDailyBackup::TDailyBackup(std::string macrosDir, unsigned codePage, std::function<TBackupDate()> today)
    : FMacrosDir(std::move(macrosDir)), FCodePage(codePage), FToday(std::move(today)) {}

std::string TDailyBackup::RunIfDue() {
  const TBackupDate today = FToday();
  // Without a macros folder there is nothing to keep, and an empty backup
  // must not push out the ones that hold macros.
  if (today == FDone || !DirectoryExists(FMacrosDir)) return std::string();
  const std::string path = PathJoin(BackupFolderFor(FMacrosDir), BackupFileName(today));
  try {
    Write(path, false);
  } catch (const EFileError& error) {
    // The system's reason alone: the line has to fit the tray icon's tip.
    return "No backup today: " + error.OsText();
  } catch (const std::exception& error) {
    return std::string("No backup today: ") + error.what();
  }
  FDone = today;
  FLastPath = path;
  return std::string();
}

std::string TDailyBackup::WriteNow() {
  const TBackupDate today = FToday();
  const std::string path = PathJoin(BackupFolderFor(FMacrosDir), BackupFileName(today));
  Write(path, true);
  FDone = today;
  FLastPath = path;
  return path;
}

void TDailyBackup::Write(const std::string& path, bool overWrite) {
  const std::string folder = BackupFolderFor(FMacrosDir);
  if (overWrite || !FileExists(path)) {
    // The files as they are now, read apart from the program's own store,
    // so that the backup never waits for (or holds up) its owner.
    TCatagories store(FMacrosDir);
    unsigned codePage = StoreCodePage(ReadStoreEncoding(FMacrosDir), FCodePage);
    std::string text = ExportText(store, -1, codePage);
    if (!DirectoryExists(folder) && !CreateOneDirectory(folder))
      throw EFileError("Cannot create", folder, LastOsErrorText());
    WriteWholeFileSafely(path, text);
  }
  for (const std::string& old : BackupsToPrune(FindFilesWithExtension(folder, kExtension), kBackupsKept))
    DeleteOneFile(PathJoin(folder, old));
}
