#include <windows.h>

#include "base/OsFile.h"
#include "base/WideText_win.h"

namespace {

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

DWORD CreationDisposition(TOpenMode mode) {
  switch (mode) {
    case omRead:
    case omReadWrite: return OPEN_EXISTING;
    case omCreate: return CREATE_ALWAYS;
    case omCreateNew: return CREATE_NEW;
  }
  return OPEN_EXISTING;
}

// The path as the wide calls take it: paths in this program are UTF-8.
std::wstring WidePath(const std::string& path) { return WideFromUtf8(path); }

// Volume serial number and file index; false when the file cannot be opened.
// No access is asked for, and every kind of sharing allowed, so a file
// another program holds open is still recognised.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return false;
  HANDLE file = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(file, &info) != 0;
  ::CloseHandle(file);
  return known;
}

std::int64_t Join(DWORD high, DWORD low) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

bool EndsWithNoCase(const std::string& name, const std::string& tail) {
  return name.size() >= tail.size() && SameFileName(name.substr(name.size() - tail.size()), tail);
}

}  // namespace

TOsFile::TOsFile(const std::string& path, TOpenMode mode) : FPath(path) {
  DWORD access = mode == omRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  // Others may read while we write, as a plain file open of the runtime allows.
  FHandle = ::CreateFileW(WidePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          CreationDisposition(mode), FILE_ATTRIBUTE_NORMAL, nullptr);
  if (AsHandle(FHandle) == INVALID_HANDLE_VALUE) Fail("Cannot open");
}

TOsFile::~TOsFile() {
  if (IsOpen()) ::CloseHandle(AsHandle(FHandle));
}

bool TOsFile::IsOpen() const { return AsHandle(FHandle) != INVALID_HANDLE_VALUE; }

std::int64_t TOsFile::Size() const {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(AsHandle(FHandle), &size)) Fail("Cannot read the size of");
  return size.QuadPart;
}

void TOsFile::Seek(std::int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  if (!::SetFilePointerEx(AsHandle(FHandle), to, nullptr, FILE_BEGIN)) Fail("Cannot seek in");
}

std::size_t TOsFile::Read(void* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    DWORD chunk = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
    DWORD got = 0;
    if (!::ReadFile(AsHandle(FHandle), static_cast<char*>(buffer) + done, chunk, &got, nullptr))
      Fail("Cannot read");
    if (got == 0) break;
    done += got;
  }
  return done;
}

void TOsFile::Write(const void* buffer, std::size_t count) {
  std::size_t allowed = 0;
  if (TakeInjectedWriteFault(count, allowed)) {
    if (allowed > 0) Write(buffer, allowed);
    ::SetLastError(ERROR_DISK_FULL);
    Fail("Cannot write");
  }
  std::size_t done = 0;
  while (done < count) {
    DWORD chunk = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
    DWORD put = 0;
    if (!::WriteFile(AsHandle(FHandle), static_cast<const char*>(buffer) + done, chunk, &put,
                     nullptr) ||
        put == 0)
      Fail("Cannot write");
    done += put;
  }
}

void TOsFile::Truncate() {
  if (!::SetEndOfFile(AsHandle(FHandle))) Fail("Cannot shorten");
}

void TOsFile::Flush() {
  if (!::FlushFileBuffers(AsHandle(FHandle))) Fail("Cannot write");
}

TFileStamp TOsFile::Stamp() const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(AsHandle(FHandle), &info)) Fail("Cannot read the size of");
  TFileStamp stamp;
  stamp.Size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  stamp.WriteTime = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  return stamp;
}

void TOsFile::Close() {
  if (!IsOpen()) return;
  HANDLE handle = AsHandle(FHandle);
  FHandle = INVALID_HANDLE_VALUE;
  if (!::CloseHandle(handle)) Fail("Cannot close");
}

char PathSeparator() { return '\\'; }

bool FileExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateOneDirectory(const std::string& path) {
  return ::CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

bool DeleteOneFile(const std::string& path) { return ::DeleteFileW(WidePath(path).c_str()) != 0; }

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return FileIdentity(a, first) && FileIdentity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

void ReplaceFileOrFail(const std::string& from, const std::string& to) {
  if (!::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw EFileError("Cannot replace", to, LastOsErrorText());
}

bool ReadFileStamp(const std::string& path, TFileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  stamp.Size = Join(data.nFileSizeHigh, data.nFileSizeLow);
  stamp.WriteTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  return true;
}

std::vector<std::string> FindFilesWithExtension(const std::string& dir,
                                                const std::string& extension) {
  std::vector<std::string> names;
  std::string pattern = WithoutTrailingSeparator(dir) + "\\*" + extension;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(WidePath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = Utf8FromWide(found.cFileName);
    // The search also matches through short 8.3 names ("notes.catalog" is
    // NOTES~1.CAT), so the long name is checked again.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithNoCase(name, extension))
      names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::string ResolveInDirectory(const std::string& dir, const std::string& name) {
  return PathJoin(dir, name);  // the file system itself ignores case
}

std::string LastOsErrorText() {
  DWORD code = ::GetLastError();
  wchar_t* text = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  // UTF-8 like the paths it is shown with, whatever the system's language.
  std::string message = length && text ? Utf8FromWide(std::wstring(text, length)) : "";
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  if (message.empty()) message = "System error " + std::to_string(code) + ".";
  return message;
}

std::string TemporaryFolder() {
  // The folder's path may be longer than MAX_PATH on systems that allow it.
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int tries = 0; tries < 3; ++tries) {
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
    if (length == 0) return ".\\";
    if (length < buffer.size()) return Utf8FromWide(buffer.substr(0, length));
    buffer.assign(length + 1, L'\0');
  }
  return ".\\";
}

std::string RunningProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) return Utf8FromWide(buffer.substr(0, length));
    buffer.assign(buffer.size() * 2, L'\0');  // a long path was cut: try a larger buffer
  }
}

std::string PathNameFromAnsi(const std::string& ansi) { return Utf8FromWide(WideFromAnsi(ansi)); }

bool AnsiFromPathName(const std::string& name, std::string& ansi) {
  const std::wstring wide = WideFromUtf8(name);
  ansi.clear();
  if (wide.empty()) return name.empty();
  BOOL lost = FALSE;
  const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lost);
  if (length <= 0 || lost) return false;
  ansi.assign(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0], length,
                        nullptr, nullptr);
  return PathNameFromAnsi(ansi) == name;
}
