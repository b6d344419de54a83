#include "base/SafeFile.h"

#include "base/OsFile.h"

namespace {

// A new file beside path; another run's leftover of the same name is not
// reused, so a number is tried until one is free.
TOsFile CreateBeside(const std::string& path, std::string& tempPath) {
  constexpr int kAttempts = 16;
  for (int attempt = 1;; ++attempt) {
    tempPath = path + ".~" + std::to_string(attempt);
    try {
      return TOsFile(tempPath, omCreateNew);
    } catch (const EFileError&) {
      if (attempt == kAttempts || !FileExists(tempPath)) throw;
    }
  }
}

}  // namespace

void ReplaceFileSafely(const std::string& path, const std::function<void(TOsFile&)>& fill) {
  std::string tempPath;
  TOsFile file = CreateBeside(path, tempPath);
  try {
    fill(file);
    file.Flush();
    file.Close();
    ReplaceFileOrFail(tempPath, path);
  } catch (...) {
    file = TOsFile();  // closed, so that it can be deleted
    DeleteOneFile(tempPath);
    throw;
  }
}

void WriteWholeFileSafely(const std::string& path, const std::string& bytes) {
  ReplaceFileSafely(path, [&](TOsFile& file) { file.Write(bytes.data(), bytes.size()); });
}

std::string ReadWholeFile(const std::string& path) {
  TOsFile file(path, omRead);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  bytes.resize(file.Read(&bytes[0], bytes.size()));
  return bytes;
}
