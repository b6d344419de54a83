#pragma once
// The macro store: every category and macro in memory for the whole run, each
// change written through to its category file at once. One file per
// category, "<Name>.cat" in the macros folder, holding raw TMacro records.
// A change touches only what changed: one appended record, one overwritten
// record, or one moved record and a cut. No file is rewritten whole.

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include <vector>

#include "base/OsFile.h"
#include "store/Macro.h"
#include "store/StoreEncoding.h"

// Leaves new records uninitialised when the vector grows by resize(), so that
// loading does not zero 5606 bytes per record only to read over them.
template <typename T>
struct TDefaultInitAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = TDefaultInitAllocator<U>;
  };
  using std::allocator<T>::allocator;
  template <typename U>
  void construct(U* place) {
    ::new (static_cast<void*>(place)) U;
  }
  template <typename U, typename... Args>
  void construct(U* place, Args&&... args) {
    ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
  }
};
using TMacroList = std::vector<TMacro, TDefaultInitAllocator<TMacro>>;

struct TCatagory {
  std::string Name;  // also the file name without ".cat"; at most 255 characters
  TMacroList Macros;  // index = record number in the file
  // Its file could not be read at loading: memory does not mirror the file,
  // so every change to it is refused rather than written over records that
  // were never seen.
  bool LoadFailed = false;
  // The file as the store last read or wrote it; a file that no longer
  // matches was changed by another program and is never written over.
  TFileStamp Stamp;
};

// A category name that cannot be used (too long for its field).
class ECatagoryName : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Whether the store can make a file of this name: no character that Windows
// refuses in file names, refused alike on every platform so that a store
// made on Linux can be used on Windows.
bool IsValidCatagoryName(const std::string& name);

// Raises ECatagoryName (too long, or a name Windows keeps for a device such
// as CON or LPT1) or EFileError (a character no file name may hold) with a
// message that says why. Names that pass are the same on every platform.
void CheckCatagoryName(const std::string& name);

// A change refused because another program changed the category's file
// since the store last saw it; the category has been read again.
class ECatagoryChanged : public EFileError {
 public:
  explicit ECatagoryChanged(const std::string& fileName);
};

// What TCatagories::Refresh found in the folder, by category name.
struct TStoreRefresh {
  std::vector<std::string> Added;    // files that appeared
  std::vector<std::string> Removed;  // files that are gone
  std::vector<std::string> Changed;  // files another program changed, read again
  bool Any() const { return !Added.empty() || !Removed.empty() || !Changed.empty(); }
};

// Takes a category file away, raising EFileError when it cannot.
using TFileRemover = std::function<void(const std::string& path)>;

class TCatagories {
 public:
  // Loads every "*.cat" file of the folder, in the order of the directory
  // search. An absent folder gives an empty store; loading creates nothing.
  explicit TCatagories(const std::string& directory);

  const std::string& Directory() const { return FDirectory; }
  // How the folder holds its texts (see StoreEncoding.h): the titles,
  // templates and category names of a UTF-8 folder are UTF-8, those of any
  // other folder bytes in the ANSI code page. A folder whose mark names an
  // encoding this program does not know loads no category and refuses
  // every change (the reason is among the load problems).
  TStoreEncoding Encoding() const { return FEncoding; }
  std::vector<TCatagory> Items;

  // Files that could not be read at loading, with the system's reason; their
  // categories are kept (without macros) so that nothing is written over them.
  const std::vector<std::string>& LoadProblems() const { return FLoadProblems; }

  // Directory + "\" + name + ".cat"; creates the folder (one level) first
  // when it is missing, ignoring a failure.
  std::string CatagoryFileName(const std::string& name) const;

  // Every change below first checks that the category's file is as the
  // store last saw it (length and last-write time). When it is not, nothing
  // is written: the category is read again and ECatagoryChanged is raised.
  // A failed write raises EFileError and leaves memory as it was; the file
  // is put back as it was where the system allows.

