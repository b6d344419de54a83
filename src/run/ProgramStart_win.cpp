// Run Program on Windows: the shell's "open", which starts programs and opens
// documents alike.
#include <windows.h>
#include <shellapi.h>

#include "base/WideText_win.h"
#include "run/ProgramStart.h"

// Empty fields go to the shell as empty strings, not as null pointers, and
// the show command is the default one the started program may choose. The
// fields are UTF-8: a path or parameter in any language goes through whole.
bool StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  const std::wstring wideFile = WideFromUtf8(file), wideParameters = WideFromUtf8(parameters),
                     wideFolder = WideFromUtf8(folder);
  HINSTANCE result = ShellExecuteW(nullptr, L"open", wideFile.c_str(), wideParameters.c_str(), wideFolder.c_str(),
                                   SW_SHOWDEFAULT);
  // Values above 32 mean success; anything else is an error code.
  return reinterpret_cast<INT_PTR>(result) > 32;
}
