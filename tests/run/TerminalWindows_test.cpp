#include <gtest/gtest.h>

#include "run/TerminalWindows.h"

TEST(TerminalWindows, ConsolesAndTerminalsAreKnownByClassInAnyCase) {
  EXPECT_TRUE(IsTerminalWindowClass("ConsoleWindowClass"));
  EXPECT_TRUE(IsTerminalWindowClass("consolewindowclass"));
  EXPECT_TRUE(IsTerminalWindowClass("CASCADIA_HOSTING_WINDOW_CLASS"));
  EXPECT_TRUE(IsTerminalWindowClass("mintty"));
  EXPECT_TRUE(IsTerminalWindowClass("PuTTY"));
  EXPECT_TRUE(IsTerminalWindowClass("WineConsoleClass"));
}

TEST(TerminalWindows, EditorsBrowsersAndPartialNamesAreNot) {
  EXPECT_FALSE(IsTerminalWindowClass("Notepad"));
  EXPECT_FALSE(IsTerminalWindowClass("Chrome_WidgetWin_1"));
  EXPECT_FALSE(IsTerminalWindowClass("ConsoleWindow"));
  EXPECT_FALSE(IsTerminalWindowClass(""));
}
