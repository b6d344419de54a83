#include <windows.h>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "ReleaseCheck.h"
#include "Scenarios.h"
#include "TrayIconLook.h"
#include "TrayMenu.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kFatalCaption = "Fatal Error";

// Starts a copy that must stop at start-up with a "Fatal Error" box holding
// the message; closes the box and expects exit code 0 and no icon.
void ExpectStartFailure(const TScenarioContext& context, const std::string& message) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  std::string trayBefore = TrayIconLook();
  TProgram program(context.ExePath());
  HWND box = WaitForWindow(program.Id(), kFatalCaption, seconds(10));
  Check(box != nullptr, "no '" + std::string(kFatalCaption) + "' message box within 10 s");
  std::string text = FindStaticText(box, [](const std::string& t) { return !t.empty(); });
  Check(text == message, "the message reads '" + text + "', expected '" + message + "'");
  bool hasIcon = false;
  for (HWND label : ChildrenOfClass(box, "Static"))
    if ((GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) hasIcon = true;
  Check(hasIcon, "the message box shows no icon");
  Check(GetWindow(box, GW_OWNER) == nullptr, "the message box has an owner window");
  Check(TrayIconLook() == trayBefore, "a tray icon appeared before the library was checked");
  ClickButton(FindButton(box, "OK"));
  DWORD exitCode = 0;
  Check(program.WaitForExit(seconds(10), exitCode), "the program still runs 10 s after its message was closed");
  Check(exitCode == 0, "exit code " + std::to_string(exitCode) + ", expected 0");
}

}  // namespace

void MissingLibraryScenario(const TScenarioContext& context) {
  Check(!FileExists(context.AppDir + "\\zarvel.dll"), "this folder has a zarvel.dll");
  ExpectStartFailure(context, "Zarvel.dll could not be found, please re-install Zarvel!");
}

void LibraryWithoutDestroyScenario(const TScenarioContext& context) {
  ExpectStartFailure(context, "Error in Zarvel.dll, please re-install Zarvel!");
}

void SecondStartScenario(const TScenarioContext& context) {
  HWND app = WaitForAppWindow(seconds(5));
  Check(app != nullptr, "the first copy is not running");
  DWORD firstId = ProcessOf(app);
  std::vector<HWND> firstWindowsBefore = VisibleWindowsOf(firstId);
  std::string trayBefore = TrayIconLook();
  TProgram second(context.ExePath());
  bool showedWindow = false;
  DWORD exitCode = 0;
  bool ended = WaitFor(
      [&] {
        if (!VisibleWindowsOf(second.Id()).empty()) showedWindow = true;
        return !second.Running();
      },
      seconds(10), milliseconds(10));
  Check(ended, "the second copy still runs after 10 s");
  second.WaitForExit(milliseconds(0), exitCode);
  Check(!showedWindow, "the second copy showed a window");
  Check(exitCode == 0, "the second copy ended with exit code " + std::to_string(exitCode));
  Check(IsWindow(app), "the first copy's application window is gone");

  // The first copy hears the broadcast and opens its macro editor.
  HWND opened = WaitForNewWindow(firstId, firstWindowsBefore, seconds(5));
  Check(opened != nullptr, "the first copy opened no window on the second start");
  // Closing it gives the shortcuts back, and the tray shows one icon as before.
  PostMessageA(opened, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(opened) || !IsWindowVisible(opened); }, seconds(5)),
        "the window the first copy opened does not close");
  Check(WaitFor([&] { return TrayIconLook() == trayBefore; }, seconds(3)),
        "the tray does not look as before the second start once the editor is closed");
}

void SecondStartFrontScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  const std::string caption = "Zarvel " + VersionLongOf(context.ExePath());
  HWND editor = OpenFromMenu(app, "&Macro Editor", caption);
  // Another window in front of the open editor.
  TDriverWindow driver;
  driver.Activate();
  TProgram second(context.ExePath());
  DWORD exitCode = 1;
  Check(second.WaitForExit(seconds(10), exitCode) && exitCode == 0, "the second copy did not end with code 0");
  bool inFront = WaitFor([&] { return GetForegroundWindow() == editor; }, seconds(5));
  HWND front = GetForegroundWindow();
  Check(inFront, "the foreground window after the second start is '" + TextOf(front) + "', not the editor");
  Check(WindowsWithCaption(ProcessOf(app), caption).size() == 1, "a second start opened a second editor");
  PostMessageA(editor, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }, seconds(5)),
        "the editor does not close");
}

