#pragma once
// A fresh folder for one test, removed afterwards; with small helpers to
// read and write whole files as bytes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

// Root writes to any write-protected file on Linux; the immutable flag stops
// root too, so write-protection tests also run where CI runs as root.
inline void SetImmutable(const std::string& path, bool on) {
#ifndef _WIN32
  if (::geteuid() != 0) return;
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return;
  int flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  ::close(fd);
#else
  (void)path;
  (void)on;
#endif
}

class TTempFolder {
 public:
  TTempFolder() {
    std::random_device seed;
    FPath = std::filesystem::temp_directory_path() /
            ("zarvel-test-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::create_directories(FPath);
  }
  ~TTempFolder() {
    std::error_code ignored;
    RestoreWritable(FPath);
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::string Path() const { return FPath.string(); }
  std::string File(const std::string& name) const { return (FPath / name).string(); }

 private:
  static void RestoreWritable(const std::filesystem::path& root) {
    std::error_code ignored;
    std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    for (auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
      SetImmutable(entry.path().string(), false);
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::path FPath;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void MakeReadOnly(const std::string& path) {
  std::filesystem::permissions(path,
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  SetImmutable(path, true);
}

// Whether this platform and user really refuse to write a write-protected
// file (root on Linux writes anyway; such tests are skipped there).
inline bool ReadOnlyIsEnforced(const TTempFolder& folder) {
  std::string probe = folder.File("probe.readonly");
  WriteBytes(probe, "x");
  MakeReadOnly(probe);
  bool refused = !std::ofstream(probe, std::ios::binary | std::ios::app).is_open();
  SetImmutable(probe, false);
  std::filesystem::permissions(probe, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  std::filesystem::remove(probe);
  return refused;
}
