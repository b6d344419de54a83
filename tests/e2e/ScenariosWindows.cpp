// The windows opened from the tray menu, each on its own thread in the
// program: found by caption, driven through their controls, and checked
// against what they store.

#include <windows.h>

#include <algorithm>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"
#include "TrayMenu.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kAboutCaption = "About Zarvel...";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Zarvel";
constexpr std::size_t kIncludeRecordSize = 256;

void MakeEmptyFile(const std::string& path) {
  CreateDirectoryA(FolderOf(path).c_str(), nullptr);
  TOwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  Check(static_cast<bool>(file), "cannot create " + path);
}

// The include list's records, as names.
std::vector<std::string> IncludeFileEntries(const std::string& appDir) {
  std::string bytes = ReadWholeFile(appDir + "\\include.dat");
  Check(bytes.size() % kIncludeRecordSize == 0,
        "include.dat is " + std::to_string(bytes.size()) + " bytes long, not whole records");
  std::vector<std::string> names;
  for (std::size_t at = 0; at < bytes.size(); at += kIncludeRecordSize) {
    std::size_t length = static_cast<unsigned char>(bytes[at]);
    names.push_back(bytes.substr(at + 1, length));
  }
  return names;
}

std::string Join(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return "[" + text + "]";
}

void ExpectIncludes(const TSettingsWindow& settings, const std::string& appDir,
                    const std::vector<std::string>& expected, const std::string& after) {
  bool listed = WaitFor([&] { return settings.Lines() == expected; }, seconds(3));
  Check(listed, after + ": the list shows " + Join(settings.Lines()) + ", expected " + Join(expected));
  std::vector<std::string> stored = IncludeFileEntries(appDir);
  Check(stored == expected, after + ": include.dat holds " + Join(stored) + ", expected " + Join(expected));
}

int StoredCopyRule(const std::string& appDir) {
  std::string ini = appDir + "\\zarvel.ini";
  return static_cast<int>(GetPrivateProfileIntA("Image", "Copy", -1, ini.c_str()));
}

// The Run value's data; false when the value does not exist.
bool ReadRunValue(std::string& data) {
  char buffer[1024] = {0};
  DWORD size = sizeof buffer;
  if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return false;
  data = buffer;
  return true;
}

bool SamePath(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void AboutScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  HWND about = OpenFromMenu(app, "&About...", kAboutCaption);
  std::string expected = "Version " + VersionLongOf(context.ExePath());
  std::string shown = FindStaticText(about, [](const std::string& t) { return t.rfind("Version", 0) == 0; });
  Check(shown == expected, "the about box shows '" + shown + "', expected '" + expected + "'");
  // A second About while the box is open opens no second box.
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&About...");
  }
  Pump(milliseconds(500));
  std::size_t boxes = WindowsWithCaption(ProcessOf(app), kAboutCaption).size();
  Check(boxes == 1, std::to_string(boxes) + " about boxes are open after About was chosen twice");
  CloseWith(about, "OK");
  // OK is the default button and the cancel button.
  CloseWithKey(OpenFromMenu(app, "&About...", kAboutCaption), VK_RETURN, "Enter");
  CloseWithKey(OpenFromMenu(app, "&About...", kAboutCaption), VK_ESCAPE, "Escape");
}

void SettingsIncludeScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  Check(IncludeFileEntries(context.AppDir).empty(), "include.dat is not empty before the scenario");
  std::string picks = context.AppDir + "\\e2e-picks";
  for (const char* name : {"Editor.exe", "Viewer.exe", "Shell.exe"}) MakeEmptyFile(picks + "\\" + name);
  char driverPath[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, driverPath, MAX_PATH);
  std::string driverName = driverPath + FolderOf(driverPath).size() + 1;
  TDriverWindow driver;
  PrepareText(driver);

  TSettingsWindow settings(app);
  ExpectIncludes(settings, context.AppDir, {}, "at opening");
  std::vector<std::string> expected;
  for (const char* name : {"Editor.exe", "Viewer.exe", "Shell.exe"}) {
    settings.Add(picks + "\\" + name);
    expected.push_back(name);
    ExpectIncludes(settings, context.AppDir, expected, std::string("adding ") + name);
  }
  // The list takes effect while the window is still open.
  Pump(milliseconds(300));
  Check(ShortCutPassesThrough(driver), "Ctrl+Alt+K was dispatched although the include list lacks the driver");

  // Removing the first entry moves the last one into its place.
  settings.RemoveLine(0);
  ExpectIncludes(settings, context.AppDir, {"Shell.exe", "Viewer.exe"}, "removing Editor.exe");
  settings.RemoveLine(1);
  ExpectIncludes(settings, context.AppDir, {"Shell.exe"}, "removing Viewer.exe");
  settings.RemoveLine(-1);
  Pump(milliseconds(300));
  ExpectIncludes(settings, context.AppDir, {"Shell.exe"}, "Remove without a selected line");

  settings.Add(driverPath);
  ExpectIncludes(settings, context.AppDir, {"Shell.exe", driverName}, "adding the driver");
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched although the include list names the driver");
  settings.RemoveLine(0);
  settings.RemoveLine(0);
  ExpectIncludes(settings, context.AppDir, {}, "removing every entry");
  const std::string before = driver.Text();
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched after the include list was emptied");
  // The run ends on the driver's text before the scenario takes its window
  // away; a run whose target closes under it is another scenario's matter.
  Check(WaitFor([&] { return driver.Text() != before; }, seconds(5)), "the dispatched run did not paste");
  Pump(milliseconds(300));
  settings.Close();
}

void SettingsCopyScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  TSettingsWindow settings(app);
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Settings");
  }
  Pump(milliseconds(500));
  std::size_t windows = WindowsWithCaption(ProcessOf(app), kSettingsCaption).size();
  Check(windows == 1, std::to_string(windows) + " settings windows are open after Settings was chosen twice");
  int atOpening = StoredCopyRule(context.AppDir);
  int shownAtOpening = settings.Checked("&Always") ? 1 : settings.Checked("&Never") ? 3 : 2;
  Check(settings.Checked("&Confirm") == (shownAtOpening == 2), "more than one copy rule is ticked");
  Check(atOpening == -1 || atOpening == shownAtOpening,
        "zarvel.ini holds Copy=" + std::to_string(atOpening) + " but the window shows " +
            std::to_string(shownAtOpening));
  const std::pair<const char*, int> choices[] = {{"&Never", 3}, {"&Always", 1}, {"&Confirm", 2}};
  for (const auto& choice : choices) {
    settings.ClickUntil(choice.first, true);
    bool stored = WaitFor([&] { return StoredCopyRule(context.AppDir) == choice.second; }, seconds(3));
    Check(stored, std::string(choice.first) + " stored Copy=" + std::to_string(StoredCopyRule(context.AppDir)) +
                      ", expected " + std::to_string(choice.second));
    for (const auto& other : choices)
      if (other.second != choice.second)
        Check(!settings.Checked(other.first), std::string(other.first) + " is still ticked after " + choice.first);
  }
  settings.Close();
  // The stored rule is what the next opening shows.
  TSettingsWindow again(app);
  again.ClickUntil("&Never", true);
  again.Close();
  TSettingsWindow third(app);
  Check(third.Checked("&Never"), "the window does not show the stored rule Never when it opens again");
  third.Close();

  // A number that is no rule shows Confirm and is left alone until a click.
  std::string ini = context.AppDir + "\\zarvel.ini";
  WritePrivateProfileStringA("Image", "Copy", "7", ini.c_str());
  TSettingsWindow odd(app);
  Check(odd.Checked("&Confirm") && !odd.Checked("&Always") && !odd.Checked("&Never"),
        "with Copy=7 the window does not show Confirm alone");
  Pump(milliseconds(300));
  Check(StoredCopyRule(context.AppDir) == 7,
        "opening the window with Copy=7 wrote Copy=" + std::to_string(StoredCopyRule(context.AppDir)));
  odd.ClickUntil("&Never", true);
  odd.ClickUntil("&Confirm", true);
  Check(WaitFor([&] { return StoredCopyRule(context.AppDir) == 2; }, seconds(3)), "Confirm did not store Copy=2");
  odd.Close();
}

void SettingsStartupScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  std::string data;
  Check(!ReadRunValue(data), "the Run value exists before the scenario");
  TSettingsWindow settings(app);
  const std::string box = "&Run Zarvel at Windows startup...";
  Check(!settings.Checked(box), "the start-up box is ticked although the Run value does not exist");
  settings.ClickUntil(box, true);
  bool written = WaitFor([&] { return ReadRunValue(data); }, seconds(3));
  Check(written, "ticking the box wrote no Run value");
  Check(SamePath(data, context.ExePath()), "the Run value holds '" + data + "', expected '" + context.ExePath() + "'");
  settings.ClickUntil(box, false);
  bool deleted = WaitFor([&] { return !ReadRunValue(data); }, seconds(3));
  Check(deleted, "clearing the box left the Run value");
  settings.Close();

  // A value left by an older location is rewritten with this path on opening.
  const char stale[] = "C:\\Old\\zarvel.exe";
  Check(RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, stale, sizeof stale) == ERROR_SUCCESS,
        "cannot write the Run value");
  TSettingsWindow reopened(app);
  Check(reopened.Checked(box), "the box is clear although the Run value exists");
  bool corrected = WaitFor([&] { return ReadRunValue(data) && SamePath(data, context.ExePath()); }, seconds(3));
  Check(corrected, "opening the window left the Run value at '" + data + "'");
  reopened.ClickUntil(box, false);
  // Close is the cancel button.
  CloseWithKey(reopened.Window(), VK_ESCAPE, "Escape");
}