  // -1 when a file of that name exists already (names compare without case).
  // Raises EFileError when the file cannot be created.
  int AddCatagory(const std::string& name);
  // Deletes the file (a failure is ignored); the last category takes its place.
  void RemoveCatagory(int catagory);
  // The file goes through removeFile; when that raises, the category stays.
  void RemoveCatagory(int catagory, const TFileRemover& removeFile);
  // Appends the record to the file, then a copy to memory; returns its index.
  int AddMacro(int catagory, const TMacro& macro);
  // Writes macro m, as it now is in memory, over its record in the file.
  void UpdateMacro(int catagory, int macro);
  // Writes value over record m, then memory takes it.
  void UpdateMacro(int catagory, int macro, const TMacro& value);
  // The last macro takes the place of the removed one, in the file and in memory.
  void RemoveMacro(int catagory, int macro);
  // Writes the category's file anew with these records (a new file put in
  // place in one step, so a failure leaves the old one whole), then memory
  // takes them.
  void ReplaceMacros(int catagory, const TMacroList& macros);

  // Brings memory in step with the folder after other programs changed it:
  // a file that appeared becomes a category at the end, a category whose
  // file is gone leaves (the others keep their order), and a category whose
  // file no longer has the stamp the store last saw is read again. Every
  // other category is left exactly as it is. A folder whose mark changed
  // (converted by another program) is read again whole. Names compare without case. A
  // category that could not be read is tried again; one that cannot be read
  // now is kept without macros and refuses changes, as at loading. The
  // store's own writes keep the stamps, so after them nothing counts as
  // changed.
  TStoreRefresh Refresh();

  // Grows with every change, so that readers can rebuild what they derive
  // from the store (the shortcut index) only when it changed.
  std::uint64_t Generation() const { return FGeneration; }

  // The first macro whose shortcut equals the word, categories in store
  // order and macros in file order; false when none has it.
  bool FindShortCut(std::uint16_t shortCut, int& catagory, int& macro) const;

  // Renaming, copying and moving. Each writes its file(s) first and checks
  // them like the changes above; memory follows only what was written.

  // The file is written under the new name, then the old file goes; a
  // change of letter case alone renames the file in place. False (nothing
  // done) when another category or file has the name. Raises
  // ECatagoryName/EFileError for a name that cannot be used, EFileError when
  // a write fails: the old name and file then stay as they were.
  bool RenameCatagory(int catagory, const std::string& newName);
  // Appends a copy of macro m to its category: title with " (copy)" behind
  // it (the title cut to make room), no shortcut. Returns the copy's index.
  int DuplicateMacro(int catagory, int macro);
  // Appends macro m to category `to`, then removes it from `from` (the last
  // macro there takes its place). Returns its index in `to`. When the
  // append fails nothing changed; when the removal fails the appended record
  // is taken out again. Should that fail too, the macro is in both files,
  // memory says so, and the EFileError raised says so.
  int MoveMacro(int from, int macro, int to);

 private:
  void LoadCatagory(const std::string& fileName);
  void ReadCatagoryFile(TCatagory& catagory);
  // Reads the category's file into it; the system's reason when it cannot.
  std::string TryReadCatagoryFile(TCatagory& catagory);
  // The category's file open for writing, once it is known unchanged.
  TOsFile OpenUnchanged(int catagory);
  // Closes the written file and notes its new stamp.
  void Written(int catagory, TOsFile& file);
  // Reads the mark and every category file.
  void LoadAll();
  // Whether the folder's mark no longer says what it said at loading.
  bool EncodingChanged() const;
  TStoreRefresh RefreshWhole();
  // A category's file name (without folder) for its name, and back; false
  // when the file's name cannot be a category name in this folder.
  std::string FileNameOf(const std::string& name) const;
  bool NameOfFile(const std::string& fileName, std::string& name) const;
  // Raises EStoreEncoding while the folder's mark is one this program does not know.
  void CheckKnownEncoding() const;
  TCatagory& At(int catagory);
  TCatagory& Writable(int catagory);
  void CheckMacroIndex(int catagory, int macro);

  std::string FDirectory;
  TStoreEncoding FEncoding = TStoreEncoding::Ansi;
  std::string FEncodingProblem;  // the unknown mark's message, or ""
  std::vector<std::string> FLoadProblems;
  std::uint64_t FGeneration = 0;
};

// The store's category of that name (names compare as file names do), or -1.
int FindCatagory(const TCatagories& store, const std::string& name);

// The title a copy of a macro gets: " (copy)" behind the original, which is
// cut so that the whole fits the title field (a UTF-8 title never inside a
// character).
std::string CopyTitle(const std::string& title, bool utf8 = false);
