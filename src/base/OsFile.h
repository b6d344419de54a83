#pragma once
// The one place where the store and the helpers touch the operating system's
// files. Two implementations: OsFile_win.cpp (Win32) and OsFile_posix.cpp.
// Paths are UTF-8. Names compare as Windows compares file names, without regard to case, on
// every platform, so the store behaves the same in the Linux build.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A failed file operation: the operating system's own error text plus the
// file name, e.g. Cannot write "C:\Zarvel\Macros\Web.cat": Access is denied.
class EFileError : public std::runtime_error {
 public:
  EFileError(const std::string& action, const std::string& fileName, const std::string& osText);
  const std::string& FileName() const { return FFileName; }
  const std::string& OsText() const { return FOsText; }

 private:
  std::string FFileName;
  std::string FOsText;
};

// What tells whether a file was changed since it was last seen: its length
// and last-write time in the system's own units.
struct TFileStamp {
  std::int64_t Size = -1;
  std::int64_t WriteTime = 0;
  bool operator==(const TFileStamp& other) const {
    return Size == other.Size && WriteTime == other.WriteTime;
  }
  bool operator!=(const TFileStamp& other) const { return !(*this == other); }
};

enum TOpenMode {
  omRead,        // existing file, read only
  omReadWrite,   // existing file, read and write, nothing truncated
  omCreate,      // new empty file, or an existing one truncated
  omCreateNew,   // new empty file; fails when one exists
};

// An open file; closes itself. Every failure raises EFileError.
class TOsFile {
 public:
  TOsFile() = default;
  TOsFile(const std::string& path, TOpenMode mode);
  TOsFile(TOsFile&& other) noexcept;
  TOsFile& operator=(TOsFile&& other) noexcept;
  TOsFile(const TOsFile&) = delete;
  TOsFile& operator=(const TOsFile&) = delete;
  ~TOsFile();

  // Opens without raising; false when the file cannot be opened.
  static bool TryOpen(const std::string& path, TOpenMode mode, TOsFile& file);

  bool IsOpen() const;
  std::int64_t Size() const;
  void Seek(std::int64_t position);
  // Reads up to count bytes; fewer only at the end of the file.
  std::size_t Read(void* buffer, std::size_t count);
  void Write(const void* buffer, std::size_t count);
  // Cuts the file at the current position.
  void Truncate();
  // Asks the system to put what was written on the disk before returning.
  void Flush();
  // Length and last-write time as the system now reports them.
  TFileStamp Stamp() const;
  // Closes and reports a failure of the close itself.
  void Close();
  const std::string& Path() const { return FPath; }

 private:
  [[noreturn]] void Fail(const char* action) const;
  std::string FPath;
#ifdef _WIN32
  void* FHandle = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int FHandle = -1;
#endif
};

char PathSeparator();
// dir + separator + name, without doubling a separator dir already ends with.
std::string PathJoin(const std::string& dir, const std::string& name);
// The folder path with one trailing "\" or "/" removed.
std::string WithoutTrailingSeparator(const std::string& dir);

// The stamp of an existing plain file; false when there is none (absent,
// a folder, or not reachable).
bool ReadFileStamp(const std::string& path, TFileStamp& stamp);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// One level; false on failure (the caller decides whether that matters).
bool CreateOneDirectory(const std::string& path);
bool DeleteOneFile(const std::string& path);
// Raises EFileError with the system's text.
void DeleteFileOrFail(const std::string& path);
// Puts the file from in the place of the file to (which may exist), on the
// same volume, in one step that the disk has taken before it returns.
// Raises EFileError with the system's text; to is then untouched.
void ReplaceFileOrFail(const std::string& from, const std::string& to);

// Whether both paths name one existing file, however each is written
// (letter case, "..", a short name, a hard or symbolic link, letters
// outside ASCII): the file system is asked for each file's identity, the
// volume and file index on Windows, the device and inode on Linux. False
// when either cannot be opened.
bool SameFile(const std::string& a, const std::string& b);

// The names (not paths) of the files in dir whose name ends with extension
// (".cat"), compared without case, in the order the system's search gives.
// An absent folder gives no names.
std::vector<std::string> FindFilesWithExtension(const std::string& dir,
                                                const std::string& extension);

// The path under which dir holds name: the existing entry whose name equals
// name without regard to case, or dir joined with name when there is none.
// (Windows does this itself; on Linux it keeps file names case-blind.)
std::string ResolveInDirectory(const std::string& dir, const std::string& name);

// The user's folder for temporary files, ending with a separator: what
// GetTempPath gives on Windows, $TMPDIR or /tmp/ on Linux.
std::string TemporaryFolder();

// The full path of the running program file, however long, in UTF-8.
std::string RunningProgramPath();

// Paths are UTF-8 on every platform (Windows turns them into UTF-16 at each
// call). Names that the macro files keep as their texts, a category's name
// above all, are in the ANSI code page on Windows; these convert a name
// between the two forms. Linux keeps the bytes as they are.
std::string PathNameFromAnsi(const std::string& ansi);
// False when the name holds a character the ANSI code page cannot hold.
bool AnsiFromPathName(const std::string& name, std::string& ansi);

// The operating system's text for the last error of this thread.
std::string LastOsErrorText();

// Whether two names are equal the way file names compare (ASCII case-blind).
bool SameFileName(const std::string& a, const std::string& b);

// For tests: the nth TOsFile::Write from now (1 is the next) puts only its
// first `written` bytes and then fails as on a full disk; nth 0 turns this
// off. Counts writes of every thread.
void FailNthWriteForTests(int nth, std::size_t written);
// Used by the implementations of Write: true when this write is the one to
// fail, with how many of its bytes still go to the file.
bool TakeInjectedWriteFault(std::size_t count, std::size_t& written);
