#include "resident/HookWatch.h"

#include <gtest/gtest.h>

// Key presses the system reports are set against the hook's count of events.
TEST(HookWatch, PressesTheHookNeverSawMeanItIsGone) {
  THookWatch watch;
  watch.HookInstalled(40);
  EXPECT_TRUE(watch.RawKeyDown()) << "the first press arranges a check";
  EXPECT_FALSE(watch.RawKeyDown());
  EXPECT_FALSE(watch.RawKeyDown());
  EXPECT_TRUE(watch.HookLost(40));
  // Installed again: the next period starts clean and a working hook passes.
  watch.HookInstalled(40);
  EXPECT_TRUE(watch.RawKeyDown());
  watch.RawKeyDown();
  EXPECT_FALSE(watch.HookLost(44));
}

TEST(HookWatch, OnePressOrNoneNeverCountsAsAGoneHook) {
  THookWatch watch;
  watch.HookInstalled(7);
  EXPECT_FALSE(watch.HookLost(7)) << "no key pressed at all";
  watch.RawKeyDown();
  EXPECT_FALSE(watch.HookLost(7)) << "one press may race with the hook's own call";
  // A hook that saw even one event in the period is alive, however many presses.
  for (int i = 0; i < 5; ++i) watch.RawKeyDown();
  EXPECT_FALSE(watch.HookLost(8));
  // The count wraps around without a false alarm.
  watch.HookInstalled(0xFFFFFFFFu);
  watch.RawKeyDown();
  watch.RawKeyDown();
  EXPECT_FALSE(watch.HookLost(1));
}
