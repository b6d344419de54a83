// What a run learns of the program in front: its file name, and whether it
// has more rights than this one (never the case for a window of this very
// program, whose rights are ours).
#include <gtest/gtest.h>
#include <windows.h>

#include "run/Keystrokes_win.h"
#include "run/ProcessInfo_win.h"

TEST(ProcessInfo, AWindowOfThisProgramNamesItsFileAndIsNotAboveUs) {
  HWND window = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ExeNameOfWindow(window), "ProcessInfo_win_test.exe");
  EXPECT_FALSE(RunsAboveUs(window));
  DestroyWindow(window);
}

TEST(ProcessInfo, NoWindowHasNoNameAndIsNotAboveUs) {
  EXPECT_EQ(ExeNameOfWindow(nullptr), "");
  EXPECT_FALSE(RunsAboveUs(nullptr));
}

TEST(Keystrokes, HeldModifiersAreLetGoWithinTheLimit) {
  INPUT down = {};
  down.type = INPUT_KEYBOARD;
  down.ki.wVk = VK_CONTROL;
  ASSERT_EQ(SendInput(1, &down, sizeof down), 1u);
  Sleep(50);
  ASSERT_TRUE(AnyModifierDown());
  const DWORD start = GetTickCount();
  ReleaseModifiers(200);
  Sleep(50);
  EXPECT_FALSE(AnyModifierDown()) << "Ctrl is still down";
  EXPECT_LT(GetTickCount() - start, 2000u);
}
