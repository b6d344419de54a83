// include.dat as it comes from outside: the input is the whole file. A file
// that ends inside a record is refused with EIncludeList and nothing else;
// any other loads one entry per 256-byte record, each within its 255
// characters, leaves the file as it was, lets its own programs through, and
// its entries written to a new list load back the same.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "store/IncludeList.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Memory-backed when the system has it: thousands of files a second are
// written and removed.
std::filesystem::path FuzzTempRoot() {
  std::error_code error;
  if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
  return std::filesystem::temp_directory_path();
}

// One folder per process, emptied for every input.
struct TFuzzFolder {
  std::filesystem::path Root = FuzzTempRoot() /
                               ("zarvel-include-fuzz-" + std::to_string(::getpid()));
  TFuzzFolder() { std::filesystem::remove_all(Root); }
  ~TFuzzFolder() { std::filesystem::remove_all(Root); }
  std::string Fresh() const {
    std::filesystem::remove_all(Root);
    std::filesystem::create_directories(Root);
    return Root.string();
  }
} gFolder;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * kIncludeEntrySize) return 0;
  const std::string folder = gFolder.Fresh();
  const std::string file = folder + "/include.dat";
  const std::string original(reinterpret_cast<const char*>(data), size);
  std::ofstream(file, std::ios::binary) << original;

  bool refused = false;
  try {
    TIncludeList list(file);
    Check(list.Items.size() == size / kIncludeEntrySize);
    for (std::size_t i = 0; i < list.Items.size(); ++i) {
      const std::string& entry = list.Items[i];
      const unsigned char length = data[i * kIncludeEntrySize];
      Check(entry.size() <= kIncludeEntryCapacity);
      Check(entry == original.substr(i * kIncludeEntrySize + 1, length));
      Check(list.Allows(entry));
    }
    if (list.Items.empty()) Check(list.Allows("any.exe"));

    TIncludeList copy(folder + "/copy.dat");
    for (const std::string& entry : list.Items) copy.AddEntry(entry);
    Check(TIncludeList(folder + "/copy.dat").Items == list.Items);
  } catch (const EIncludeList&) {
    refused = true;
  }
  Check(refused == (size % kIncludeEntrySize != 0));
  Check(ReadAll(file) == original);  // loading, or refusing, writes nothing
  return 0;
}
