#include "resident/TrayIcon_win.h"

#include <gtest/gtest.h>

#include <string>

#include "resident/TrayMenu_win.h"

namespace {

std::string MenuCaption(HMENU menu, int position) {
  char text[128] = "";
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

bool Checked(HMENU menu, int position) {
  return (GetMenuState(menu, position, MF_BYPOSITION) & MF_CHECKED) != 0;
}

// A hidden window of this thread to own the icon.
class TOwnerWindow {
 public:
  TOwnerWindow()
      : FWindow(CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
  HWND Get() const { return FWindow.Get(); }

 private:
  TWindowHandle FWindow;
};

}  // namespace

TEST(TrayMenuWin, ItemsCaptionsTagsDefaultAndCheckMark) {
  TPopupMenu menu;
  HMENU handle = menu.Handle();
  ASSERT_EQ(GetMenuItemCount(handle), static_cast<int>(kTrayMenuItemCount));
  for (int position = 0; position < static_cast<int>(kTrayMenuItemCount); ++position) {
    const TMenuItemDef& item = kTrayMenuItems[position];
    if (item.Tag == mtagNone) {
      EXPECT_TRUE(GetMenuState(handle, position, MF_BYPOSITION) & MF_SEPARATOR) << position;
    } else {
      EXPECT_EQ(MenuCaption(handle, position), item.Caption);
      EXPECT_EQ(GetMenuItemID(handle, position), static_cast<UINT>(item.Tag));
    }
  }
  EXPECT_EQ(MenuCaption(handle, 0), "&Macro Editor");
  EXPECT_EQ(MenuCaption(handle, static_cast<int>(kTrayMenuItemCount) - 1), "E&xit");
  EXPECT_EQ(GetMenuDefaultItem(handle, TRUE, 0), 0u);
  EXPECT_TRUE(Checked(handle, kEnabledPosition));
  EXPECT_FALSE(Checked(handle, kMacroEditorPosition));
  menu.SetEnabledCheck(false);
  EXPECT_FALSE(Checked(handle, kEnabledPosition));
  menu.SetEnabledCheck(true);
  EXPECT_TRUE(Checked(handle, kEnabledPosition));
}

TEST(TrayIconWin, RecordLayoutAndTip) {
  TOwnerWindow owner;
  TTrayIcon icon(owner.Get());
  const NOTIFYICONDATAA& data = icon.Data();
  EXPECT_EQ(data.cbSize, NOTIFYICONDATAA_V1_SIZE);
#ifndef _WIN64
  EXPECT_EQ(data.cbSize, 88u);  // the size of the first layout on 32-bit Windows
#endif
  EXPECT_EQ(data.hWnd, owner.Get());
  EXPECT_EQ(data.uID, 0u);
  EXPECT_EQ(data.uFlags, 7u);
  EXPECT_EQ(data.uCallbackMessage, 11015u);
  EXPECT_FALSE(icon.Visible());
  EXPECT_EQ(icon.Icon(), nullptr);

  icon.SetTip("Zarvel 1.1");
  EXPECT_STREQ(data.szTip, "Zarvel 1.1");
  std::string longTip(100, 'x');
  icon.SetTip(longTip);
  EXPECT_EQ(std::string(data.szTip), std::string(63, 'x'));
  EXPECT_EQ(icon.Tip(), longTip);
}

TEST(TrayIconWin, ShownModifiedAndRemovedWithItsOwner) {
  TOwnerWindow owner;
  HICON picture = LoadIcon(nullptr, IDI_APPLICATION);
  NOTIFYICONDATAA probe;
  {
    TTrayIcon icon(owner.Get());
    icon.SetIcon(picture);
    icon.SetTip("Zarvel");
    EXPECT_FALSE(icon.Visible());
    icon.SetVisible(true);
    ASSERT_TRUE(icon.Visible());
    probe = icon.Data();
    // The system knows the icon now: a change to it is accepted.
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
    // A moved icon keeps its place; the moved-from one no longer owns it.
    TTrayIcon moved(std::move(icon));
    EXPECT_TRUE(moved.Visible());
    EXPECT_FALSE(icon.Visible());
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  }
  // Gone with the object.
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
}

TEST(TrayIconWin, ComesBackWhenTheNotificationAreaIsMadeAnew) {
  TOwnerWindow owner;
  TTrayIcon icon(owner.Get());
  icon.SetIcon(LoadIcon(nullptr, IDI_APPLICATION));
  icon.SetVisible(true);
  NOTIFYICONDATAA probe = icon.Data();
  // A restarted shell has forgotten every icon.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &probe));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  icon.Restore();
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "the icon did not come back";
  icon.SetVisible(false);
  icon.Restore();
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "a hidden icon was shown";
}
