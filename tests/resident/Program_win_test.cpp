#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "resident/HookKeys.h"
#include "resident/Program_win.h"
#include "resident/ProgramProcess.h"
#include "editor/formOptions_win.h"
#include "store/Catagories.h"
#include "store/IncludeList.h"
#include "store/ShortCut.h"

namespace {

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

LRESULT Send(HWND window, UINT message, WPARAM wParam) { return SendMessageA(window, message, wParam, 0); }

// Presses the keys in order through the hook messages; the answer to the last.
// Holds the chord's modifiers down for real while it lasts: dispatch asks
// the system whether they are down before it runs a shortcut.
class THeldModifiers {
 public:
  explicit THeldModifiers(const std::vector<unsigned>& keys) {
    for (unsigned key : keys)
      if (IsModifierKey(key)) FKeys.push_back(key);
    Send(0);
  }
  ~THeldModifiers() { Send(KEYEVENTF_KEYUP); }

 private:
  void Send(DWORD flags) const {
    std::vector<INPUT> inputs(FKeys.size());
    for (std::size_t i = 0; i < FKeys.size(); ++i) {
      inputs[i].type = INPUT_KEYBOARD;
      inputs[i].ki.wVk = static_cast<WORD>(FKeys[i]);
      inputs[i].ki.dwFlags = flags;
    }
    if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }
  std::vector<unsigned> FKeys;
};

LRESULT PressChord(HWND window, const std::vector<unsigned>& keys) {
  THeldModifiers held(keys);
  LRESULT answer = 0;
  for (unsigned key : keys) answer = Send(window, WM_HOOKKEYDOWN, key);
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) Send(window, WM_HOOKKEYUP, *key);
  return answer;
}

// One category with one macro on Ctrl+Alt+T, before the program starts.
void AddShortCutMacro(const TProgramProcess& program) {
  TCatagories store((program.Folder() / "Macros").string());
  TMacro macro = NewMacro();
  macro.ShortCut = kCtrlBit | kAltBit | 'T';
  store.AddMacro(store.AddCatagory("Web"), macro);
}

// A shortcut right after another one waits for the first request to come
// back through the program's queue (one run at a time): presses until used.
bool EventuallyUsed(HWND window, const std::vector<unsigned>& keys) {
  return PumpUntil([&] { return PressChord(window, keys) == kKeyUsed; }, 3000);
}

void CloseAndExpectExitZero(TProgramProcess& program, HWND appWindow) {
  // Destroying the application window posts the quit message.
  PostMessageA(appWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(TProgramProcess::WaitForExit(program.Handle()), 0u);
}

}  // namespace

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (AnotherCopyRuns()) GTEST_SKIP() << "another copy of the program is running";
  }
};

TEST_F(ProgramRun, SecondStartExitsZeroAndTheFirstOpensItsEditor) {
  TProgramProcess program;
  AddShortCutMacro(program);
  program.Start();
  HWND appWindow = program.WaitForAppWindow();
  ASSERT_NE(appWindow, nullptr);
  EXPECT_FALSE(IsWindowVisible(appWindow));
  EXPECT_EQ(GetWindowLongA(appWindow, GWL_STYLE) & WS_POPUP, WS_POPUP);
  EXPECT_EQ(GetParent(appWindow), nullptr);

  PROCESS_INFORMATION second = program.Start();
  EXPECT_EQ(TProgramProcess::WaitForExit(second.hProcess), 0u);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);

  std::string versionShort, versionLong;
  ReadFileVersion((program.Folder() / "zarvel.exe").string(), versionShort, versionLong);
  const std::string editorCaption = kMacroEditorCaption + versionLong;
  HWND editor = program.WaitForMessageBox(editorCaption.c_str());
  ASSERT_NE(editor, nullptr);
  // The editor works on the program's store: its one category is listed.
  HWND catagories = GetDlgItem(editor, idOptionsCatagory);
  EXPECT_EQ(SendMessageA(catagories, CB_GETCOUNT, 0, 0), 1);
  char chosen[64] = {};
  SendMessageA(catagories, WM_GETTEXT, sizeof chosen, reinterpret_cast<LPARAM>(chosen));
  EXPECT_STREQ(chosen, "Web");
  // While the editor is open shortcuts are off, and the toggle cannot turn
  // them on; when it closes they come back.
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, 'T'}), kKeyPassed);
  PressChord(appWindow, {kKeyCtrl, kKeyAlt, kKeyShift, 'Q'});
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, 'T'}), kKeyPassed);
  // A third copy while the editor is open opens no second one.
  PROCESS_INFORMATION third = program.Start();
  EXPECT_EQ(TProgramProcess::WaitForExit(third.hProcess), 0u);
  CloseHandle(third.hProcess);
  CloseHandle(third.hThread);
  PostMessageA(editor, WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return program.FindWindowOf("#32770", editorCaption.c_str()) == nullptr; }));
  EXPECT_TRUE(EventuallyUsed(appWindow, {kKeyCtrl, kKeyAlt, 'T'}));
  CloseAndExpectExitZero(program, appWindow);
}

