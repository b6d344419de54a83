// list, export and import: the macro store from the command line.
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "cli/Commands.h"
#include "exchange/CatagoryExchange.h"
#include "exchange/DailyBackup.h"
#include "exchange/StoreConversion.h"
#include "cli/Options.h"
#include "store/ShortCut.h"
#include "store/StoreEncoding.h"
#include "base/CodePage.h"
#include "base/OsFile.h"
#include "base/SafeFile.h"
#include "base/StrUtils.h"

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

// The code page of the folder's texts: UTF-8 for a folder marked so, where
// --codepage has no say, else --codepage or the default.
unsigned FolderCodePage(const TOptions& options, std::ostream& err) {
  if (ReadStoreEncoding(options.Required("macros")) == TStoreEncoding::Utf8) {
    if (options.Has("codepage"))
      err << "zarvel-cli: warning: the macros are stored as UTF-8; --codepage applies only to "
             "ANSI folders and is ignored.\n";
    return kUtf8CodePage;
  }
  return CodePageOption(options);
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
  TCatagories store = OpenStore(options);
  unsigned codePage = FolderCodePage(options, io.Err);
  ReportLoadProblems(store, io.Err);
  int index = -1;
  if (options.Has("category")) {
    index = FindCatagory(store, StoredName(options.Value("category"), store.Encoding()));
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
  std::string path = options.Positional()[0];
  TCatagories store = OpenStore(options);
  unsigned codePage = FolderCodePage(options, io.Err);
  std::vector<TImportCatagory> incoming = ReadImportText(ReadWholeFile(path), codePage, path);
  TImportPlan plan = PlanImport(store, std::move(incoming));
  int added = ApplyImport(store, plan);
  io.Err << "Imported " << added << " macro" << (added == 1 ? "" : "s") << " in "
         << plan.Catagories.size() << " catagor" << (plan.Catagories.size() == 1 ? "y" : "ies") << ".\n";
  return kExitOk;
}

int CmdConvert(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"macros", "to", "codepage"});
  if (!options.Positional().empty()) throw EUsage("unexpected argument '" + options.Positional()[0] + "'");
  std::string to = options.Required("to");
  for (char& c : to) c = LowerCaseChar(c);
  if (to != "utf-8" && to != "utf8") throw EUsage("--to takes utf-8, the one encoding a folder converts to");
  unsigned codePage = CodePageOption(options);
  TCatagories store = OpenStore(options);
  ReportLoadProblems(store, io.Err);
  std::string backup;
  TConversionCount count = ConvertStoreToUtf8(store, codePage, [&] {
    backup = TDailyBackup(store.Directory(), codePage).WriteNow();
  });
  io.Err << "Converted " << count.Macros << " macro" << (count.Macros == 1 ? "" : "s") << " in "
         << count.Catagories << " catagor" << (count.Catagories == 1 ? "y" : "ies")
         << " to UTF-8; the macros as they were are in \"" << backup << "\".\n";
  return kExitOk;
}
