#include "resident/IncludeSnapshot.h"

#include <atomic>
#include <utility>

#include "base/OsFile.h"

TIncludeSnapshot::TIncludeSnapshot() : TIncludeSnapshot(std::vector<std::string>()) {}

TIncludeSnapshot::TIncludeSnapshot(std::vector<std::string> entries)
    : FEntries(std::make_shared<const std::vector<std::string>>(std::move(entries))) {}

void TIncludeSnapshot::Publish(std::vector<std::string> entries) {
  std::atomic_store(&FEntries, TIncludeEntries(std::make_shared<const std::vector<std::string>>(std::move(entries))));
}

bool TIncludeSnapshot::PublishIfChanged(const std::vector<std::string>& entries) {
  if (*Current() == entries) return false;
  Publish(entries);
  return true;
}

TIncludeEntries TIncludeSnapshot::Current() const { return std::atomic_load(&FEntries); }

bool IncludeEntriesAllow(const std::vector<std::string>& entries, const std::string& exeName) {
  if (entries.empty()) return true;
  for (const std::string& entry : entries)
    if (SameFileName(entry, exeName)) return true;
  return false;
}
