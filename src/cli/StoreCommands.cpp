// list, export and import: the macro store from the command line.
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "cli/Commands.h"
#include "exchange/CatagoryExchange.h"
#include "cli/Options.h"
#include "store/ShortCut.h"
#include "base/CodePage.h"
#include "base/OsFile.h"
#include "base/SafeFile.h"

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

void ReportLoadProblems(const TCatagories& store, std::ostream& err) {
  for (const std::string& problem : store.LoadProblems()) err << "zarvel-cli: warning: " << problem << "\n";
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
  int index = -1;
  if (options.Has("category")) {
    index = FindCatagory(store, StoredName(options.Value("category")));
    if (index < 0) throw std::runtime_error("There is no catagory '" + options.Value("category") + "'.");
  }
  // Everything is converted before the first byte is written, so a refused
  // text leaves standard output empty.
  io.Out << ExportText(store, index, codePage);
  return kExitOk;
}

int CmdImport(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"macros", "codepage"});
  if (options.Positional().size() != 1) throw EUsage("one JSON file is needed");
  unsigned codePage = CodePageOption(options);
  std::string path = options.Positional()[0];
  std::vector<TImportCatagory> incoming = ReadImportText(ReadWholeFile(path), codePage, path);
  TCatagories store = OpenStore(options);
  TImportPlan plan = PlanImport(store, std::move(incoming));
  int added = ApplyImport(store, plan);
  io.Err << "Imported " << added << " macro" << (added == 1 ? "" : "s") << " in "
         << plan.Catagories.size() << " catagor" << (plan.Catagories.size() == 1 ? "y" : "ies") << ".\n";
  return kExitOk;
}
