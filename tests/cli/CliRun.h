#pragma once
// Runs one zarvel-cli command line in the test's own process, with standard
// input given and both outputs caught.

#include <sstream>
#include <string>

#include "cli/Commands.h"

struct TRun {
  int Code;
  std::string Out;
  std::string Err;
};

inline TRun Cli(const TCliArgs& args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  TCliStreams io{in, out, err};
  int code = RunCli(args, io);
  return {code, out.str(), err.str()};
}
