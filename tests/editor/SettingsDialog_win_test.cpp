// Drives the settings window and the about box the way a user would: each
// opens on a thread of its own, is found by its caption, and its controls are
// clicked; the effects are read back from include.dat, zarvel.ini and the
// registry.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "editor/formAbout_win.h"
#include "editor/RunValueLock.h"
#include "editor/formInclude_win.h"
#include "editor/formMethods_win.h"
#include "store/Catagories.h"
#include "store/IncludeList.h"
#include "store/Settings.h"
#include "base/OsFile.h"

namespace {

using namespace wintest;

// A dialog shown on its own thread, as the program shows it.
class TDialogRun {
 public:
  TDialogRun(std::function<void()> show, const char* caption) : FThread(std::move(show)) {
    FWindow = WaitForWindow(caption);
  }
  ~TDialogRun() {
    if (FWindow && IsWindow(FWindow)) PostMessageA(FWindow, WM_COMMAND, IDCANCEL, 0);
    FThread.join();
  }
  HWND Window() const { return FWindow; }
  HWND Control(int id) const { return GetDlgItem(FWindow, id); }
  void Click(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }
  bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // Posted, for clicks that open another modal window.
  void PostClick(int id) const {
    PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }
  void PressKey(int id, WPARAM key) const {
    SetForegroundWindow(FWindow);
    SetFocus(Control(id));
    PostMessageA(Control(id), WM_KEYDOWN, key, 0);
    PostMessageA(Control(id), WM_KEYUP, key, 0xC0000000);
  }

 private:
  std::thread FThread;
  HWND FWindow = nullptr;
};

std::vector<std::string> ListLines(HWND box) {
  std::vector<std::string> lines;
  int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char buffer[300] = {};
    SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
    lines.push_back(buffer);
  }
  return lines;
}

// Puts back whatever Run value the machine had.
class TRunValueGuard {
 public:
  TRunValueGuard() : FHad(ReadStartWithWindows() == swOn), FPath(ReadStartWithWindowsPath()) {}
  ~TRunValueGuard() { WriteStartWithWindows(FHad, FPath); }

 private:
  bool FHad;
  std::string FPath;
};

class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override { WriteStartWithWindows(false, ""); }

  std::string Ini() const { return ReadBytes(SettingsFilePath(FFolder.Path())); }
  bool IniExists() const { return FileExists(SettingsFilePath(FFolder.Path())); }

  TRunValueLock FLock;  // first: held before the value is read, released after it is put back
  TRunValueGuard FRunValue;
  TTempFolder FFolder;
  std::string FExeName = FFolder.File("zarvel.exe");
  TIncludeList FList{FFolder.File("include.dat")};
};

// TDialogRun is not movable (it owns a thread), so tests build it in place.
#define OPEN_SETTINGS(name) \
  TDialogRun name([this] { ShowIncludeDialog(FList, FExeName); }, kIncludeCaption); \
  ASSERT_TRUE(name.Window()) << "the settings window did not appear"

}  // namespace

TEST_F(SettingsDialog, FirstOpenShowsTheDesignedStateAndWritesNothing) {
  OPEN_SETTINGS(dialog);
  EXPECT_FALSE(dialog.Checked(idIncludeStartup));
  EXPECT_FALSE(dialog.Checked(idIncludeAlways));
  EXPECT_TRUE(dialog.Checked(idIncludeConfirm));
  EXPECT_FALSE(dialog.Checked(idIncludeNever));
  EXPECT_TRUE(ListLines(dialog.Control(idIncludeList)).empty());
  EXPECT_FALSE(IniExists()) << "opening alone must not create zarvel.ini";
  EXPECT_EQ(ReadStartWithWindows(), swOff);

  EXPECT_EQ(TextOf(dialog.Control(idIncludeStartup)), "&Run Zarvel at Windows startup...");
  EXPECT_EQ(TextOf(dialog.Control(idIncludeGeneral)), "General Settings");
  EXPECT_EQ(TextOf(dialog.Control(idIncludeCopyLabel)), "Copy images:");
  EXPECT_EQ(TextOf(dialog.Control(idIncludeLabel)), "Programs not listed here will be ignored by Zarvel");
  EXPECT_EQ(TextOf(dialog.Control(idIncludeAdd)), "&Add");
  EXPECT_EQ(TextOf(dialog.Control(idIncludeRemove)), "&Remove");
  EXPECT_EQ(TextOf(dialog.Control(idIncludeClose)), "&Close");

  RECT outer;
  GetWindowRect(dialog.Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 411);
  EXPECT_EQ(outer.bottom - outer.top, 367);
  MINMAXINFO limits{};
  SendMessageA(dialog.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 228);
  EXPECT_EQ(limits.ptMinTrackSize.y, 254);
  EXPECT_TRUE(GetWindowLongPtrA(dialog.Window(), GWL_STYLE) & WS_THICKFRAME) << "resizable";
}

