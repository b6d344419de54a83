#include "base/OsFile.h"

#include <atomic>

namespace {

std::atomic<int> GWritesToFailure{0};
std::atomic<std::size_t> GWrittenBeforeFailure{0};

}  // namespace

EFileError::EFileError(const std::string& action, const std::string& fileName,
                       const std::string& osText)
    : std::runtime_error(action + " \"" + fileName + "\": " + osText),
      FFileName(fileName),
      FOsText(osText) {}

TOsFile::TOsFile(TOsFile&& other) noexcept : FPath(std::move(other.FPath)), FHandle(other.FHandle) {
  other.FHandle = TOsFile().FHandle;
}

TOsFile& TOsFile::operator=(TOsFile&& other) noexcept {
  if (this != &other) {
    TOsFile old(std::move(*this));  // closes what this held
    FPath = std::move(other.FPath);
    FHandle = other.FHandle;
    other.FHandle = TOsFile().FHandle;
  }
  return *this;
}

bool TOsFile::TryOpen(const std::string& path, TOpenMode mode, TOsFile& file) {
  try {
    file = TOsFile(path, mode);
    return true;
  } catch (const EFileError&) {
    return false;
  }
}

void TOsFile::Fail(const char* action) const { throw EFileError(action, FPath, LastOsErrorText()); }

std::string PathJoin(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  char last = dir.back();
  if (last == '/' || last == PathSeparator()) return dir + name;
  return dir + PathSeparator() + name;
}

std::string WithoutTrailingSeparator(const std::string& dir) {
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) return dir.substr(0, dir.size() - 1);
  return dir;
}

void DeleteFileOrFail(const std::string& path) {
  if (!DeleteOneFile(path)) throw EFileError("Cannot delete", path, LastOsErrorText());
}

bool SameFileName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

void FailNthWriteForTests(int nth, std::size_t written) {
  GWrittenBeforeFailure = written;
  GWritesToFailure = nth;
}

bool TakeInjectedWriteFault(std::size_t count, std::size_t& written) {
  int left = GWritesToFailure.load();
  while (left > 0 && !GWritesToFailure.compare_exchange_weak(left, left - 1)) {
  }
  if (left != 1) return false;
  written = GWrittenBeforeFailure < count ? GWrittenBeforeFailure.load() : count;
  return true;
}
