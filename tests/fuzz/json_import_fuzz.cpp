// JSON import as it comes from outside: the input is the document handed to
// "zarvel-cli import" over a macros folder that already holds one category.
// The import either succeeds or refuses; a refusal leaves every file of the
// folder as it was, and a success only appends: each category file keeps
// its bytes and gains the document's macros, in order, as whole records.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/CodePage.h"
#include "base/OsFile.h"
#include "cli/Commands.h"
#include "exchange/MacroJson.h"
#include "store/Catagories.h"

#include "FuzzFolder.h"

namespace {

TFuzzFolder gFolder("json-import");

std::string MacrosFolder() { return (gFolder.Root() / "Macros").string(); }
std::string DocumentPath() { return (gFolder.Root() / "in.json").string(); }

// Every entry below the folder with its bytes ("/" after a folder's name).
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    std::string name = std::filesystem::relative(entry.path(), root).string();
    if (entry.is_directory()) files[name + "/"] = "";
    else files[name] = ReadAll(entry.path());
  }
  return files;
}

// The store before the import: one category with one macro, and a folder
// where a category "Sub" would go.
void MakeStore() {
  std::filesystem::create_directories(MacrosFolder() + "/Sub.cat");
  TCatagories store(MacrosFolder());
  TMacro macro = NewMacro();
  SetTitle(macro, "Link");
  SetMacroText(macro, mxLine1, "<a href=\"{sel}\">");
  store.AddMacro(store.AddCatagory("Web"), macro);
}

// The category of the store that the import puts this name into.
const TCatagory* Find(const TCatagories& store, const std::string& name) {
  for (const TCatagory& catagory : store.Items)
    if (SameFileName(catagory.Name, name)) return &catagory;
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16384) return 0;
  gFolder.Fresh();
  std::filesystem::create_directories(MacrosFolder());
  MakeStore();
  WriteAll(DocumentPath(), data, size);
  const auto before = Snapshot(MacrosFolder());
  const TCatagories old(MacrosFolder());

  std::istringstream in;
  std::ostringstream out, err;
  TCliStreams io{in, out, err};
  const int code = RunCli({"import", "--macros", MacrosFolder(), DocumentPath()}, io);
  const auto after = Snapshot(MacrosFolder());
  if (code != kExitOk) {
    Check(after == before);
    return 0;
  }

  // What the document holds, read the way the import reads it.
  std::vector<TImportCatagory> incoming;
  try {
    incoming = CatagoriesFromJson(nlohmann::json::parse(std::string(reinterpret_cast<const char*>(data), size)),
                                  kDefaultCodePage);
  } catch (const std::exception&) {
    Check(false);  // imported, yet the document is refused
  }
  const TCatagories store(MacrosFolder());
  Check(store.LoadProblems().empty());
  for (const TCatagory& catagory : store.Items) {
    TMacroList expected;
    if (const TCatagory* was = Find(old, catagory.Name)) expected = was->Macros;
    for (const TImportCatagory& item : incoming)
      if (SameFileName(item.Name, catagory.Name))
        expected.insert(expected.end(), item.Macros.begin(), item.Macros.end());
    Check(catagory.Macros.size() == expected.size());
    Check(expected.empty() ||
          std::memcmp(catagory.Macros.data(), expected.data(), expected.size() * kMacroRecordSize) == 0);
  }
  for (const TImportCatagory& item : incoming) Check(Find(store, item.Name) != nullptr);
  for (const auto& file : before) {
    auto now = after.find(file.first);
    Check(now != after.end() && now->second.compare(0, file.second.size(), file.second) == 0);
  }
  return 0;
}
