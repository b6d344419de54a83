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
#include "cli/MacroJson.h"
#include "store/Catagories.h"

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
                               ("zarvel-json-import-fuzz-" + std::to_string(::getpid()));
  TFuzzFolder() { std::filesystem::remove_all(Root); }
  ~TFuzzFolder() { std::filesystem::remove_all(Root); }
  void Fresh() const {
    std::filesystem::remove_all(Root);
    std::filesystem::create_directories(Root / "Macros");
  }
  std::string Macros() const { return (Root / "Macros").string(); }
  std::string Document() const { return (Root / "in.json").string(); }
} gFolder;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
  std::filesystem::create_directories(gFolder.Macros() + "/Sub.cat");
  TCatagories store(gFolder.Macros());
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
  MakeStore();
  std::ofstream(gFolder.Document(), std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                             static_cast<std::streamsize>(size));
  const auto before = Snapshot(gFolder.Macros());
  const TCatagories old(gFolder.Macros());

  std::istringstream in;
  std::ostringstream out, err;
  TCliStreams io{in, out, err};
  const int code = RunCli({"import", "--macros", gFolder.Macros(), gFolder.Document()}, io);
  const auto after = Snapshot(gFolder.Macros());
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
  const TCatagories store(gFolder.Macros());
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