void TrayMenuScenario(const TScenarioContext& context) {
  HWND app = WaitForAppWindow(seconds(5));
  Check(app != nullptr, "the program is not running");
  TTrayMenu menu(app);
  std::vector<TMenuItemSeen> items = menu.OpenAndRead();
  const char* const expected[] = {"&Macro Editor", "&Enabled", "&Settings", "R&un a macro...", "", "&About...",
                                  "&Help", "", "&Check for update...", "&Report a bug...", "E&xit"};
  Check(items.size() == 11, "the tray menu has " + std::to_string(items.size()) + " items, expected 11");
  for (std::size_t i = 0; i < items.size(); ++i) {
    bool separator = expected[i][0] == '\0';
    Check(items[i].Separator == separator,
          "item " + std::to_string(i) + (separator ? " is no separator" : " is a separator"));
    if (!separator)
      Check(items[i].Caption == expected[i],
            "item " + std::to_string(i) + " reads '" + items[i].Caption + "', expected '" + expected[i] + "'");
    Check(items[i].Default == (i == 0), "item " + std::to_string(i) +
                                             (i == 0 ? " is not the default item" : " is a default item"));
    Check(items[i].Checked == (i == 1), "item " + std::to_string(i) +
                                             (i == 1 ? " has no check mark at start" : " has a check mark"));
  }
  Check(!TrayIconLook().empty(), "no tray icon is shown");
  std::string tip = TrayTipText();
  std::string expectedTip = "Zarvel " + VersionShortOf(context.ExePath());
  Check(tip == expectedTip, "the tray icon's tip reads '" + tip + "', expected '" + expectedTip + "'");
}

void TrayKeyboardScenario(const TScenarioContext& /*context*/) {
  HWND app = WaitForAppWindow(seconds(5));
  Check(app != nullptr, "the program is not running");
  TTrayMenu menu(app);
  // Win+B and the arrows bring the focus to the icon; the menu key then
  // reports the icon's place, where the menu belongs.
  POINT icon{300, 200};
  menu.OpenFromKeyboard(icon);
  const std::size_t items = menu.Read().size();
  Check(items > 0, "the menu opened from the keyboard holds no item");
  RECT place{};
  GetWindowRect(menu.MenuWindow(), &place);
  Check(place.left == icon.x && place.top == icon.y,
        "the menu opened at " + std::to_string(place.left) + "," + std::to_string(place.top) +
            ", not at the icon's place " + std::to_string(icon.x) + "," + std::to_string(icon.y));
  menu.Close();  // Escape
  Pump(std::chrono::milliseconds(300));
  Check(IsWindow(app), "the program ended after Escape closed its menu");
  // Still answering: the menu opens again, from the mouse this time.
  Check(menu.OpenAndRead().size() == items, "the tray menu is not the same after Escape");
}

void ExitScenario(const TScenarioContext& context) {
  HWND app = WaitForAppWindow(seconds(5));
  Check(app != nullptr, "the program is not running");
  DWORD processId = ProcessOf(app);
  TOwnedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  Check(static_cast<bool>(process), "the program's process cannot be opened");
  std::string trayBefore = TrayIconLook();
  Check(!trayBefore.empty(), "no tray icon is shown before Exit");
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("E&xit");
  }
  bool ended = WaitFor([&] { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, seconds(10));
  Check(ended, "the program still runs 10 s after Exit");
  DWORD exitCode = 1;
  GetExitCodeProcess(process.Get(), &exitCode);
  Check(exitCode == 0, "exit code " + std::to_string(exitCode) + ", expected 0");
  bool iconGone = WaitFor([&] { return TrayIconLook() != trayBefore; }, seconds(3));
  Check(iconGone, "the tray icon is still shown after the program ended");
  Check(FindAppWindow() == nullptr, "an application window is still there");

  // The instance is free again: a new copy starts and stays resident.
  TProgram next(context.ExePath());
  HWND nextApp = WaitForAppWindow(seconds(10));
  Check(nextApp != nullptr && ProcessOf(nextApp) == next.Id(), "a new copy does not start after Exit");
  Check(QuitProgram(nextApp, seconds(10)), "the new copy did not end on the quit message");
}

void UpdateDeclinedScenario(const TScenarioContext&) {
  HWND app = RunningApp();
  DWORD processId = ProcessOf(app);
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Check for update...");
  }
  HWND box = WaitForWindow(processId, "Check for update...", seconds(5));
  Check(box != nullptr, "Check for update... asked nothing within 5 s");
  const std::string question =
      "This will temporarily shutdown Zarvel and check for any new updates, are you sure you want to continue?";
  std::string text = FindStaticText(box, [](const std::string& t) { return !t.empty(); });
  Check(text == question, "the question reads '" + text + "'");
  HWND no = GetDlgItem(box, IDNO);
  Check(no != nullptr && GetDlgItem(box, IDYES) != nullptr, "the question has no Yes and No buttons");
  ClickButton(no);
  Check(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, seconds(5)), "No did not close the question");
  // Declined: the program keeps running and answers its tray as before.
  Pump(milliseconds(500));
  Check(IsWindow(app), "the program ended although the update was declined");
  TTrayMenu menu(app);
  Check(menu.OpenAndRead().size() == 11, "the tray menu is not the same after the update was declined");
}

void UpdateWithoutUpdaterScenario(const TScenarioContext& context) {
  CheckUpdateWithoutUpdater(context.AppDir);
  TTrayMenu menu(RunningApp());
  Check(menu.OpenAndRead().size() == 11, "the tray menu is not the same after the message");
}
