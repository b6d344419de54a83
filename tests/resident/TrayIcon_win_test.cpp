#include "resident/TrayIcon_win.h"

#include <gtest/gtest.h>

#include <string>

#include "resident/TrayMenu_win.h"
#include "wingui/ProgramIcon_win.h"

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
  // The whole record: the fourth version's reports need the later fields.
  EXPECT_EQ(data.cbSize, sizeof(NOTIFYICONDATAA));
  EXPECT_GT(data.cbSize, NOTIFYICONDATAA_V3_SIZE);
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

namespace {

// The side of an icon's picture.
int IconSide(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

}  // namespace

// The tray pictures at each scale's small-icon size (this test program holds
// the program's icons as zarvel.exe does), and larger ones scaled down.
TEST(TrayIconWin, PicturesAreLoadedAtTheAskedSize) {
  HMODULE self = GetModuleHandleW(nullptr);
  for (const wchar_t* name : {L"TI", L"TIDisabled"}) {
    for (int size : {16, 20, 24, 32, 40, 64}) {
      TIconHandle icon = LoadIconOfSize(self, name, size);
      ASSERT_TRUE(icon) << size;
      EXPECT_EQ(IconSide(icon.Get()), size);
    }
  }
  EXPECT_FALSE(LoadIconOfSize(self, L"NoSuchIcon", 16));
  // The small-icon side grows with the DPI: 200 % is twice 100 %.
  int normal = IconSizeForDpi(SM_CXSMICON, 96);
  EXPECT_GE(normal, 16);
  EXPECT_EQ(IconSizeForDpi(SM_CXSMICON, 192), 2 * normal);
  EXPECT_EQ(IconSizeForDpi(SM_CXICON, 192), 2 * IconSizeForDpi(SM_CXICON, 96));
}

TEST(TrayIconWin, ShownIconAsksForTheFourthVersionAgainAfterARestart) {
  TOwnerWindow owner;
  TTrayIcon icon(owner.Get());
  icon.SetIcon(LoadIcon(nullptr, IDI_APPLICATION));
  EXPECT_FALSE(icon.Version4()) << "not shown yet";
  icon.SetVisible(true);
  EXPECT_TRUE(icon.Version4()) << "the notification area refused the fourth version";
  NOTIFYICONDATAA probe = icon.Data();
  // Announced anew, but the icon was kept: it is brought up to date.
  icon.Restore();
  EXPECT_TRUE(icon.Version4());
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  // Made anew, the notification area is asked again.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &probe));
  icon.Restore();
  EXPECT_TRUE(icon.Version4());
  icon.SetVisible(false);
  EXPECT_FALSE(icon.Version4());
}
