#include "store/RecordFile.h"

#include <cstdint>
#include <vector>

#include "base/OsFile.h"

namespace {

std::int64_t Offset(std::size_t index, std::size_t recordSize) {
  return static_cast<std::int64_t>(index) * static_cast<std::int64_t>(recordSize);
}

void PadTo(TOsFile& file, std::int64_t end) {
  std::int64_t size = file.Size();
  if (size >= end) return;
  std::vector<char> zeros(static_cast<std::size_t>(end - size), 0);
  file.Seek(size);
  file.Write(zeros.data(), zeros.size());
}

}  // namespace

void WriteRecordAt(const std::string& path, std::size_t index, const void* record,
                   std::size_t recordSize) {
  TOsFile file(path, omReadWrite);
  PadTo(file, Offset(index, recordSize));
  file.Seek(Offset(index, recordSize));
  file.Write(record, recordSize);
  file.Close();
}

void RemoveRecordMovingLast(const std::string& path, std::size_t index, std::size_t last,
                            const void* lastRecord, std::size_t recordSize) {
  TOsFile file(path, omReadWrite);
  if (index < last) {
    file.Seek(Offset(index, recordSize));
    file.Write(lastRecord, recordSize);
  }
  file.Seek(Offset(last, recordSize));
  file.Truncate();
  file.Close();
}
