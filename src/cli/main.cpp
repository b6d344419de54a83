#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/Commands.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // Texts are raw bytes: no CR LF translation on the way in or out.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  TCliStreams io{std::cin, std::cout, std::cerr};
  int code = RunCli(TCliArgs(argv + 1, argv + argc), io);
  std::cout.flush();
  return code;
}
