// The windows opened from the tray menu, each on its own thread in the
// program: found by caption, driven through their controls, and checked
// against what they store.

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "Scenarios.h"
#include "TrayMenu.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kAboutCaption = "About Zarvel...";
constexpr const char* kSettingsCaption = "Settings";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Zarvel";
constexpr std::size_t kIncludeRecordSize = 256;

HWND RunningApp() {
  HWND app = WaitForAppWindow(seconds(5));
  Check(app != nullptr, "the program is not running");
  return app;
}

std::vector<HWND> WindowsWithCaption(DWORD processId, const std::string& caption) {
  std::vector<HWND> found;
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.Visible && info.ProcessId == processId && info.Caption == caption) found.push_back(info.Window);
  return found;
}

// Chooses the menu item and waits for the window it opens.
HWND OpenFromMenu(HWND app, const std::string& item, const std::string& caption) {
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose(item);
  }
  HWND window = WaitForWindow(ProcessOf(app), caption, seconds(5));
  Check(window != nullptr, "'" + item + "' opened no window captioned '" + caption + "' within 5 s");
  return window;
}

void CloseWith(HWND window, const std::string& button) {
  ClickButton(FindButton(window, button));
  bool closed = WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, seconds(5));
  Check(closed, "'" + button + "' did not close the window '" + TextOf(window) + "'");
}

// "major.minor.release build N" from the file's version resource.
std::string VersionLongOf(const std::string& exePath) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exePath.c_str(), &ignored);
  Check(size > 0, exePath + " has no version resource");
  std::string data(size, '\0');
  Check(GetFileVersionInfoA(exePath.c_str(), 0, size, &data[0]) != 0, "the version resource cannot be read");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  Check(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
        "the version resource has no fixed part");
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u build %u", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  return text;
}

void PickInFileDialog(DWORD processId, HWND settings, const std::string& path);

// The settings window, opened from the menu and closed at the end.
class TSettingsWindow {
 public:
  explicit TSettingsWindow(HWND app) : FWindow(OpenFromMenu(app, "&Settings", kSettingsCaption)) {}
  TSettingsWindow(const TSettingsWindow&) = delete;
  TSettingsWindow& operator=(const TSettingsWindow&) = delete;
  ~TSettingsWindow() {
    if (IsWindow(FWindow)) PostMessageA(FindButtonOrNull("&Close"), BM_CLICK, 0, 0);
  }
  HWND Window() const { return FWindow; }
  HWND Button(const std::string& caption) const { return FindButton(FWindow, caption); }
  bool Checked(const std::string& caption) const {
    return SendMessageA(Button(caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  // Clicks and waits until the button shows the state.
  void ClickUntil(const std::string& caption, bool checked) {
    ClickButton(Button(caption));
    Check(WaitFor([&] { return Checked(caption) == checked; }, seconds(3)),
          "clicking '" + caption + "' does not " + (checked ? "tick" : "clear") + " it");
  }
  HWND List() const {
    std::vector<HWND> lists = ChildrenOfClass(FWindow, "ListBox");
    Check(lists.size() == 1, "the settings window has " + std::to_string(lists.size()) + " list boxes, expected 1");
    return lists[0];
  }
  std::vector<std::string> Lines() const {
    HWND list = List();
    std::vector<std::string> lines;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      // Asked in UTF-16: Wine hands a Unicode list box's text to an ANSI
      // caller in another process without converting it.
      wchar_t wide[512] = {0};
      if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= 512) Check(false, "a list line is too long");
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
      char text[1024] = {0};
      WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
      lines.push_back(text);
    }
    return lines;
  }
  void Close() { CloseWith(FWindow, "&Close"); }
  // Add, with the file typed into the file dialog that it opens.
  void Add(const std::string& path) {
    ClickButton(Button("&Add"));
    PickInFileDialog(ProcessOf(FWindow), FWindow, path);
  }
  // Selects the line (-1: none) and clicks Remove.
  void RemoveLine(int line) {
    SendMessageA(List(), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    std::size_t before = Lines().size();
    ClickButton(Button("&Remove"));
    if (line >= 0)
      Check(WaitFor([&] { return Lines().size() < before; }, seconds(3)), "Remove did not shorten the list");
  }

 private:
  HWND FindButtonOrNull(const std::string& caption) const {
    for (HWND button : ChildrenOfClass(FWindow, "Button"))
      if (TextOf(button) == caption) return button;
    return nullptr;
  }
  HWND FWindow;
};

// The open-file dialog that Add shows: the file name typed into it, then Open.
void PickInFileDialog(DWORD processId, HWND settings, const std::string& path) {
  HWND dialog = nullptr;
  bool shown = WaitFor(
      [&] {
        for (const TWindowInfo& info : TopLevelWindows())
          if (info.Visible && info.ProcessId == processId && info.ClassName == "#32770" && info.Window != settings)
            dialog = info.Window;
        return dialog != nullptr;
      },
      seconds(5));
  Check(shown, "&Add opened no file dialog within 5 s");
  constexpr int kFileNameCombo = 0x47C;  // cmb13 of the common file dialog
  constexpr int kFileNameEdit = 0x480;   // edt1, in the older layout
  HWND name = GetDlgItem(dialog, kFileNameCombo);
  if (!name) name = GetDlgItem(dialog, kFileNameEdit);
  Check(name != nullptr, "the file dialog has no file name field");
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  Check(WaitFor([&] { return !IsWindow(dialog); }, seconds(5)), "the file dialog did not accept " + path);
}

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
  Check(ShortCutDispatched(driver), "Ctrl+Alt+K was not dispatched after the include list was emptied");
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
  reopened.Close();
}
