#include "cli/Commands.h"

#include <ostream>

namespace {

struct TCommandEntry {
  const char* Name;
  TCliCommand Run;
  const char* Usage;
};

const TCommandEntry kCommands[] = {
    {"list", CmdList, "list --macros DIR"},
    {"export", CmdExport, "export --macros DIR [--category NAME] [--codepage N]"},
    {"import", CmdImport, "import --macros DIR [--codepage N] FILE.json"},
    {"convert", CmdConvert, "convert --macros DIR --to utf-8 [--codepage N]"},
    {"imagesize", CmdImageSize, "imagesize PATH"},
    {"strip", CmdStrip, "strip --expr EXPR [--modifiers LETTERS]"},
    {"apply", CmdApply, "apply --macros DIR --category NAME (--macro TITLE | --index N) [--var NAME=VALUE]... [--file NAME=PATH]... [--image NAME=PATH]... [--workdir DIR] [--reldir DIR] [--copy always|never] [--execute]"},
};

void PrintUsage(std::ostream& err) {
  err << "Usage: zarvel-cli COMMAND [OPTIONS]\nCommands:\n";
  for (const TCommandEntry& command : kCommands) err << "  zarvel-cli " << command.Usage << "\n";
}

}  // namespace

int RunCli(const TCliArgs& args, TCliStreams& io) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintUsage(args.empty() ? io.Err : io.Out);
    return args.empty() ? kExitUsage : kExitOk;
  }
  for (const TCommandEntry& command : kCommands) {
    if (args[0] != command.Name) continue;
    try {
      return command.Run(TCliArgs(args.begin() + 1, args.end()), io);
    } catch (const EUsage& error) {
      io.Err << "zarvel-cli: " << error.what() << "\nUsage: zarvel-cli " << command.Usage << "\n";
      return kExitUsage;
    } catch (const std::exception& error) {
      io.Err << "zarvel-cli: " << error.what() << "\n";
      return kExitFailure;
    }
  }
  io.Err << "zarvel-cli: unknown command '" << args[0] << "'\n";
  PrintUsage(io.Err);
  return kExitUsage;
}
