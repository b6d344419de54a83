#include "DemoCommands.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "TrayMenu.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kWineTrayClass = "__winex11_standalone_tray";

RECT Union(RECT a, RECT b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

void PrintRect(RECT area, long margin) {
  std::printf("RECT %ld %ld %ld %ld\n", std::max(0L, area.left - margin), std::max(0L, area.top - margin),
              area.right + margin, area.bottom + margin);
}

void HoldOpen(int holdSeconds) {
  std::printf("READY\n");
  Pump(seconds(holdSeconds));
}

void ShowTrayMenu(HWND app, int holdSeconds) {
  // The menu opens at the mouse: put it on the tray, as after a right click there.
  HWND tray = FindWindowA(kWineTrayClass, nullptr);
  RECT area{0, 0, 0, 0};
  if (tray) {
    GetWindowRect(tray, &area);
    SetCursorPos(area.left + 16, area.bottom - 12);
  }
  TTrayMenu menu(app);
  menu.Open();
  for (const TMenuItemSeen& item : menu.Read())
    std::printf("item %-22s%s%s\n", item.Separator ? "----" : item.Caption.c_str(), item.Checked ? " (checked)" : "",
                item.Default ? " (default)" : "");
  HWND menuWindow = nullptr;
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.Visible && info.ClassName == "#32768" && info.ProcessId == ProcessOf(app)) menuWindow = info.Window;
  RECT menuArea;
  GetWindowRect(menuWindow, &menuArea);
  PrintRect(tray ? Union(area, menuArea) : menuArea, 6);
  HoldOpen(holdSeconds);
  menu.Close();
}

void ShowWindowFromMenu(HWND app, const std::string& item, const std::string& caption,
                        const std::string& closeButton, int holdSeconds) {
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose(item);
  }
  HWND window = WaitForWindow(ProcessOf(app), caption, seconds(5));
  Check(window != nullptr, "'" + item + "' opened no window captioned '" + caption + "'");
  Pump(milliseconds(300));  // let it paint before the picture
  RECT area;
  GetWindowRect(window, &area);
  PrintRect(area, 0);
  HoldOpen(holdSeconds);
  ClickButton(FindButton(window, closeButton));
  Check(WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, seconds(5)),
        "'" + closeButton + "' did not close '" + caption + "'");
}

// The macro editor over the sample category, as the tray menu opens it.
void ShowEditor(HWND app, int holdSeconds) {
  DWORD process = ProcessOf(app);
  std::vector<HWND> before = VisibleWindowsOf(process);
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Macro Editor");
  }
  HWND window = WaitForNewWindow(process, before, seconds(5));
  Check(window != nullptr, "'&Macro Editor' opened no window");
  Pump(milliseconds(500));  // let it paint before the picture
  RECT area;
  GetWindowRect(window, &area);
  PrintRect(area, 0);
  HoldOpen(holdSeconds);
  PostMessageA(window, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, seconds(5)),
        "the macro editor did not close");
}

// The picker opened with Ctrl+Alt+Space over a text in the driver's window.
void ShowPicker(HWND app, int holdSeconds) {
  TDriverWindow driver;
  driver.Activate();
  driver.SetText("Pick a macro for this word.");
  driver.Select("word");
  HWND picker = nullptr;
  for (int press = 0; press < 3 && picker == nullptr; ++press) {
    driver.Activate();
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, VK_SPACE});
    picker = WaitForWindow(ProcessOf(app), "Run a macro", seconds(3));
  }
  Check(picker != nullptr, "Ctrl+Alt+Space opened no picker");
  Pump(milliseconds(300));  // let it paint before the picture
  RECT pickerArea, driverArea;
  GetWindowRect(picker, &pickerArea);
  GetWindowRect(driver.Window(), &driverArea);
  PrintRect(Union(pickerArea, driverArea), 6);
  HoldOpen(holdSeconds);
  TDriverWindow::PressChord({VK_ESCAPE});
  Check(WaitFor([&] { return !IsWindowVisible(picker); }, seconds(5)), "Escape did not close the picker");
}

int Report(const char* command, const std::exception& error) {
  std::printf("FAIL %s: %s\n", command, error.what());
  return 1;
}

}  // namespace

int ShowCommand(const char* what, int holdSeconds) {
  try {
    HWND app = RunningApp();
    std::string name = what;
    if (name == "tray-menu") ShowTrayMenu(app, holdSeconds);
    else if (name == "settings") ShowWindowFromMenu(app, "&Settings", "Settings", "&Close", holdSeconds);
    else if (name == "about") ShowWindowFromMenu(app, "&About...", "About Zarvel...", "OK", holdSeconds);
    else if (name == "editor") ShowEditor(app, holdSeconds);
    else if (name == "picker") ShowPicker(app, holdSeconds);
    else throw TFail("nothing called '" + name + "' to show");
    return 0;
  } catch (const std::exception& error) {
    return Report("show", error);
  }
}

namespace {

// Selects `part` of `text`, presses Ctrl+Alt+key and prints the text before
// and after the run.
void ShowRun(TDriverWindow& driver, WORD key, const std::string& text, const std::string& part) {
  driver.Activate();
  driver.SetText(text);
  driver.Select(part);
  std::printf("before: %s\n", text.c_str());
  std::printf("pressing Ctrl+Alt+%c with '%s' selected\n", static_cast<char>(key), part.c_str());
  TDriverWindow::PressChord({VK_CONTROL, VK_MENU, key});
  bool changed = WaitFor([&] { return driver.Text() != text; }, seconds(5));
  std::printf("after:  %s\n", driver.Text().c_str());
  if (!changed) std::printf("(unchanged: the run did not paste within 5 s)\n");
  Pump(milliseconds(300));  // the run's end, before the next shortcut
}

}  // namespace

int RunShortCutCommand() {
  try {
    RunningApp();
    TDriverWindow driver;
    ShowRun(driver, 'K', "Zarvel makes this word bold.", "word");
    ShowRun(driver, 'L', "first line\r\nsecond line", "first line\r\nsecond line");
    return 0;
  } catch (const std::exception& error) {
    return Report("run-shortcut", error);
  }
}

int ExitProgramCommand() {
  try {
    HWND app = FindAppWindow();
    if (!app) return 0;
    try {
      TTrayMenu menu(app);
      menu.Open();
      menu.Choose("E&xit");
    } catch (const TFail&) {
      // Fall through to the quit message below.
    }
    Check(QuitProgram(app, seconds(10)), "the program did not end and was terminated");
    return 0;
  } catch (const std::exception& error) {
    return Report("exit-program", error);
  }
}