TEST_F(SettingsDialog, TheListStretchesWithTheWindow) {
  OPEN_SETTINGS(dialog);
  RECT before, after, close;
  GetWindowRect(dialog.Control(idIncludeList), &before);
  SetWindowPos(dialog.Window(), nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(dialog.Control(idIncludeList), &after);
  EXPECT_EQ((after.right - after.left) - (before.right - before.left), 600 - 411);
  EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), 500 - 367);
  RECT window;
  GetWindowRect(dialog.Window(), &window);
  GetWindowRect(dialog.Control(idIncludeClose), &close);
  EXPECT_LT(window.right - close.right, 30) << "Close stays at the bottom right";
  EXPECT_LT(window.bottom - close.bottom, 30);
}

TEST_F(SettingsDialog, EachCopyChoiceIsWrittenAtOnce) {
  OPEN_SETTINGS(dialog);
  dialog.Click(idIncludeAlways);
  EXPECT_EQ(ReadImageCopyRule(FFolder.Path()), 1);
  dialog.Click(idIncludeNever);
  EXPECT_EQ(ReadImageCopyRule(FFolder.Path()), 3);
  EXPECT_FALSE(dialog.Checked(idIncludeAlways));
  dialog.Click(idIncludeConfirm);
  EXPECT_EQ(ReadImageCopyRule(FFolder.Path()), 2);
  EXPECT_NE(Ini().find("[Image]"), std::string::npos) << Ini();
}

TEST_F(SettingsDialog, AStoredChoiceIsTickedAndWrittenBack) {
  // "$3" reads as 3; the click that ticking counts as writes it as "3".
  WriteBytes(SettingsFilePath(FFolder.Path()), "[Image]\r\nCopy=$3\r\n");
  OPEN_SETTINGS(dialog);
  EXPECT_TRUE(dialog.Checked(idIncludeNever));
  EXPECT_FALSE(dialog.Checked(idIncludeConfirm));
  EXPECT_EQ(ReadSettingString(FFolder.Path(), "Image", "Copy", ""), "3");
}

TEST_F(SettingsDialog, AnUnknownChoiceShowsConfirmAndWritesNothing) {
  std::string text = "[Image]\r\nCopy=7\r\n";
  WriteBytes(SettingsFilePath(FFolder.Path()), text);
  {
    OPEN_SETTINGS(dialog);
    EXPECT_TRUE(dialog.Checked(idIncludeConfirm));
    EXPECT_FALSE(dialog.Checked(idIncludeAlways));
    EXPECT_FALSE(dialog.Checked(idIncludeNever));
    EXPECT_EQ(Ini(), text);
  }
  EXPECT_EQ(Ini(), text);
}

TEST_F(SettingsDialog, TheStartupBoxWritesAndDeletesTheRunValue) {
  OPEN_SETTINGS(dialog);
  dialog.Click(idIncludeStartup);
  EXPECT_EQ(ReadStartWithWindows(), swOn);
  EXPECT_EQ(ReadStartWithWindowsPath(), FExeName);
  dialog.Click(idIncludeStartup);
  EXPECT_EQ(ReadStartWithWindows(), swOff);
}

TEST_F(SettingsDialog, OpeningCorrectsARunValueFromAnOldLocation) {
  WriteStartWithWindows(true, "C:\\Old Place\\zarvel.exe");
  OPEN_SETTINGS(dialog);
  EXPECT_TRUE(dialog.Checked(idIncludeStartup));
  EXPECT_EQ(ReadStartWithWindowsPath(), FExeName);
}

