#include "resident/TrayNotice.h"

#include <gtest/gtest.h>

namespace {

// What the notification area sends with the fourth version: the event and
// the icon id in lParam, the anchor point in wParam.
std::intptr_t Version4Event(unsigned event, unsigned iconId = 0) {
  return static_cast<std::intptr_t>((iconId << 16) | event);
}
std::uintptr_t Anchor(int x, int y) {
  return (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(y)) << 16) | static_cast<std::uint16_t>(x);
}

}  // namespace

TEST(TrayNotice, FourthVersionCarriesEventIconAndSignedAnchor) {
  TTrayNotice menu = DecodeTrayNotice(Anchor(1500, 1040), Version4Event(kTrayContextMenu, 3), true);
  EXPECT_EQ(menu.Action, TTrayAction::OpenMenu);
  EXPECT_EQ(menu.IconId, 3u);
  ASSERT_TRUE(menu.HasAnchor);
  EXPECT_EQ(menu.X, 1500);
  EXPECT_EQ(menu.Y, 1040);
  // A taskbar on a monitor left of and above the main one.
  TTrayNotice left = DecodeTrayNotice(Anchor(-1700, -20), Version4Event(kTrayContextMenu), true);
  EXPECT_EQ(left.X, -1700);
  EXPECT_EQ(left.Y, -20);
}

TEST(TrayNotice, EachEncodingOpensTheMenuOnceAndTheEditorOnDefault) {
  // The fourth version reports a right click twice; only WM_CONTEXTMENU counts.
  EXPECT_EQ(DecodeTrayNotice(Anchor(5, 5), Version4Event(kTrayRightButtonUp), true).Action, TTrayAction::None);
  EXPECT_EQ(DecodeTrayNotice(Anchor(5, 5), Version4Event(kTrayLeftDoubleClick), true).Action,
            TTrayAction::OpenEditor);
  EXPECT_EQ(DecodeTrayNotice(Anchor(5, 5), Version4Event(kTrayKeySelect), true).Action, TTrayAction::OpenEditor);
  EXPECT_EQ(DecodeTrayNotice(Anchor(5, 5), Version4Event(kTraySelect), true).Action, TTrayAction::None);
  EXPECT_EQ(DecodeTrayNotice(Anchor(5, 5), Version4Event(0x0200 /* mouse move */), true).Action,
            TTrayAction::None);

  // The old encoding: the mouse message in lParam, no point.
  TTrayNotice old = DecodeTrayNotice(0, kTrayRightButtonUp, false);
  EXPECT_EQ(old.Action, TTrayAction::OpenMenu);
  EXPECT_FALSE(old.HasAnchor);
  EXPECT_EQ(DecodeTrayNotice(0, kTrayLeftDoubleClick, false).Action, TTrayAction::OpenEditor);
  EXPECT_EQ(DecodeTrayNotice(0, kTrayContextMenu, false).Action, TTrayAction::None);
  // An old-style value read as the fourth version is no double click, and
  // a value with high bits set is no message of the old kind.
  EXPECT_EQ(DecodeTrayNotice(0, kTrayLeftDoubleClick | (1 << 16), false).Action, TTrayAction::None);
  EXPECT_EQ(DecodeTrayNotice(0, -1, false).Action, TTrayAction::None);
}
