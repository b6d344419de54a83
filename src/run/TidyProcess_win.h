#pragma once
// Waiting for tidy.exe on Windows without waiting for ever: a hidden program
// that does not end cannot be closed by the user, so after a while the run
// asks whether to wait on or to end it.

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

// Tidy was ended on the user's word before it had finished.
class ETidyEnded : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Starts the program hidden, as RunHiddenAndWait does, and waits for it.
// Each time askAfterMs pass without its end, keepWaiting is asked: true
// waits as long again, false (or no function) ends the program and raises
// ETidyEnded. False when the program could not be started.
bool RunHiddenAndWaitAsking(const std::string& program, const std::string& parameters, const std::string& workDir,
                            DWORD askAfterMs, const std::function<bool()>& keepWaiting);

// The Yes/No question to the user: Yes waits on.
bool AskToKeepWaitingForTidy();
