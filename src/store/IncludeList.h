#pragma once
// The include list: the programs (executable file names such as edit.exe) in
// which shortcuts act; empty means every program. Kept in include.dat as
// 256-byte records (a length byte and 255 characters), written through at
// every change.

#include <stdexcept>
#include <string>
#include <vector>

#include "base/OsFile.h"

constexpr std::size_t kIncludeEntrySize = 256;
constexpr std::size_t kIncludeEntryCapacity = 255;

// include.dat cannot be used at start-up; the program does not stay resident.
class EIncludeList : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIncludeList {
 public:
  // Loads the file, creating it empty when it does not exist. Raises
  // EFileError or EIncludeList when it cannot be created or read, or when it
  // ends inside a record.
  explicit TIncludeList(const std::string& fileName);

  const std::string& FileName() const { return FFileName; }
  std::vector<std::string> Items;

  // Reads the file again when it is no longer as the list last read or
  // wrote it (another program changed it); true when the entries differ
  // now. A file that cannot be read raises as at loading and leaves the
  // entries as they were.
  bool Reload();

  // Both changes first check that the file is as the list last saw it; when
  // it is not, nothing is written: the list is read again and EFileError
  // says so.
  // Appends to the file, then to memory. Duplicates are allowed. Raises
  // ETextTooLong for names longer than 255 characters.
  void AddEntry(const std::string& entry);
  // The last entry takes the place of the removed one, in the file and in memory.
  void RemoveEntry(int index);

  // Whether shortcuts act in the program with this executable file name:
  // always for an empty list, else when an entry equals it without regard
  // to case (file names compare that way).
  bool Allows(const std::string& exeName) const;

 private:
  void Read();
  void CheckUnchanged();
  void Written();

  std::string FFileName;
  TFileStamp FStamp;
};
