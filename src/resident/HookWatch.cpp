#include "resident/HookWatch.h"

bool THookWatch::RawKeyDown() { return ++FRawPresses == 1; }

bool THookWatch::HookLost(std::uint32_t hookEvents) {
  const bool lost = FRawPresses >= kMissedPresses && hookEvents == FHookEvents;
  FRawPresses = 0;
  FHookEvents = hookEvents;
  return lost;
}

void THookWatch::HookInstalled(std::uint32_t hookEvents) {
  FRawPresses = 0;
  FHookEvents = hookEvents;
}
