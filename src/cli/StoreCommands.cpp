// list, export and import: the macro store from the command line.
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "cli/Commands.h"
#include "cli/MacroJson.h"
#include "cli/Options.h"
#include "store/ShortCut.h"
#include "base/CodePage.h"
#include "base/OsFile.h"

namespace {

// The store of --macros DIR; a folder that does not exist is an error here
// (the resident program would start with no macros, a script wants to know).
TCatagories OpenStore(const TOptions& options) {
  std::string folder = options.Required("macros");
  if (!DirectoryExists(folder)) throw std::runtime_error("The folder \"" + folder + "\" does not exist.");
  return TCatagories(folder);
}

unsigned CodePageOption(const TOptions& options) {
  unsigned codePage = static_cast<unsigned>(options.Number("codepage", kDefaultCodePage, 1, 65535));
  CheckCodePage(codePage);
  return codePage;
}

int FindCatagory(const TCatagories& store, const std::string& name) {
  for (std::size_t i = 0; i < store.Items.size(); ++i)
    if (SameFileName(store.Items[i].Name, name)) return static_cast<int>(i);
  return -1;
}

void ReportLoadProblems(const TCatagories& store, std::ostream& err) {
  for (const std::string& problem : store.LoadProblems()) err << "zarvel-cli: warning: " << problem << "\n";
}

std::string ReadWholeFile(const std::string& path) {
  TOsFile file(path, omRead);
  std::string text(static_cast<std::size_t>(file.Size()), '\0');
  text.resize(file.Read(&text[0], text.size()));
  return text;
}

}  // namespace

int CmdList(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"macros"});
  if (!options.Positional().empty()) throw EUsage("unexpected argument '" + options.Positional()[0] + "'");
  TCatagories store = OpenStore(options);
  ReportLoadProblems(store, io.Err);
  for (const TCatagory& catagory : store.Items)
    for (std::size_t m = 0; m < catagory.Macros.size(); ++m) {
      const TMacro& macro = catagory.Macros[m];
      io.Out << catagory.Name << '\t' << m << '\t' << GetTitle(macro) << '\t'
             << MacroTypeName(macro.MacroType) << '\t' << ShortCutText(macro.ShortCut) << '\n';
    }
  return kExitOk;
}

int CmdExport(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"macros", "category", "codepage"});
  if (!options.Positional().empty()) throw EUsage("unexpected argument '" + options.Positional()[0] + "'");
  unsigned codePage = CodePageOption(options);
  TCatagories store = OpenStore(options);
  ReportLoadProblems(store, io.Err);
  nlohmann::ordered_json document;
  document["catagories"] = nlohmann::ordered_json::array();
  if (options.Has("category")) {
    int index = FindCatagory(store, options.Value("category"));
    if (index < 0) throw std::runtime_error("There is no catagory '" + options.Value("category") + "'.");
    document["catagories"].push_back(CatagoryToJson(store.Items[index], codePage));
  } else {
    for (const TCatagory& catagory : store.Items)
      document["catagories"].push_back(CatagoryToJson(catagory, codePage));
  }
  // Everything is converted before the first byte is written, so a refused
  // text leaves standard output empty.
  io.Out << document.dump(2) << '\n';
  return kExitOk;
}

int CmdImport(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"macros", "codepage"});
  if (options.Positional().size() != 1) throw EUsage("one JSON file is needed");
  unsigned codePage = CodePageOption(options);
  std::string path = options.Positional()[0];
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(ReadWholeFile(path));
  } catch (const nlohmann::json::exception& error) {
    throw std::runtime_error("\"" + path + "\" is not valid JSON: " + error.what());
  }
  std::vector<TImportCatagory> incoming = CatagoriesFromJson(document, codePage);
  TCatagories store = OpenStore(options);
  for (const TImportCatagory& catagory : incoming) {
    int index = FindCatagory(store, catagory.Name);
    if (index >= 0 && store.Items[index].LoadFailed)
      throw std::runtime_error("The catagory '" + catagory.Name + "' could not be read; nothing was imported into it.");
    std::string path = store.CatagoryFileName(catagory.Name);
    if (index < 0 && (FileExists(path) || DirectoryExists(path)))
      throw std::runtime_error("Cannot create the catagory '" + catagory.Name + "': \"" + path +
                               "\" is in the way; nothing was imported.");
  }
  int added = 0;
  for (const TImportCatagory& catagory : incoming) {
    int index = FindCatagory(store, catagory.Name);
    if (index < 0) index = store.AddCatagory(catagory.Name);
    for (const TMacro& macro : catagory.Macros) {
      store.AddMacro(index, macro);
      ++added;
    }
  }
  io.Err << "Imported " << added << " macro" << (added == 1 ? "" : "s") << " in "
         << incoming.size() << " catagor" << (incoming.size() == 1 ? "y" : "ies") << ".\n";
  return kExitOk;
}
