// Run Program on Linux: the file started directly, never through /bin/sh, so
// nothing in the macro's fields is read as shell syntax.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <vector>

#include "run/ProgramStart.h"

extern char** environ;

bool StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  if (file.empty()) return false;
  std::vector<std::string> words = ParameterWords(parameters);
  words.insert(words.begin(), file);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child = 0;
  // glibc reports a failed exec (and a failed chdir) here, before returning.
  int failed = posix_spawnp(&child, file.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0;
}
