// Shortcuts pressed into the driver's own edit control. Before a macro run
// can be watched, dispatch shows in the hook's answer: the key that completes
// a dispatched shortcut is withheld from the focused program; every other key
// gets through.

#include <windows.h>

#include <cstring>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"
#include "TrayIconLook.h"
#include "TrayMenu.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// The fixture's macros (tests/e2e/macros.json): Ctrl+Alt+K is a macro's
// shortcut, Ctrl+Alt+J is none.
constexpr WORD kShortCutKey = 'K';
constexpr WORD kOtherKey = 'J';
// The key the program presses after a withheld key while Alt is down
// (src/resident/HookKeys.h).
constexpr WORD kAltMaskKey = 0xE8;

void PressToggle() { TDriverWindow::PressChord({VK_CONTROL, VK_MENU, VK_SHIFT, 'Q'}); }

bool EnabledMarkWithin(HWND app, bool expected) {
  TTrayMenu menu(app);
  return WaitFor([&] { return EnabledChecked(menu.OpenAndRead()) == expected; }, seconds(3),
                 milliseconds(100));
}

}  // namespace

void PrepareText(TDriverWindow& driver) {
  driver.Activate();
  driver.SetText("alpha beta gamma");
  driver.Select("beta");
}

bool ShortCutPassesThrough(TDriverWindow& driver) {
  driver.Activate();
  return driver.ChordReachesEdit({VK_CONTROL, VK_MENU, kShortCutKey});
}

bool ShortCutDispatched(TDriverWindow& driver) {
  // A run started by an earlier dispatch holds off the next one until it
  // ends, and a changed include list reaches the hook within a moment, so a
  // withheld key is looked for over a few presses.
  for (int press = 0; press < 4; ++press) {
    if (!ShortCutPassesThrough(driver)) return true;
    Pump(milliseconds(400));
  }
  return false;
}

void DispatchScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  PrepareText(driver);
  Check(driver.ChordReachesEdit({VK_CONTROL, VK_MENU, kOtherKey}),
        "Ctrl+Alt+J, which is no shortcut, was withheld from the focused program");
  int ctrlBefore = driver.KeyDowns(VK_CONTROL), altBefore = driver.KeyDowns(VK_MENU);
  Check(ShortCutDispatched(driver),
        "Ctrl+Alt+K was not dispatched: the key reached the focused program");
  // Only the completing key is withheld: the modifiers of that press got through.
  Check(driver.KeyDowns(VK_CONTROL) > ctrlBefore && driver.KeyDowns(VK_MENU) > altBefore,
        "the modifiers of the dispatched shortcut were withheld too");
}

void AltGrScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  PrepareText(driver);
  // On a layout with AltGr, AltGr+K types a character: it is no Ctrl+Alt+K.
  Check(driver.AltGrReachesEdit(kShortCutKey), "AltGr+K was taken for Ctrl+Alt+K: the key was withheld");
  Check(driver.AltGrReachesEdit(kShortCutKey), "a second AltGr+K was withheld");
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched after AltGr+K");
}

void AltMenuScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver(false, true);
  PrepareText(driver);
  // The window shows what a lone Alt tap does to a menu bar.
  TDriverWindow::PressChord({VK_MENU});
  Check(WaitFor([&] { return driver.MenuActivations() == 1; }, seconds(3)),
        "a lone Alt tap did not activate the window's menu bar");
  // Alt+U swaps the case of the selection (tests/e2e/macros.json). Alt is
  // let go before U, as fast typists do: U's release cannot break the Alt
  // tap then, only the masking key can.
  TDriverWindow::SendKeys({{VK_MENU, true}, {'U', true}});
  Pump(milliseconds(300));
  TDriverWindow::SendKeys({{VK_MENU, false}, {'U', false}});
  Check(WaitFor([&] { return driver.Text() == "alpha BETA gamma"; }, seconds(10)),
        "Alt+U did not run its macro: the text is '" + driver.Text() + "'");
  Pump(milliseconds(500));
  Check(driver.MenuActivations() == 1, "the Alt shortcut left a lone Alt tap: the menu bar was activated");
  Check(driver.KeyDowns(kAltMaskKey) > 0, "no masking key reached the window after the withheld key");
}

void HookLostScenario(const TScenarioContext&) {
  HWND app = RunningApp();
  TDriverWindow driver;
  PrepareText(driver);
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched before the hook was taken away");
  TTrayMenu probe(app);
  probe.DropKeyboardHook();
  Pump(milliseconds(1500));  // the run the first press started has ended
  PrepareText(driver);
  Check(ShortCutPassesThrough(driver), "Ctrl+Alt+K was still withheld after the hook was taken away");
  // The presses the hook never saw tell the program; it installs the hook
  // again within a moment, and the shortcut works without a restart.
  Check(WaitFor([&] { return !ShortCutPassesThrough(driver); }, seconds(8), milliseconds(700)),
        "the program did not install its keyboard hook again: Ctrl+Alt+K still reaches the focused program");
}

void DispatchFilteredScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  std::string include = ReadWholeFile(context.AppDir + "\\include.dat");
  Check(include.size() == 256 && include.find("zarvel-e2e-driver") == std::string::npos,
        "this folder's include.dat must hold one entry that is not the driver");
  TProgram program(context.ExePath());
  HWND app = WaitForAppWindow(seconds(10));
  Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start within 10 s");
  {
    TDriverWindow driver;
    PrepareText(driver);
    Check(ShortCutPassesThrough(driver), "Ctrl+Alt+K was dispatched although the include list names another program");
    // The hook is attached and heard the keys: the toggle still works here.
    PressToggle();
    Check(EnabledMarkWithin(app, false), "the toggle did not reach the program, so the hook is not attached");
  }
  Check(QuitProgram(app, seconds(10)), "the program did not end on the quit message");
  DWORD exitCode = 1;
  program.WaitForExit(seconds(1), exitCode);
  Check(exitCode == 0, "the program ended with exit code " + std::to_string(exitCode));
}

void ToggleScenario(const TScenarioContext&) {
  HWND app = RunningApp();
  Check(EnabledMarkWithin(app, true), "shortcuts are not on at the start");
  std::string lookOn = TrayIconLook();
  TDriverWindow driver;
  PrepareText(driver);

  PressToggle();
  Check(EnabledMarkWithin(app, false), "Ctrl+Alt+Shift+Q did not clear the Enabled check mark");
  bool iconChanged = WaitFor([&] { return TrayIconLook() != lookOn; }, seconds(3));
  Check(iconChanged, "the tray icon did not change when shortcuts went off");
  Check(ShortCutPassesThrough(driver), "Ctrl+Alt+K was dispatched while shortcuts are off");

  PressToggle();
  Check(EnabledMarkWithin(app, true), "Ctrl+Alt+Shift+Q did not set the Enabled check mark again");
  bool iconBack = WaitFor([&] { return TrayIconLook() == lookOn; }, seconds(3));
  Check(iconBack, "the tray icon did not return to its first picture when shortcuts came on");
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched after shortcuts came back on");
}

namespace {

HWND OpenMacroEditor(HWND app) {
  std::vector<HWND> before = VisibleWindowsOf(ProcessOf(app));
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Macro Editor");
  }
  HWND editor = WaitForNewWindow(ProcessOf(app), before, seconds(5));
  Check(editor != nullptr, "Macro Editor opened no window within 5 s");
  Check(TextOf(editor).rfind("Zarvel ", 0) == 0 && !ChildrenOfClass(editor, "SysListView32").empty(),
        "Macro Editor opened '" + TextOf(editor) + "', not the macro editor with its list");
  return editor;
}

void CloseMacroEditor(HWND editor) {
  PostMessageA(editor, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }, seconds(5)),
        "the macro editor does not close");
}

}  // namespace

void MacroEditorScenario(const TScenarioContext&) {
  HWND app = RunningApp();
  Check(EnabledMarkWithin(app, true), "shortcuts are not on at the start");
  std::string lookOn = TrayIconLook();
  TDriverWindow driver;
  PrepareText(driver);

  // While the editor is open the shortcuts are off, whatever the user does.
  HWND editor = OpenMacroEditor(app);
  Check(EnabledMarkWithin(app, false), "the Enabled check mark stayed while the macro editor is open");
  Check(WaitFor([&] { return TrayIconLook() != lookOn; }, seconds(3)),
        "the tray icon did not change while the macro editor is open");
  Check(ShortCutPassesThrough(driver), "Ctrl+Alt+K was dispatched while the macro editor is open");
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Enabled");
  }
  PressToggle();
  Pump(milliseconds(300));
  Check(EnabledMarkWithin(app, false), "Enabled or the toggle key switched shortcuts on while the editor is open");

  CloseMacroEditor(editor);
  Check(EnabledMarkWithin(app, true), "closing the macro editor did not switch the shortcuts back on");
  Check(WaitFor([&] { return TrayIconLook() == lookOn; }, seconds(3)),
        "the tray icon did not return when the macro editor closed");
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched after the macro editor closed");

  // Shortcuts that were off before the editor opened stay off after it closes.
  PressToggle();
  Check(EnabledMarkWithin(app, false), "Ctrl+Alt+Shift+Q did not switch shortcuts off");
  CloseMacroEditor(OpenMacroEditor(app));
  Pump(milliseconds(300));
  Check(EnabledMarkWithin(app, false), "closing the editor switched on shortcuts that were off before it opened");
  PressToggle();
  Check(EnabledMarkWithin(app, true), "Ctrl+Alt+Shift+Q did not switch shortcuts back on");
}
