#pragma once
// Files of fixed-size records with no header (category files, include.dat),
// changed one record at a time: append, overwrite, or remove by moving the
// last record into the gap and cutting the file. Failures raise EFileError,
// after the file has been put back as it was where the system lets it: an
// append that fails part-way (a full disk) is cut off again, and a record
// that was being overwritten gets its old bytes back.

#include <cstddef>
#include <string>

class TOsFile;

// Writes the record at position index; a file shorter than index records is
// first padded with zero bytes up to it, so the record lands where memory
// says it is.
void WriteRecordAt(TOsFile& file, std::size_t index, const void* record, std::size_t recordSize);
void WriteRecordAt(const std::string& path, std::size_t index, const void* record,
                   std::size_t recordSize);

// Removes record index of a file of last + 1 records: lastRecord (the
// contents of record last) is written at index unless index is last, then
// the file is cut to last records.
void RemoveRecordMovingLast(TOsFile& file, std::size_t index, std::size_t last, const void* lastRecord,
                            std::size_t recordSize);
void RemoveRecordMovingLast(const std::string& path, std::size_t index, std::size_t last,
                            const void* lastRecord, std::size_t recordSize);
