#include "resident/AppWindow_win.h"

#include <gtest/gtest.h>

#include "resident/Messages.h"

// The filter cannot be seen working here (every process runs at one
// integrity level); this checks that the system's call is found and takes
// the program's messages.
TEST(AppWindowFilter, LetsTheProgramsMessagesThrough) {
  TWindowHandle window = CreateAppWindow(GetModuleHandleA(nullptr));
  EXPECT_TRUE(AllowMessageFromLowerIntegrity(window.Get(), RegisterWindowMessageA(kNewInstanceMessageName)));
  EXPECT_TRUE(AllowMessageFromLowerIntegrity(window.Get(), RegisterWindowMessageA("TaskbarCreated")));
  EXPECT_FALSE(AllowMessageFromLowerIntegrity(window.Get(), 0));  // the name could not be registered
}
