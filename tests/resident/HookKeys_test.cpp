#include "resident/HookKeys.h"

#include <gtest/gtest.h>

#include "resident/Messages.h"

namespace {
constexpr unsigned kWmKeyDown = 0x0100, kWmKeyUp = 0x0101, kWmSysKeyDown = 0x0104,
                   kWmSysKeyUp = 0x0105, kWmChar = 0x0102;
}

TEST(HookKeys, SidedModifierCodesBecomeGeneric) {
  struct {
    unsigned In, Out;
  } cases[] = {{160, 16}, {161, 16}, {162, 17}, {163, 17}, {164, 18}, {165, 18},
               {16, 16},  {17, 17},  {18, 18},  {'A', 'A'}, {91, 91}, {166, 166}, {159, 159}};
  for (auto& c : cases) EXPECT_EQ(GenericKeyCode(c.In), c.Out) << c.In;
}

TEST(HookKeys, PressesAndReleasesIncludingTheSystemKeyMessages) {
  THookKeyEvent event;
  ASSERT_TRUE(TranslateLowLevelKey(164, kWmSysKeyDown, event));  // Alt goes down as a system key
  EXPECT_EQ(event.Key, kKeyAlt);
  EXPECT_TRUE(event.Down);
  ASSERT_TRUE(TranslateLowLevelKey('T', kWmSysKeyDown, event));  // T with Alt held
  EXPECT_TRUE(event.Down);
  ASSERT_TRUE(TranslateLowLevelKey(162, kWmKeyUp, event));
  EXPECT_EQ(event.Key, kKeyCtrl);
  EXPECT_FALSE(event.Down);
  ASSERT_TRUE(TranslateLowLevelKey('T', kWmSysKeyUp, event));
  EXPECT_FALSE(event.Down);
  ASSERT_TRUE(TranslateLowLevelKey('T', kWmKeyDown, event));
  EXPECT_TRUE(event.Down);
  EXPECT_FALSE(TranslateLowLevelKey('T', kWmChar, event));
}

TEST(HookKeys, OnlyAUsedPressOfANonModifierIsWithheld) {
  EXPECT_TRUE(WithholdKey({'T', true}, kKeyUsed));
  EXPECT_FALSE(WithholdKey({'T', true}, kKeyPassed));
  EXPECT_FALSE(WithholdKey({'T', false}, kKeyUsed));
  for (unsigned modifier : {kKeyShift, kKeyCtrl, kKeyAlt}) {
    EXPECT_FALSE(WithholdKey({modifier, true}, kKeyUsed));
    EXPECT_FALSE(WithholdKey({modifier, false}, kKeyUsed));
  }
}
