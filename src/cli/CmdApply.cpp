// apply: one run of a stored macro over standard input, with the answers to
// its prompt and dialogs given as options. The run is the resident program's
// own code (src/run), so both give the same text for the same answers.
#include <istream>
#include <iterator>
#include <map>
#include <ostream>
#include <stdexcept>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "run/ProgramStart.h"
#include "run/TidyHtml.h"
#include "run/UnattendedRun.h"
#include "store/Catagories.h"
#include "base/OsFile.h"

namespace {

const TCatagory& NamedCatagory(const TCatagories& store, const std::string& name) {
  int index = FindCatagory(store, StoredName(name, store.Encoding()));
  if (index < 0) throw std::runtime_error("There is no catagory '" + name + "'.");
  return store.Items[index];
}

const TMacro& FindMacro(const TCatagory& catagory, const TOptions& options, TStoreEncoding encoding) {
  if (options.Has("macro") == options.Has("index")) throw EUsage("give either --macro or --index");
  if (options.Has("index")) {
    long index = options.Number("index", 0, 0, 0x7FFFFFFF);
    if (static_cast<std::size_t>(index) >= catagory.Macros.size())
      throw std::runtime_error("The catagory '" + catagory.Name + "' has no macro number " +
                               std::to_string(index) + ".");
    return catagory.Macros[static_cast<std::size_t>(index)];
  }
  const std::string title = StoredName(options.Value("macro"), encoding);
  for (const TMacro& macro : catagory.Macros)
    if (GetTitle(macro) == title) return macro;
  throw std::runtime_error("The catagory '" + catagory.Name + "' has no macro '" + title + "'.");
}

// NAME=VALUE options into a table; the value may hold further '='.
std::map<std::string, std::string> Assignments(const TOptions& options, const std::string& name) {
  std::map<std::string, std::string> table;
  for (const std::string& item : options.Values(name)) {
    std::size_t equals = item.find('=');
    if (equals == std::string::npos) throw EUsage("--" + name + " needs NAME=VALUE, not '" + item + "'");
    table[item.substr(0, equals)] = item.substr(equals + 1);
  }
  return table;
}

int CopyRule(const TOptions& options) {
  const std::string rule = options.Value("copy", "never");
  if (rule == "always") return kImageCopyAlways;
  if (rule == "never") return kImageCopyNever;
  throw EUsage("--copy takes always or never, not '" + rule + "'");
}

TRunAnswers AnswersFrom(const TOptions& options) {
  TRunAnswers answers;
  answers.Values = Assignments(options, "var");
  answers.Files = Assignments(options, "file");
  answers.Images = Assignments(options, "image");
  answers.WorkDir = options.Value("workdir");
  answers.HasRelDir = options.Has("reldir");
  answers.RelDir = options.Value("reldir");
  answers.CopyRule = CopyRule(options);
  return answers;
}

// What the shell is given: the file, the working folder and the parameters.
std::string RunProgramLines(const TRunMacro& macro) {
  return macro.Text(mxLine1) + "\n" + macro.Text(mxLine2) + "\n" + macro.Text(mxLine3) + "\n";
}

// Only with --execute is anything started. The resident program goes on
// silently when the shell refuses; here the caller asked for the start, so a
// refusal is a failure.
void StartRunProgram(const TRunMacro& macro) {
  if (!StartProgram(macro.Text(mxLine1), macro.Text(mxLine3), macro.Text(mxLine2)))
    throw std::runtime_error("The program \"" + macro.Text(mxLine1) + "\" could not be started.");
}

}  // namespace

int CmdApply(const TCliArgs& args, TCliStreams& io) {
  TOptions options(args, {"macros", "category", "macro", "index", "var", "file", "image", "workdir",
                          "reldir", "copy"},
                   {"execute"});
  if (!options.Positional().empty()) throw EUsage("unexpected argument '" + options.Positional()[0] + "'");
  const TRunAnswers answers = AnswersFrom(options);
  const std::string folder = options.Required("macros");
  if (!DirectoryExists(folder)) throw std::runtime_error("The folder \"" + folder + "\" does not exist.");
  TCatagories store(folder);
  const TMacro& macro = FindMacro(NamedCatagory(store, options.Required("category")), options, store.Encoding());
  if (macro.MacroType == mtEmail)
    throw std::runtime_error("E-mail macros need the resident program: the mail client is asked through MAPI.");

  std::string selection((std::istreambuf_iterator<char>(io.In)), std::istreambuf_iterator<char>());
  TUnattendedRun run(macro, answers, store.Encoding());
  const bool transformed = run.Run(selection);
  for (const std::string& warning : run.Warnings()) io.Err << "zarvel-cli: warning: " << warning << "\n";
  // Each result is computed whole before its first byte goes out, so a
  // failure leaves standard output empty.
  if (transformed) {
    io.Out << run.FSelection;
  } else if (macro.MacroType == mtRunProgram) {
    if (options.Has("execute")) StartRunProgram(run.FMacro);
    io.Out << RunProgramLines(run.FMacro);
  } else if (macro.MacroType == mtTidyHTML) {
    io.Out << RunTidy(ProgramFolder(), run.FSelection, RunHiddenAndWait);
  }
  return kExitOk;
}
