#pragma once
// The one place where the store and the helpers touch the operating system's
// files. Two implementations: OsFile_win.cpp (Win32) and OsFile_posix.cpp.
// Names compare as Windows compares file names, without regard to case, on
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

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// One level; false on failure (the caller decides whether that matters).
bool CreateOneDirectory(const std::string& path);
bool DeleteOneFile(const std::string& path);
// Raises EFileError with the system's text.
void DeleteFileOrFail(const std::string& path);

// Whether both paths name one existing file, however each is written
// (letter case, "..", a short name, a hard or symbolic link, letters
// outside ASCII): the file system is asked for each file's identity, the
// volume and file index on Windows, the device and inode on Linux. False
// when either cannot be opened. Paths are in the ANSI code page on Windows.
bool SameFile(const std::string& a, const std::string& b);

// Puts `replacement` in the place of `target` in one step, so that a reader
// finds the old file or the new one and never a part; `replacement` is gone
// afterwards. Both must be on one volume. Raises EFileError.
void ReplaceFileWith(const std::string& replacement, const std::string& target);

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

// The full path of the running program file.
std::string RunningProgramPath();

// The operating system's text for the last error of this thread.
std::string LastOsErrorText();

// Whether two names are equal the way file names compare (ASCII case-blind).
bool SameFileName(const std::string& a, const std::string& b);