TEST_F(ProgramRun, ShortCutsReachDispatchAndTheIncludeListFiltersThem) {
  TProgramProcess program;
  AddShortCutMacro(program);
  program.Start();
  HWND appWindow = program.WaitForAppWindow();
  ASSERT_NE(appWindow, nullptr);

  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, 'T'}), kKeyUsed);
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, 'T'}), kKeyPassed);
  EXPECT_EQ(PressChord(appWindow, {kKeyShift}), kKeyUsed);  // a modifier alone
  // The run request was handled (no run thread yet): the next press runs too.
  EXPECT_TRUE(EventuallyUsed(appWindow, {kKeyCtrl, kKeyAlt, 'T'}));

  // The reserved toggle: off, then no shortcut; on again.
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, kKeyShift, 'Q'}), kKeyPassed);
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, 'T'}), kKeyPassed);
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, kKeyShift, 'Q'}), kKeyPassed);
  EXPECT_TRUE(EventuallyUsed(appWindow, {kKeyCtrl, kKeyAlt, 'T'}));

  // Run requests that name no macro and unknown thread codes change nothing.
  EXPECT_EQ(SendMessageA(appWindow, WM_RUNMACRO, 5, 7), 0);
  EXPECT_EQ(SendMessageA(appWindow, WM_THREADDONE, 4, 0), 0);
  EXPECT_TRUE(EventuallyUsed(appWindow, {kKeyCtrl, kKeyAlt, 'T'}));
  CloseAndExpectExitZero(program, appWindow);
}

TEST_F(ProgramRun, NonEmptyIncludeListThatNamesNoProgramHereStopsTheShortCut) {
  TProgramProcess program;
  AddShortCutMacro(program);
  TIncludeList((program.Folder() / "include.dat").string()).AddEntry("no-such-program.exe");
  program.Start();
  HWND appWindow = program.WaitForAppWindow();
  ASSERT_NE(appWindow, nullptr);
  EXPECT_EQ(PressChord(appWindow, {kKeyCtrl, kKeyAlt, 'T'}), kKeyPassed);
  CloseAndExpectExitZero(program, appWindow);
}

TEST_F(ProgramRun, TrayMenuOpensAtTheAnchorAndCloses) {
  TProgramProcess program;
  program.Start();
  HWND appWindow = program.WaitForAppWindow();
  ASSERT_NE(appWindow, nullptr);
  // As the notification area reports the menu key on the icon: the event and
  // icon id in lParam, the icon's place in wParam.
  PostMessageA(appWindow, WM_TRAYNOTIFY, MAKEWPARAM(120, 90), MAKELPARAM(WM_CONTEXTMENU, 0));
  HWND menu = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (menu = program.FindWindowOf("#32768", nullptr)) != nullptr; }));
  RECT place{};
  GetWindowRect(menu, &place);
  EXPECT_EQ(place.left, 120);
  EXPECT_EQ(place.top, 90);
  // Cancelled without a choice: nothing happens and the program stays.
  PostMessageA(appWindow, WM_CANCELMODE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return program.FindWindowOf("#32768", nullptr) == nullptr; }));
  EXPECT_EQ(WaitForSingleObject(program.Handle(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseAndExpectExitZero(program, appWindow);
}

TEST_F(ProgramRun, MissingHookLibraryIsReportedAndTheProgramEnds) {
  TProgramProcess program{std::filesystem::path()};
  program.Start();
  HWND box = program.WaitForMessageBox("Fatal Error");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(Contains(StaticTexts(box), "Zarvel.dll could not be found, please re-install Zarvel!"));
  // The store was loaded before: include.dat exists, nothing else was written.
  EXPECT_TRUE(std::filesystem::exists(program.Folder() / "include.dat"));
  PostMessageA(box, WM_CLOSE, 0, 0);
  EXPECT_EQ(TProgramProcess::WaitForExit(program.Handle()), 0u);
}

TEST_F(ProgramRun, HookLibraryWithoutKeyHookDestroyIsReportedAndTheProgramEnds) {
  TProgramProcess program{std::filesystem::path(ZARVEL_TEST_BIN_DIR) / "incomplete" / "zarvel.dll"};
  program.Start();
  HWND box = program.WaitForMessageBox("Fatal Error");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(Contains(StaticTexts(box), "Error in Zarvel.dll, please re-install Zarvel!"));
  PostMessageA(box, WM_CLOSE, 0, 0);
  EXPECT_EQ(TProgramProcess::WaitForExit(program.Handle()), 0u);
}

TEST(ProgramVersion, ReadFromTheProgramsOwnVersionResource) {
  std::string versionShort = "x", versionLong = "x";
  ASSERT_TRUE(ReadFileVersion(BinFile("zarvel.exe").string(), versionShort, versionLong));
  // The build's version (CMake project version and build number).
  EXPECT_EQ(versionShort.find('.'), 1u);
  EXPECT_NE(versionLong.find(versionShort + "."), std::string::npos);
  EXPECT_NE(versionLong.find(" build "), std::string::npos);
  // A file without one (this test program) leaves both empty.
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  EXPECT_FALSE(ReadFileVersion(self, versionShort, versionLong));
  EXPECT_EQ(versionShort, "");
  EXPECT_EQ(versionLong, "");
}
