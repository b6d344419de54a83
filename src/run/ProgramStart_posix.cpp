// Run Program on Linux: the file started directly, never through /bin/sh, so
// nothing in the macro's fields is read as shell syntax.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <vector>

#include "run/ProgramStart.h"
#include "run/Spawn_posix.h"

extern char** environ;

bool SpawnQuiet(const std::string& program, const std::string& parameters, const std::string& folder,
                bool ownSession, pid_t& child) {
  std::vector<std::string> words = ParameterWords(parameters);
  words.insert(words.begin(), program);
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
  if (ownSession) posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  child = 0;
  int failed = posix_spawnp(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0;
}

bool StartProgram(const std::string& file, const std::string& parameters, const std::string& folder) {
  pid_t child = 0;
  return !file.empty() && SpawnQuiet(file, parameters, folder, true, child);
}