TEST_F(SettingsDialog, RemovingShowsTheListsNewOrder) {
  for (const char* name : {"a.exe", "b.exe", "c.exe"}) FList.AddEntry(name);
  OPEN_SETTINGS(dialog);
  HWND box = dialog.Control(idIncludeList);
  EXPECT_EQ(ListLines(box), (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));

  SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  dialog.Click(idIncludeRemove);
  EXPECT_EQ(ListLines(box).size(), 3u) << "no selection removes nothing";

  SendMessageA(box, LB_SETCURSEL, 0, 0);
  dialog.Click(idIncludeRemove);
  EXPECT_EQ(ListLines(box), (std::vector<std::string>{"c.exe", "b.exe"}));
  EXPECT_EQ(TIncludeList(FList.FileName()).Items, ListLines(box)) << "include.dat follows";

  SendMessageA(box, LB_SETCURSEL, 1, 0);
  dialog.Click(idIncludeRemove);
  EXPECT_EQ(ListLines(box), (std::vector<std::string>{"c.exe"}));
  EXPECT_EQ(TIncludeList(FList.FileName()).Items, ListLines(box));
}

TEST_F(SettingsDialog, AddingTakesThePickedProgramsName) {
  std::string tools = FFolder.File("Tools");
  CreateOneDirectory(tools);
  WriteBytes(tools + "\\Editor.exe", "MZ");
  FList.AddEntry("first.exe");
  OPEN_SETTINGS(dialog);

  dialog.PostClick(idIncludeAdd);
  HWND picker = WaitForWindow("Open");
  ASSERT_TRUE(picker) << "the program picker did not appear";
  // The Explorer-style picker's file name box is the edit inside cmb13.
  HWND nameBox = GetDlgItem(picker, 0x47C);
  ASSERT_TRUE(nameBox);
  SetWindowTextA(nameBox, (tools + "\\Editor.exe").c_str());
  SendMessageA(GetDlgItem(picker, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(picker));

  HWND box = dialog.Control(idIncludeList);
  for (int i = 0; i < 100 && ListLines(box).size() < 2; ++i) Sleep(20);
  EXPECT_EQ(ListLines(box), (std::vector<std::string>{"first.exe", "Editor.exe"}));
  EXPECT_EQ(SendMessageA(box, LB_GETCURSEL, 0, 0), 1) << "the new line is selected";
  EXPECT_EQ(TIncludeList(FList.FileName()).Items, ListLines(box));
}

TEST_F(SettingsDialog, CancellingThePickerAddsNothing) {
  OPEN_SETTINGS(dialog);
  dialog.PostClick(idIncludeAdd);
  HWND picker = WaitForWindow("Open");
  ASSERT_TRUE(picker);
  SendMessageA(GetDlgItem(picker, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(picker));
  Sleep(100);
  EXPECT_TRUE(ListLines(dialog.Control(idIncludeList)).empty());
  EXPECT_TRUE(TIncludeList(FList.FileName()).Items.empty());
  EXPECT_TRUE(IsWindow(dialog.Window()));
}

TEST_F(SettingsDialog, AListFileErrorIsShownAndTheWindowStays) {
  for (const char* name : {"a.exe", "b.exe"}) FList.AddEntry(name);
  OPEN_SETTINGS(dialog);
  // Another process holding include.dat without sharing makes every write fail.
  HANDLE holder = CreateFileA(FList.FileName().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  HWND box = dialog.Control(idIncludeList);
  SendMessageA(box, LB_SETCURSEL, 0, 0);
  dialog.PostClick(idIncludeRemove);
  HWND message = WaitForWindow("Error");
  ASSERT_TRUE(message) << "no message box";
  SendMessageA(message, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(message));
  CloseHandle(holder);

  EXPECT_TRUE(IsWindow(dialog.Window()));
  EXPECT_EQ(ListLines(box), (std::vector<std::string>{"a.exe", "b.exe"})) << "nothing lost";
  EXPECT_EQ(FList.Items, ListLines(box));
  EXPECT_EQ(TIncludeList(FList.FileName()).Items, ListLines(box));
}

TEST_F(SettingsDialog, EscapeAndCloseEndTheWindow) {
  {
    OPEN_SETTINGS(dialog);
    HWND window = dialog.Window();
    dialog.PressKey(idIncludeStartup, VK_ESCAPE);
    EXPECT_TRUE(WaitUntilGone(window));
    EXPECT_EQ(ReadStartWithWindows(), swOff) << "Escape is not a click of the box";
  }
  {
    OPEN_SETTINGS(dialog);
    HWND window = dialog.Window();
    dialog.Click(idIncludeClose);
    EXPECT_TRUE(WaitUntilGone(window));
  }
  {
    OPEN_SETTINGS(dialog);
    HWND window = dialog.Window();
    dialog.PressKey(idIncludeList, VK_RETURN);
    Sleep(200);
    EXPECT_TRUE(IsWindow(window)) << "Enter does nothing: there is no OK button";
  }
}

class AboutBox : public ::testing::Test {};

#define OPEN_ABOUT(name, version) \
  TDialogRun name([] { ShowAboutBox(version); }, kAboutCaption); \
  ASSERT_TRUE(name.Window()) << "the about box did not appear"

TEST_F(AboutBox, ShowsTheVersionInItsDesignedFrame) {
  OPEN_ABOUT(about, "1.1.0 build 82");
  EXPECT_EQ(TextOf(about.Control(idAboutVersion)), "Version 1.1.0 build 82");
  EXPECT_EQ(TextOf(about.Control(idAboutOK)), "OK");
  LONG_PTR style = GetWindowLongPtrA(about.Window(), GWL_STYLE);
  EXPECT_FALSE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT client;
  GetClientRect(about.Window(), &client);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 288);
  RECT banner, line;
  GetWindowRect(about.Control(idAboutImage), &banner);
  GetWindowRect(about.Control(idAboutLine), &line);
  EXPECT_EQ(banner.bottom - banner.top, 70);
  EXPECT_EQ(line.top, banner.bottom);
  EXPECT_EQ(line.bottom - line.top, 1);
  EXPECT_EQ(LOWORD(SendMessageA(about.Window(), DM_GETDEFID, 0, 0)), IDOK);

  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT outer;
  GetWindowRect(about.Window(), &outer);
  EXPECT_NEAR((outer.left + outer.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
}

TEST_F(AboutBox, EnterEscapeAndOKCloseIt) {
  for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(VK_ESCAPE)}) {
    OPEN_ABOUT(about, "2.0");
    HWND window = about.Window();
    about.PressKey(idAboutOK, key);
    EXPECT_TRUE(WaitUntilGone(window)) << "key " << key;
  }
  OPEN_ABOUT(about, "2.0");
  HWND window = about.Window();
  about.Click(idAboutOK);
  EXPECT_TRUE(WaitUntilGone(window));
}

// The side of the icon the window gives for WM_GETICON; 0 without one.
int IconSide(HWND window, WPARAM which) {
  auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

// Both carry the program's icon (this test program holds the icon resource
// as zarvel.exe does), big and small, each drawn at the system's size.
TEST_F(SettingsDialog, SettingsWindowAndAboutBoxCarryTheProgramIcon) {
  OPEN_SETTINGS(dialog);
  TDialogRun about([] { ShowAboutBox("2.0"); }, kAboutCaption);
  ASSERT_TRUE(about.Window());
  for (HWND window : {dialog.Window(), about.Window()}) {
    EXPECT_EQ(IconSide(window, ICON_SMALL), GetSystemMetrics(SM_CXSMICON)) << TextOf(window);
    EXPECT_EQ(IconSide(window, ICON_BIG), GetSystemMetrics(SM_CXICON)) << TextOf(window);
  }
}

// Holds both windows open with sample contents for a screenshot; run by
// hand with --gtest_also_run_disabled_tests and ZARVEL_SHOW_SECONDS.
TEST_F(SettingsDialog, DISABLED_ShowForScreenshot) {
  for (const char* name : {"notepad.exe", "wordpad.exe", "Editor.exe"}) FList.AddEntry(name);
  const char* seconds = std::getenv("ZARVEL_SHOW_SECONDS");
  int wait = seconds ? std::atoi(seconds) : 5;
  // With ZARVEL_DPI_AWARE the windows scale to the display's DPI setting.
  if (std::getenv("ZARVEL_DPI_AWARE")) SetProcessDPIAware();
  {
    OPEN_SETTINGS(dialog);
    dialog.Click(idIncludeStartup);
    SendMessageA(dialog.Control(idIncludeList), LB_SETCURSEL, 2, 0);
    Sleep(wait * 1000);
  }
  OPEN_ABOUT(about, "1.0.0 build 1");
  Sleep(wait * 1000);
}

namespace {

void ChooseMethod(HWND methods, int choice) {
  HWND combo = GetDlgItem(methods, idMethodsChoice);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
  SendMessageA(methods, WM_COMMAND, MAKEWPARAM(idMethodsChoice, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

}  // namespace

TEST_F(SettingsDialog, MethodsWindowListsSetsAndRemovesEachProgramsWay) {
  WriteTransferMethod(FFolder.Path(), "term.exe", tmKeystrokes);
  WriteTransferMethod(FFolder.Path(), "old.exe", tmMessages);
  OPEN_SETTINGS(dialog);
  EXPECT_TRUE(IsWindowVisible(dialog.Control(idIncludeMethods))) << "the Methods button fits the designed size";
  dialog.PostClick(idIncludeMethods);
  HWND methods = WaitForWindow(kMethodsCaption);
  ASSERT_TRUE(methods) << "the methods window did not open";
  HWND list = GetDlgItem(methods, idMethodsList);
  EXPECT_EQ(ListLines(list), (std::vector<std::string>{"term.exe - keystrokes only", "old.exe - messages only"}));
  EXPECT_EQ(SendMessageA(GetDlgItem(methods, idMethodsChoice), CB_GETCURSEL, 0, 0), 2) << "keystrokes only shown";

  ChooseMethod(methods, 1);  // messages only
  EXPECT_EQ(ReadTransferMethod(FFolder.Path(), "term.exe"), tmMessages);
  EXPECT_EQ(ListLines(list)[0], "term.exe - messages only");

  ChooseMethod(methods, 0);  // automatic: the entry goes
  EXPECT_EQ(ReadTransferMethod(FFolder.Path(), "term.exe"), tmAutomatic);
  EXPECT_EQ(ListLines(list), (std::vector<std::string>{"old.exe - messages only"}));

  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SendMessageA(GetDlgItem(methods, idMethodsRemove), BM_CLICK, 0, 0);
  EXPECT_TRUE(ListLines(list).empty());
  EXPECT_TRUE(ReadSettingKeys(FFolder.Path(), kSectionMethods).empty());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(methods, idMethodsRemove))) << "nothing left to remove";

  PostMessageA(methods, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntilGone(methods));
}

TEST_F(SettingsDialog, TheMethodsButtonStepsAsideWhenTheWindowIsTooNarrow) {
  OPEN_SETTINGS(dialog);
  SetWindowPos(dialog.Window(), nullptr, 0, 0, 240, 300, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_FALSE(IsWindowVisible(dialog.Control(idIncludeMethods)));
  SetWindowPos(dialog.Window(), nullptr, 0, 0, 411, 313, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(IsWindowVisible(dialog.Control(idIncludeMethods)));
}

TEST_F(SettingsDialog, ChangesOnDiskAreShownAndAClickOnAnOldRuleIsRefused) {
  FList.AddEntry("a.exe");
  OPEN_SETTINGS(dialog);
  HWND box = dialog.Control(idIncludeList);
  // Another program adds an entry and sets the rule to Never.
  TIncludeList(FList.FileName()).AddEntry("b.exe");
  WriteImageCopyRule(FFolder.Path(), 3);
  PostMessageA(dialog.Window(), WM_SETTINGSFILESCHANGED, 1, 1);
  EXPECT_TRUE(WaitFor([&] { return ListLines(box) == std::vector<std::string>{"a.exe", "b.exe"}; }));
  EXPECT_TRUE(WaitFor([&] { return dialog.Checked(idIncludeNever); })) << "the new rule is not shown";

  // Changed once more, with no notice yet: a click made on the old rule.
  WriteImageCopyRule(FFolder.Path(), 1);
  PostMessageA(dialog.Control(idIncludeConfirm), BM_CLICK, 0, 0);
  HWND message = WaitForWindow("Error");
  ASSERT_TRUE(message) << "the click on an old rule was taken silently";
  EXPECT_NE(MessageOf(message).find("Another program has changed"), std::string::npos) << MessageOf(message);
  SendMessageA(message, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(message));
  EXPECT_EQ(ReadImageCopyRule(FFolder.Path()), 1) << "the other program's rule was replaced";
  EXPECT_TRUE(dialog.Checked(idIncludeAlways));
  dialog.Click(idIncludeNever);  // made on what the window shows: taken
  EXPECT_EQ(ReadImageCopyRule(FFolder.Path()), 3);
}

TEST_F(SettingsDialog, PickerShortCutIsTakenFromAKeyRefusedWhenAMacroHoldsItAndSwitchedOff) {
  TDialogRun dialog(
      [this] { ShowIncludeDialog(FList, FExeName, [](std::uint16_t word) { return word == VK_F8 ? "Bold" : ""; }); },
      kIncludeCaption);
  ASSERT_TRUE(dialog.Window());
  EXPECT_TRUE(dialog.Checked(idIncludePicker));
  EXPECT_EQ(TextOf(dialog.Control(idIncludePickerKey)), "Ctrl+Alt+Space");
  EXPECT_FALSE(IniExists()) << "opening alone writes nothing";

  dialog.PressKey(idIncludePickerKey, VK_F9);
  ASSERT_TRUE(WaitFor([&] { return TextOf(dialog.Control(idIncludePickerKey)) == "F9"; }));
  EXPECT_EQ(ReadPickerSettings(FFolder.Path()).ActiveShortCut(), VK_F9);

  // F8 belongs to a macro: refused with its title, and nothing changes.
  dialog.PressKey(idIncludePickerKey, VK_F8);
  HWND error = WaitForWindow("Error");
  ASSERT_TRUE(error) << "no message for a shortcut a macro holds";
  EXPECT_EQ(TextOf(GetDlgItem(error, 0xFFFF)), "The specified shortcut is already in use by macro 'Bold'");
  PostMessageA(error, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(error));
  EXPECT_EQ(TextOf(dialog.Control(idIncludePickerKey)), "F9");
  EXPECT_EQ(ReadPickerSettings(FFolder.Path()).ShortCut, VK_F9);

  dialog.Click(idIncludePicker);
  EXPECT_EQ(ReadPickerSettings(FFolder.Path()).ActiveShortCut(), 0);
  EXPECT_FALSE(IsWindowEnabled(dialog.Control(idIncludePickerKey)));
  EXPECT_EQ(ReadPickerSettings(FFolder.Path()).ShortCut, VK_F9) << "off keeps the shortcut for later";
}

TEST_F(SettingsDialog, StoreAsUnicodeAsksFirstThenConvertsAndIsDoneAfterwards) {
  const std::string macros = FFolder.File("Macros");
  {
    TCatagories store(macros);
    TMacro macro = NewMacro();
    SetTitle(macro, "Caf\xE9");
    store.AddMacro(store.AddCatagory("Web"), macro);
  }
  const std::string ansiRecords = ReadBytes(macros + "\\Web.cat");
  OPEN_SETTINGS(dialog);
  HWND button = dialog.Control(idIncludeUnicode);
  EXPECT_TRUE(IsWindowEnabled(button));
  EXPECT_EQ(TextOf(button), "Store macros as &Unicode...");

  // No, the default answer, changes nothing.
  dialog.PostClick(idIncludeUnicode);
  HWND question = WaitForMessageBox("Store macros as Unicode");
  ASSERT_TRUE(question) << "no question";
  EXPECT_EQ(GetWindowLongA(GetDlgItem(question, IDNO), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON) << "No is the default";
  SendMessageA(question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitUntilGone(question));
  EXPECT_EQ(ReadBytes(macros + "\\Web.cat"), ansiRecords);
  EXPECT_FALSE(FileExists(macros + "\\encoding"));

  dialog.PostClick(idIncludeUnicode);
  question = WaitForMessageBox("Store macros as Unicode");
  ASSERT_TRUE(question);
  SendMessageA(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntilGone(question));
  HWND report = WaitForMessageBox("Store macros as Unicode");
  ASSERT_TRUE(report) << "no report";
  EXPECT_NE(MessageOf(report).find("1 macro in 1 catagory"), std::string::npos) << MessageOf(report);
  SendMessageA(report, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(report));
  EXPECT_EQ(TCatagories(macros).Encoding(), TStoreEncoding::Utf8);
  EXPECT_EQ(GetTitle(TCatagories(macros).Items[0].Macros[0]), "Caf\xC3\xA9");
  EXPECT_FALSE(IsWindowEnabled(button)) << "a UTF-8 folder is not offered again";
  EXPECT_EQ(TextOf(button), "Macros are stored as Unicode");
}
