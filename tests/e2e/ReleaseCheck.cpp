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

int UpdateWithoutUpdaterCommand() {
  const char* name = "update-without-updater";
  try {
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
    HWND box = WaitForWindow(processId, "Check for update...", seconds(5));
    Check(box != nullptr, "Check for update... asked nothing within 5 s");
    HWND yes = GetDlgItem(box, IDYES);
    Check(yes != nullptr, "the question has no Yes button");
    ClickButton(yes);
    bool ended = WaitFor([&] { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, seconds(10));
    Check(ended, "the program still runs 10 s after Yes");
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    Check(exitCode == 0, "the program ended with code " + std::to_string(exitCode));
    Pump(milliseconds(1000));  // a window opened by the shell would show by now
    for (const TWindowInfo& info : VisibleWindowsBesides(processId)) {
      bool known = false;
      for (const TWindowInfo& old : before) known = known || old.Window == info.Window;
      Check(known, "a window appeared: '" + info.Caption + "' (" + info.ClassName + ")");
    }
    std::printf("PASS %s: the program ended with code 0 and nothing else appeared\n", name);
    return 0;
  } catch (const std::exception& error) {
    std::printf("FAIL %s: %s\n", name, error.what());
    return 1;
  }
}
