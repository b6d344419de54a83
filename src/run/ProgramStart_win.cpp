// Run Program on Windows: the shell's "open", which starts programs and opens
// documents alike.
#include <windows.h>
#include <shellapi.h>

#include "run/ProgramStart.h"

// Empty fields go to the shell as empty strings, not as null pointers, and
// the show command is the default one the started program may choose.
bool StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  HINSTANCE result = ShellExecuteA(nullptr, "open", file.c_str(), parameters.c_str(), folder.c_str(),
                                   SW_SHOWDEFAULT);
  // Values above 32 mean success; anything else is an error code.
  return reinterpret_cast<INT_PTR>(result) > 32;
}
