#pragma once
// Starting the program of a Run Program macro: the file, its working folder
// and its parameter string, as the macro's three fields hold them after the
// run has substituted its variables.

#include <string>
#include <vector>

// Asks for `file` to be started with `parameters` in `folder` and returns at
// once, without waiting for it; false when it could not be started. An empty
// folder means the caller's own.
//
// On Windows this is the shell's "open" of the file, as the resident program
// does it, so a document opens in its program too. On Linux there is no such
// shell: the file itself is started, found the way a shell finds a command
// (a bare name on the PATH, any other name relative to `folder`), with the
// words of ParameterWords as its arguments and nothing in between to read
// them again: no shell, so no quoting, variables or redirection beyond the
// rule below. Its standard streams are /dev/null and it runs in a session of
// its own, as a program started from the desktop would.
bool StartProgram(const std::string& file, const std::string& parameters, const std::string& folder);

// The parameter string as separate arguments: split at spaces outside double
// quotes; the quotes group and are dropped, so "" is an empty argument.
std::vector<std::string> ParameterWords(const std::string& parameters);
