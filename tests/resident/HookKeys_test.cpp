#include "resident/HookKeys.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

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

// Key sequences as Windows reports them to the low-level hook; what the
// program hears of each.
class AltGrFilter : public ::testing::Test {
 protected:
  static constexpr unsigned kLCtrl = 162, kRCtrl = 163, kLAlt = 164, kRAlt = 165;
  static constexpr unsigned kCtrlScan = 0x1D, kAltScan = 0x38;
  // Feeds one event; the events heard, "Ctrl+" for a press and "Ctrl-" for a release.
  std::string Feed(unsigned key, bool down, unsigned scan, std::uint32_t time) {
    THookKeyEvent events[2];
    unsigned message = down ? (key == kLAlt || key == kRAlt ? kWmSysKeyDown : kWmKeyDown) : kWmKeyUp;
    int count = Filter.Read({key, message, scan, time, 0}, events);
    std::string heard;
    for (int i = 0; i < count; ++i)
      heard += (events[i].Key == kKeyCtrl ? "Ctrl" : events[i].Key == kKeyAlt ? "Alt" : std::string(1, char(events[i].Key))) +
               (events[i].Down ? "+" : "-");
    return heard;
  }
  struct TKey {
    unsigned Key;
    bool Down;
    unsigned Scan;
    std::uint32_t Time;
  };
  // Feeds the events in order.
  std::string Seq(std::initializer_list<TKey> keys) {
    std::string heard;
    for (const TKey& k : keys) heard += Feed(k.Key, k.Down, k.Scan, k.Time);
    return heard;
  }
  std::string AltGrDown(std::uint32_t time) {
    return Seq({{kLCtrl, true, kAltGrCtrlScanCode, time}, {kRAlt, true, kAltScan, time}});
  }
  TAltGrFilter Filter;
};

TEST_F(AltGrFilter, AltGrIsNeitherCtrlNorAltAndItsLetterIsHeardPlain) {
  EXPECT_EQ(AltGrDown(1000), "");
  EXPECT_TRUE(Filter.AltGrHeld());
  EXPECT_EQ(AltGrDown(1030), "") << "a held AltGr repeats the pair";
  EXPECT_EQ(Feed('C', true, 0x2E, 1040), "C+");
  EXPECT_EQ(Feed('C', false, 0x2E, 1090), "C-");
  // Released in either order, nothing of AltGr reaches the program.
  EXPECT_EQ(Seq({{kLCtrl, false, kAltGrCtrlScanCode, 1100}, {kRAlt, false, kAltScan, 1100}}), "");
  EXPECT_FALSE(Filter.AltGrHeld());
  EXPECT_EQ(AltGrDown(2000), "");
  EXPECT_EQ(Seq({{kRAlt, false, kAltScan, 2100}, {kLCtrl, false, kAltGrCtrlScanCode, 2100}}), "");
  EXPECT_EQ(Seq({{kLAlt, true, kAltScan, 2200}, {kLAlt, false, kAltScan, 2300}}), "Alt+Alt-")
      << "a left Alt after AltGr is Alt again";
}

TEST_F(AltGrFilter, RealCtrlAltCombinationsStayCtrlAndAlt) {
  // Left Ctrl with left Alt, and right Ctrl with either Alt.
  EXPECT_EQ(Seq({{kLCtrl, true, kCtrlScan, 10}, {kLAlt, true, kAltScan, 20}, {'K', true, 0x25, 30}}),
            "Ctrl+Alt+K+");
  EXPECT_EQ(Seq({{kLAlt, false, kAltScan, 40}, {kLCtrl, false, kCtrlScan, 40}}), "Alt-Ctrl-");
  EXPECT_EQ(Seq({{kRCtrl, true, kCtrlScan, 50}, {kRAlt, true, kAltScan, 50}}), "Ctrl+Alt+")
      << "the same time alone does not make AltGr";
  EXPECT_EQ(Seq({{kRAlt, false, kAltScan, 60}, {kLAlt, true, kAltScan, 70}}), "Alt-Alt+");
  // A left Ctrl that looks like AltGr's but is followed by something else is told late, before that key.
  EXPECT_EQ(Feed(kLCtrl, true, kAltGrCtrlScanCode, 80), "");
  EXPECT_EQ(Feed(kRAlt, true, kAltScan, 81), "Ctrl+Alt+") << "another time: not AltGr";
  EXPECT_EQ(Feed(kLCtrl, false, kAltGrCtrlScanCode, 90), "Ctrl-") << "its release is heard as it went down";
  EXPECT_EQ(Seq({{kLCtrl, true, kAltGrCtrlScanCode, 100}, {'K', true, 0x25, 100}}), "Ctrl+K+");
}

TEST_F(AltGrFilter, TheMaskingKeyAndOtherMessagesAreNotHeardAndResetForgetsAltGr) {
  THookKeyEvent events[2];
  EXPECT_EQ(Filter.Read({kAltMaskKey, kWmSysKeyDown, 0, 5, kAltMaskExtraInfo}, events), 0);
  EXPECT_EQ(Filter.Read({'K', kWmChar, 0x25, 5, 0}, events), 0);
  EXPECT_EQ(AltGrDown(10), "");
  Filter.Reset();
  EXPECT_EQ(Feed(kRAlt, false, kAltScan, 20), "Alt-") << "after a new hook, nothing is held";
}
