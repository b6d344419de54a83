#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/OsFile.h"

namespace {

int OpenFlags(TOpenMode mode) {
  switch (mode) {
    case omRead: return O_RDONLY;
    case omReadWrite: return O_RDWR;
    case omCreate: return O_RDWR | O_CREAT | O_TRUNC;
    case omCreateNew: return O_RDWR | O_CREAT | O_EXCL;
  }
  return O_RDONLY;
}

bool EndsWithNoCase(const std::string& name, const std::string& tail) {
  return name.size() >= tail.size() && SameFileName(name.substr(name.size() - tail.size()), tail);
}

TFileStamp StampOf(const struct stat& info) {
  TFileStamp stamp;
  stamp.Size = info.st_size;
  stamp.WriteTime = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

TOsFile::TOsFile(const std::string& path, TOpenMode mode) : FPath(path) {
  FHandle = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
  if (FHandle < 0) Fail("Cannot open");
  struct stat info;
  if (::fstat(FHandle, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(FHandle);
    FHandle = -1;
    errno = EISDIR;
    Fail("Cannot open");
  }
}

TOsFile::~TOsFile() {
  if (FHandle >= 0) ::close(FHandle);
}

bool TOsFile::IsOpen() const { return FHandle >= 0; }

std::int64_t TOsFile::Size() const {
  struct stat info;
  if (::fstat(FHandle, &info) != 0) Fail("Cannot read the size of");
  return info.st_size;
}

void TOsFile::Seek(std::int64_t position) {
  if (::lseek(FHandle, position, SEEK_SET) < 0) Fail("Cannot seek in");
}

std::size_t TOsFile::Read(void* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t got = ::read(FHandle, static_cast<char*>(buffer) + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("Cannot read");
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void TOsFile::Write(const void* buffer, std::size_t count) {
  std::size_t allowed = 0;
  if (TakeInjectedWriteFault(count, allowed)) {
    if (allowed > 0) Write(buffer, allowed);
    errno = ENOSPC;
    Fail("Cannot write");
  }
  std::size_t done = 0;
  while (done < count) {
    ssize_t put = ::write(FHandle, static_cast<const char*>(buffer) + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) Fail("Cannot write");
    done += static_cast<std::size_t>(put);
  }
}

void TOsFile::Truncate() {
  off_t position = ::lseek(FHandle, 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(FHandle, position) != 0) Fail("Cannot shorten");
}

void TOsFile::Flush() {
  if (::fsync(FHandle) != 0) Fail("Cannot write");
}

TFileStamp TOsFile::Stamp() const {
  struct stat info;
  if (::fstat(FHandle, &info) != 0) Fail("Cannot read the size of");
  return StampOf(info);
}

void TOsFile::Close() {
  if (FHandle < 0) return;
  int handle = FHandle;
  FHandle = -1;
  if (::close(handle) != 0) Fail("Cannot close");
}

char PathSeparator() { return '/'; }

bool FileExists(const std::string& path) { return IsRegularFile(path); }

bool DirectoryExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateOneDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool DeleteOneFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void ReplaceFileOrFail(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw EFileError("Cannot replace", to, LastOsErrorText());
  // The new name is on the disk only once its folder is.
  std::string folder = to.substr(0, to.rfind('/') == std::string::npos ? 0 : to.rfind('/'));
  int handle = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle >= 0) {
    ::fsync(handle);
    ::close(handle);
  }
}

bool ReadFileStamp(const std::string& path, TFileStamp& stamp) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  stamp = StampOf(info);
  return true;
}

std::vector<std::string> FindFilesWithExtension(const std::string& dir,
                                                const std::string& extension) {
  std::vector<std::string> names;
  std::string folder = WithoutTrailingSeparator(dir);
  DIR* handle = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!handle) return names;
  while (const dirent* entry = ::readdir(handle)) {
    std::string name = entry->d_name;
    if (EndsWithNoCase(name, extension) && IsRegularFile(PathJoin(folder, name)))
      names.push_back(name);
  }
  ::closedir(handle);
  return names;
}

std::string ResolveInDirectory(const std::string& dir, const std::string& name) {
  std::string exact = PathJoin(dir, name);
  if (::access(exact.c_str(), F_OK) == 0) return exact;
  std::string folder = WithoutTrailingSeparator(dir);
  std::string found = exact;
  if (DIR* handle = ::opendir(folder.empty() ? "." : folder.c_str())) {
    while (const dirent* entry = ::readdir(handle)) {
      if (SameFileName(entry->d_name, name)) {
        found = PathJoin(dir, entry->d_name);
        break;
      }
    }
    ::closedir(handle);
  }
  return found;
}

std::string LastOsErrorText() { return std::strerror(errno); }

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  return path.back() == '/' ? path : path + '/';
}

std::string RunningProgramPath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<std::size_t>(length) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

std::string PathNameFromAnsi(const std::string& ansi) { return ansi; }

bool AnsiFromPathName(const std::string& name, std::string& ansi) {
  ansi = name;
  return true;
}
