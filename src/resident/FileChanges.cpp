#include "resident/FileChanges.h"

#include <algorithm>

#include "base/OsFile.h"

unsigned WatchedFileOf(const std::string& relativePath) {
  std::size_t end = relativePath.find_first_of("\\/");
  std::string first = relativePath.substr(0, end);
  if (SameFileName(first, "Macros")) return wfMacros;
  if (end != std::string::npos) return 0;
  if (SameFileName(first, "include.dat")) return wfInclude;
  if (SameFileName(first, "zarvel.ini")) return wfSettings;
  return 0;
}

void TChangeBatch::Note(unsigned files, TClock::time_point now) {
  if (files == 0) return;
  if (FFiles == 0) FFirst = now;
  FFiles |= files;
  FLast = now;
}

std::chrono::milliseconds TChangeBatch::Wait(TClock::time_point now) const {
  if (FFiles == 0) return std::chrono::milliseconds(0);
  TClock::time_point due = std::min(FLast + FQuiet, FFirst + FLongest);
  if (due <= now) return std::chrono::milliseconds(0);
  // Rounded up, so that a wait never ends just before the batch is due.
  return std::chrono::ceil<std::chrono::milliseconds>(due - now);
}

unsigned TChangeBatch::Take() {
  unsigned files = FFiles;
  FFiles = 0;
  return files;
}
