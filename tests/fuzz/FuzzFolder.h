#pragma once
// What the fuzz targets of files share: a folder of this process, emptied
// for every input, and whole-file reads and writes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A broken invariant ends the run, so that the fuzzer keeps the input.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

// Memory-backed when the system has it: thousands of files a second are
// written and removed.
inline std::filesystem::path FuzzTempRoot() {
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// One folder per process and target, emptied for every input.
class TFuzzFolder {
 public:
  explicit TFuzzFolder(const std::string& target)
      : FRoot(FuzzTempRoot() / ("zarvel-" + target + "-fuzz-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(FRoot);
  }
  ~TFuzzFolder() { std::filesystem::remove_all(FRoot); }
  TFuzzFolder(const TFuzzFolder&) = delete;
  TFuzzFolder& operator=(const TFuzzFolder&) = delete;

  // The folder, empty.
  std::string Fresh() const {
    std::filesystem::remove_all(FRoot);
    std::filesystem::create_directories(FRoot);
    return FRoot.string();
  }
  const std::filesystem::path& Root() const { return FRoot; }

 private:
  std::filesystem::path FRoot;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
