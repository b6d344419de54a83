#include "ReleaseCheck.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "TrayMenu.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

std::string UnescapeCommandText(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      result += text[i];
      continue;
    }
    char next = text[++i];
    if (next == 'n') result += "\r\n";
    else if (next == 't') result += '\t';
    else if (next == '\\') result += '\\';
    else result += std::string("\\") + next;
  }
  return result;
}

namespace {

// A shown form of a text for the verdict line: line breaks and TABs as typed.
std::string Shown(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') shown += "\\n";
    else if (c == '\t') shown += "\\t";
    else shown += c;
  }
  return shown;
}

// Visible top-level windows of every process but the one named.
std::vector<TWindowInfo> VisibleWindowsBesides(DWORD processId) {
  std::vector<TWindowInfo> windows;
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.Visible && info.ProcessId != processId && info.ProcessId != GetCurrentProcessId()) windows.push_back(info);
  return windows;
}

WORD KeyOf(const std::string& key) {
  Check(key.size() == 1 && ((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= '0' && key[0] <= '9')),
        "the key must be one capital letter or digit, not '" + key + "'");
  return static_cast<WORD>(key[0]);
}

}  // namespace

int PressShortCutCommand(const char* key, const char* text, const char* part, const char* expected) {
  std::string name = std::string("press-shortcut Ctrl+Alt+") + key;
  try {
    WORD keyCode = KeyOf(key);
    std::string before = UnescapeCommandText(text);
    std::string want = UnescapeCommandText(expected);
    RunningApp();
    TDriverWindow driver;
    driver.Activate();
    driver.SetText(before);
    driver.Select(UnescapeCommandText(part));
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, keyCode});
    bool matched = WaitFor([&] { return driver.Text() == want; }, seconds(10));
    Check(matched, "the text is '" + Shown(driver.Text()) + "', not '" + Shown(want) + "'");
    // The run ends after its paste; the next shortcut needs that end.
    Pump(milliseconds(300));
    std::printf("PASS %s: '%s'\n", name.c_str(), Shown(want).c_str());
    return 0;
  } catch (const std::exception& error) {
    std::printf("FAIL %s: %s\n", name.c_str(), error.what());
    return 1;
  }
}

void CheckUpdateWithoutUpdater(const std::string& appDir) {
  Check(!FileExists(appDir + "\\vornupdate.exe"), "this folder has a vornupdate.exe");
  HWND app = RunningApp();
  DWORD processId = ProcessOf(app);
  TOwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  Check(static_cast<bool>(process), "the program's process cannot be watched");
  std::vector<TWindowInfo> before = VisibleWindowsBesides(processId);
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Check for update...");
  }
  HWND question = WaitForWindow(processId, "Check for update...", seconds(5));
  Check(question != nullptr, "Check for update... asked nothing within 5 s");
  HWND yes = GetDlgItem(question, IDYES);
  Check(yes != nullptr, "the question has no Yes button");
  ClickButton(yes);
  HWND box = nullptr;
  Check(WaitFor([&] {
          box = WaitForWindow(processId, "Check for update...", milliseconds(100));
          return box != nullptr && box != question;
        }, seconds(5)),
        "no message after Yes without the updater");
  std::string text = FindStaticText(box, [](const std::string& t) { return !t.empty(); });
  Check(text.find("not installed") != std::string::npos && text.find("download page") != std::string::npos,
        "the message reads '" + text + "'");
  Check(WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT, "the program ended while its message was shown");
  ClickButton(FindButton(box, "OK"));
  Check(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, seconds(5)), "OK did not close the message");
  Pump(milliseconds(1000));  // a window opened by the shell would show by now
  Check(WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT, "the program ended after the message");
  Check(IsWindow(app), "the program's application window is gone");
  for (const TWindowInfo& info : VisibleWindowsBesides(processId)) {
    bool known = false;
    for (const TWindowInfo& old : before) known = known || old.Window == info.Window;
    Check(known, "a window appeared: '" + info.Caption + "' (" + info.ClassName + ")");
  }
}

int UpdateWithoutUpdaterCommand(const std::string& appDir) {
  const char* name = "update-without-updater";
  try {
    CheckUpdateWithoutUpdater(appDir);
    std::printf("PASS %s: the program says where new versions are found and keeps running\n", name);
    return 0;
  } catch (const std::exception& error) {
    std::printf("FAIL %s: %s\n", name, error.what());
    return 1;
  }
}
