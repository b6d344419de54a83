// Tidy HTML on Linux: tidy from the system's package, started directly.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <string>

#include "run/Spawn_posix.h"
#include "run/TidyHtml.h"

std::string TidyProgram(const std::string&) { return "tidy"; }

// Hidden means without its output: tidy's messages go to the report file,
// anything else it prints would land among the caller's own output.
bool RunHiddenAndWait(const std::string& program, const std::string& parameters, const std::string& workDir) {
  pid_t child = 0;
  if (!SpawnQuiet(program, parameters, workDir, false, child)) return false;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}
