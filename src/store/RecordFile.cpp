#include "store/RecordFile.h"

#include <algorithm>
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

// What the file holds from position on, at most count bytes.
std::vector<char> BytesAt(TOsFile& file, std::int64_t position, std::size_t count) {
  std::vector<char> bytes(count);
  file.Seek(position);
  bytes.resize(file.Read(bytes.data(), count));
  return bytes;
}

// After a failed write: the old bytes go back at position and the file is
// cut to its old length. Best effort; the first failure is the one reported.
void PutBack(TOsFile& file, std::int64_t position, const std::vector<char>& old, std::int64_t oldSize) {
  try {
    if (!old.empty()) {
      file.Seek(position);
      file.Write(old.data(), old.size());
    }
    if (file.Size() > oldSize) {
      file.Seek(oldSize);
      file.Truncate();
    }
  } catch (const EFileError&) {
  }
}

}  // namespace

void WriteRecordAt(TOsFile& file, std::size_t index, const void* record, std::size_t recordSize) {
  std::int64_t position = Offset(index, recordSize);
  std::int64_t oldSize = file.Size();
  std::vector<char> old;
  if (position < oldSize)
    old = BytesAt(file, position, static_cast<std::size_t>(std::min<std::int64_t>(oldSize - position, recordSize)));
  try {
    PadTo(file, position);
    file.Seek(position);
    file.Write(record, recordSize);
  } catch (const EFileError&) {
    PutBack(file, position, old, oldSize);
    throw;
  }
}

void WriteRecordAt(const std::string& path, std::size_t index, const void* record,
                   std::size_t recordSize) {
  TOsFile file(path, omReadWrite);
  WriteRecordAt(file, index, record, recordSize);
  file.Close();
}

void RemoveRecordMovingLast(TOsFile& file, std::size_t index, std::size_t last, const void* lastRecord,
                            std::size_t recordSize) {
  std::int64_t position = Offset(index, recordSize);
  std::int64_t oldSize = file.Size();
  std::vector<char> old;
  if (index < last) old = BytesAt(file, position, recordSize);
  try {
    if (index < last) {
      file.Seek(position);
      file.Write(lastRecord, recordSize);
    }
    file.Seek(Offset(last, recordSize));
    file.Truncate();
  } catch (const EFileError&) {
    // Half a moved record, or the moved record twice when the cut failed:
    // the removed record comes back instead.
    PutBack(file, position, old, oldSize);
    throw;
  }
}

void RemoveRecordMovingLast(const std::string& path, std::size_t index, std::size_t last,
                            const void* lastRecord, std::size_t recordSize) {
  TOsFile file(path, omReadWrite);
  RemoveRecordMovingLast(file, index, last, lastRecord, recordSize);
  file.Close();
}
