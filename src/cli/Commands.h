#pragma once
// zarvel-cli: the macro store from the command line, for people who keep
// their macros under version control and for scripts. Each command is a
// function over argument list and streams, so the tests call it directly.

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

struct TCliStreams {
  std::istream& In;
  std::ostream& Out;
  std::ostream& Err;
};

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Wrong arguments: the message and the usage text go to standard error, exit 2.
class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TCliArgs = std::vector<std::string>;
using TCliCommand = int (*)(const TCliArgs& args, TCliStreams& io);

// Runs one command line (without the program name); catches everything and
// turns it into a message and an exit code.
int RunCli(const TCliArgs& args, TCliStreams& io);

int CmdList(const TCliArgs& args, TCliStreams& io);
int CmdExport(const TCliArgs& args, TCliStreams& io);
int CmdImport(const TCliArgs& args, TCliStreams& io);
int CmdConvert(const TCliArgs& args, TCliStreams& io);
int CmdImageSize(const TCliArgs& args, TCliStreams& io);
int CmdStrip(const TCliArgs& args, TCliStreams& io);
int CmdApply(const TCliArgs& args, TCliStreams& io);
