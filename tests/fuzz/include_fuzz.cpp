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

#include "FuzzFolder.h"

namespace {

TFuzzFolder gFolder("include");

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
