#pragma once
// Notices a keyboard hook that the system removed without a word. Windows
// drops a low-level hook whose procedure once ran past the system's
// time-out (a loaded machine, a debugger), and the program then never sees
// a key again. The system's raw keyboard input reaches the program whatever
// the hook does, so key presses it reports are set against the events the
// hook saw: presses the hook never saw mean the hook is gone, and the
// program installs it again.

#include <cstdint>

class THookWatch {
 public:
  // A key press the system reported as raw input. True when it is the first
  // since the last check: the caller then arranges a check a moment later.
  bool RawKeyDown();
  // The check: hookEvents is the hook's running count of events it saw.
  // True when keys were pressed since the last check and the hook saw none
  // of them, so it must be installed again. Starts the next period.
  bool HookLost(std::uint32_t hookEvents);
  // The hook was installed (again): its count starts from here.
  void HookInstalled(std::uint32_t hookEvents);

  // Presses the hook must miss before it counts as gone. One alone could
  // race with the hook's own call for the same key.
  static constexpr int kMissedPresses = 2;

 private:
  int FRawPresses = 0;
  std::uint32_t FHookEvents = 0;
};
