// Category files as they come from outside: the input is the whole of one
// "Fuzz.cat" in a macros folder of this process. Loading must keep memory
// and file in step: the records in memory are the file's bytes (a final
// partial record padded with zeros), loading changes nothing on disk, every
// field reads within its record, and a loaded record written back through
// the store gives the same bytes again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/OsFile.h"
#include "store/Catagories.h"
#include "store/ShortCut.h"

#include "FuzzFolder.h"

namespace {

TFuzzFolder gFolder("catagories");

// Every reader of a record's fields, which must stay inside the record.
void ReadEveryField(const TMacro& macro) {
  Check(GetTitle(macro).size() <= kTitleCapacity);
  for (int field = 0; field < kMacroTextCount; ++field) {
    const TMacroText text = static_cast<TMacroText>(field);
    Check(GetMacroText(macro, text).size() <= (field < kTextBufferCount ? kTextBufferSize : kReplaceCapacity));
  }
  MacroTypeName(macro.MacroType);
  MacroTypeToIndex(macro.MacroType);
  ShortCutText(macro.ShortCut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A few records are enough to reach every path; more only slows the run.
  if (size > 4 * kMacroRecordSize) return 0;
  const std::string folder = gFolder.Fresh();
  const std::string file = folder + "/Fuzz.cat";
  WriteAll(file, data, size);
  const std::string original(reinterpret_cast<const char*>(data), size);

  TCatagories store(folder);
  Check(store.Items.size() == 1 && store.LoadProblems().empty());
  TCatagory& catagory = store.Items[0];
  Check(catagory.Name == "Fuzz" && !catagory.LoadFailed);
  Check(catagory.Macros.size() == (size + kMacroRecordSize - 1) / kMacroRecordSize);
  std::string padded = original;
  padded.resize(catagory.Macros.size() * kMacroRecordSize, '\0');
  Check(padded.empty() || std::memcmp(catagory.Macros.data(), padded.data(), padded.size()) == 0);
  Check(ReadAll(file) == original);  // loading writes nothing

  for (const TMacro& macro : catagory.Macros) ReadEveryField(macro);

  // Every record written back as it is: the file becomes the padded image.
  for (std::size_t m = 0; m < catagory.Macros.size(); ++m) store.UpdateMacro(0, static_cast<int>(m));
  Check(ReadAll(file) == padded);

  // A copy of every record in a new category loads back byte for byte.
  if (!catagory.Macros.empty()) {
    const TMacroList loaded = store.Items[0].Macros;
    const int copy = store.AddCatagory("Copy");
    Check(copy == 1);
    for (const TMacro& macro : loaded) store.AddMacro(copy, macro);
    TCatagories again(folder);
    Check(again.Items.size() == 2);
    for (const TCatagory& item : again.Items)
      Check(item.Macros.size() == loaded.size() &&
            std::memcmp(item.Macros.data(), loaded.data(), loaded.size() * kMacroRecordSize) == 0);
  }
  return 0;
}
