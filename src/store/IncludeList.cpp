#include "store/IncludeList.h"

#include <cstdint>
#include <cstring>

#include "store/Macro.h"
#include "store/RecordFile.h"
#include "base/OsFile.h"

namespace {

struct TIncludeRecord {
  TShortString<kIncludeEntryCapacity> Entry;
};
static_assert(sizeof(TIncludeRecord) == kIncludeEntrySize, "include.dat records are 256 bytes");

TIncludeRecord MakeRecord(const std::string& entry) {
  TIncludeRecord record;
  std::memset(&record, 0, sizeof record);
  WriteShortString(record.Entry, entry);
  return record;
}

}  // namespace

TIncludeList::TIncludeList(const std::string& fileName) : FFileName(fileName) { Read(); }

void TIncludeList::Read() {
  // Read only when it exists: a write-protected list still filters shortcuts.
  TOsFile file(FFileName, FileExists(FFileName) ? omRead : omCreateNew);
  std::vector<std::string> items;
  for (;;) {
    TIncludeRecord record;
    std::size_t got = file.Read(&record, sizeof record);
    if (got == 0) break;
    if (got < sizeof record)
      throw EIncludeList("The program list \"" + FFileName + "\" is damaged: it ends inside entry " +
                         std::to_string(items.size() + 1) + ".");
    items.push_back(ReadShortString(record.Entry));
  }
  FStamp = file.Stamp();
  Items = std::move(items);
}

bool TIncludeList::Reload() {
  TFileStamp now;
  if (ReadFileStamp(FFileName, now) && now == FStamp) return false;
  std::vector<std::string> before = Items;
  Read();
  return Items != before;
}

void TIncludeList::CheckUnchanged() {
  TFileStamp now;
  if (!ReadFileStamp(FFileName, now) || now == FStamp) return;  // a missing file fails with the system's reason
  Reload();
  throw EFileError("Cannot change", FFileName,
                   "Another program has changed the program list since Zarvel read it. Zarvel has read it "
                   "again as it is now; please make your change again.");
}

void TIncludeList::Written() { ReadFileStamp(FFileName, FStamp); }

void TIncludeList::AddEntry(const std::string& entry) {
  if (entry.size() > kIncludeEntryCapacity)
    throw ETextTooLong("the program name", entry.size(), kIncludeEntryCapacity);
  CheckUnchanged();
  TIncludeRecord record = MakeRecord(entry);
  try {
    WriteRecordAt(FFileName, Items.size(), &record, sizeof record);
  } catch (...) {
    Written();
    throw;
  }
  Written();
  Items.push_back(entry);
}

void TIncludeList::RemoveEntry(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= Items.size())
    throw std::out_of_range("The program list has no entry " + std::to_string(index) + ".");
  CheckUnchanged();
  std::size_t last = Items.size() - 1;
  // The file first, so that a failure leaves memory and file alike.
  TIncludeRecord record = MakeRecord(Items[last]);
  try {
    RemoveRecordMovingLast(FFileName, index, last, &record, sizeof record);
  } catch (...) {
    Written();
    throw;
  }
  Written();
  if (static_cast<std::size_t>(index) < last) Items[index] = Items[last];
  Items.pop_back();
}

bool TIncludeList::Allows(const std::string& exeName) const {
  if (Items.empty()) return true;
  for (const std::string& entry : Items)
    if (SameFileName(entry, exeName)) return true;
  return false;
}
