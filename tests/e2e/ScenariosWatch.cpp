// Files changed by other programs while the program runs: zarvel-cli imports
// into the running program's Macros folder, and the program, its shortcuts
// and its open editor follow.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"
#include "editor/formEditMacro_win.h"
#include "editor/formOptions_win.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr std::size_t kRecordSize = 5606;
constexpr const char* kExisting = "Sample";  // the fixture's category, tests/e2e/macros.json
constexpr const char* kNewCatagory = "Watched";
constexpr const char* kAddedTitle = "Added by import";
constexpr const char* kEditorTitle = "Added in the editor";

const char kImport[] = R"({"catagories": [
  {"name": "Sample", "macros": [{"title": "Added by import", "type": "Block Mode", "shortcut": "Ctrl+Alt+G",
                                 "line1": "[{line}]"}]},
  {"name": "Watched", "macros": [{"title": "Curly", "type": "Block Mode", "shortcut": "Ctrl+Alt+H",
                                  "line1": "{{line}}"}]}]}
)";

std::string CatFile(const TScenarioContext& context, const std::string& name) {
  return context.AppDir + "\\Macros\\" + name + ".cat";
}

// The titles of a category file's records, read from disk.
std::vector<std::string> FileTitles(const std::string& path) {
  std::string bytes = ReadWholeFile(path);
  Check(bytes.size() % kRecordSize == 0, path + " is " + std::to_string(bytes.size()) + " bytes, not whole records");
  std::vector<std::string> titles;
  for (std::size_t at = 0; at < bytes.size(); at += kRecordSize)
    titles.push_back(bytes.substr(at + 1, static_cast<unsigned char>(bytes[at])));
  return titles;
}

// zarvel-cli.exe beside the program, as another program changing the files.
void RunCliImport(const TScenarioContext& context, const std::string& json) {
  const std::string file = context.AppDir + "\\watch-import.json";
  {
    TOwnedHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Check(static_cast<bool>(out), "cannot write " + file);
    DWORD written = 0;
    WriteFile(out.Get(), json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
  }
  const std::string cli = context.AppDir + "\\zarvel-cli.exe";
  Check(FileExists(cli), cli + " is missing (tools/e2e copies it there)");
  std::string commandLine = "\"" + cli + "\" import --macros \"" + context.AppDir + "\\Macros\" \"" + file + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Check(CreateProcessA(cli.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       context.AppDir.c_str(), &startup, &info) != 0,
        "could not start zarvel-cli.exe (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(info.hThread);
  TOwnedHandle process(info.hProcess);
  Check(WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0, "zarvel-cli import did not end within 30 s");
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  DeleteFileA(file.c_str());
  Check(code == 0, "zarvel-cli import ended with code " + std::to_string(code));
}

// Presses the shortcut on a selected word until the text shows the result.
bool RunsOn(TDriverWindow& driver, WORD key, const std::string& expected) {
  for (int press = 0; press < 4; ++press) {
    driver.Activate();
    driver.SetText("alpha beta gamma");
    driver.Select("beta");
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, key});
    if (WaitFor([&] { return driver.Text() == expected; }, seconds(2))) return true;
    std::printf("press %d left '%s'\n", press + 1, driver.Text().c_str());
  }
  return false;
}

HWND OpenEditor(const TScenarioContext& context, HWND app) {
  return OpenFromMenu(app, "&Macro Editor", "Zarvel " + VersionLongOf(context.ExePath()));
}

void CloseEditor(HWND editor) {
  PostMessageA(editor, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }, seconds(5)),
        "the macro editor does not close");
}

int ComboCount(HWND editor) {
  return static_cast<int>(SendMessageA(GetDlgItem(editor, idOptionsCatagory), CB_GETCOUNT, 0, 0));
}

void ChooseCatagory(HWND editor, int entry) {
  HWND combo = GetDlgItem(editor, idOptionsCatagory);
  SendMessageA(combo, CB_SETCURSEL, entry, 0);
  SendMessageA(editor, WM_COMMAND, MAKEWPARAM(idOptionsCatagory, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

int ListCount(HWND editor) { return ListView_GetItemCount(GetDlgItem(editor, idOptionsMacros)); }

// The combo's entry that shows the name. Each is chosen and read through
// the control, as entries' own texts do not cross processes reliably.
int ComboEntryOf(HWND editor, const std::string& name) {
  HWND combo = GetDlgItem(editor, idOptionsCatagory);
  for (int entry = 0; entry < ComboCount(editor); ++entry) {
    SendMessageA(combo, CB_SETCURSEL, entry, 0);
    char text[300] = {};
    SendMessageA(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    if (name == text) return entry;
  }
  return -1;
}

}  // namespace

void WatchImportScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  const std::string sample = CatFile(context, kExisting);
  const std::size_t before = FileTitles(sample).size();
  Check(!FileExists(CatFile(context, kNewCatagory)), "the category '" + std::string(kNewCatagory) + "' exists already");

  // The day's backup, written as the program started, in the export format.
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char name[40];
  std::snprintf(name, sizeof name, "macros-%04u-%02u-%02u.json", now.wYear, now.wMonth, now.wDay);
  const std::string backup = context.AppDir + "\\Backup\\" + name;
  Check(WaitFor([&] { return FileExists(backup); }, seconds(5)), "no backup " + backup);
  Check(ReadWholeFile(backup).find("\"name\": \"Sample\"") != std::string::npos,
        backup + " does not hold the category 'Sample'");

  RunCliImport(context, kImport);
  Check(FileTitles(sample).size() == before + 1, "zarvel-cli import added no record to " + sample);
  TDriverWindow driver;
  Check(RunsOn(driver, 'H', "alpha {beta} gamma"),
        "the new category's Ctrl+Alt+H left '" + driver.Text() + "', expected 'alpha {beta} gamma'");
  Check(RunsOn(driver, 'G', "alpha [beta] gamma"),
        "the imported Ctrl+Alt+G left '" + driver.Text() + "', expected 'alpha [beta] gamma'");

  // The editor shows both, then adds a macro behind the imported one.
  HWND editor = OpenEditor(context, app);
  int sampleEntry = ComboEntryOf(editor, kExisting), newEntry = ComboEntryOf(editor, kNewCatagory);
  Check(sampleEntry >= 0 && newEntry >= 0, "the editor's categories lack 'Sample' or 'Watched'");
  ChooseCatagory(editor, newEntry);
  Check(ListCount(editor) == 1, "the editor lists " + std::to_string(ListCount(editor)) + " macros in 'Watched'");
  ChooseCatagory(editor, sampleEntry);
  Check(ListCount(editor) == static_cast<int>(before + 1),
        "the editor lists " + std::to_string(ListCount(editor)) + " macros in 'Sample', expected " +
            std::to_string(before + 1));

  DWORD process = ProcessOf(app);
  std::vector<HWND> windows = VisibleWindowsOf(process);
  PostMessageA(editor, WM_COMMAND, MAKEWPARAM(idOptionsAddMacro, 0), 0);
  HWND dialog = WaitForNewWindow(process, windows, seconds(5));
  Check(dialog != nullptr, "Add Macro opened no properties dialog within 5 s");
  SetDlgItemTextA(dialog, idMacroTitle, kEditorTitle);
  // The shortcut is captured from the keys pressed in its field.
  HWND shortCut = GetDlgItem(dialog, idMacroShortCut);
  SetForegroundWindow(dialog);
  Check(WaitFor([&] { return GetForegroundWindow() == dialog; }, seconds(3)),
        "the properties dialog does not come to the front");
  PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(shortCut), TRUE);
  Pump(milliseconds(200));
  TDriverWindow::PressChord({VK_CONTROL, VK_MENU, 'B'});
  Check(WaitFor([&] { return TextOf(shortCut) == "Ctrl+Alt+B"; }, seconds(3)),
        "the shortcut field shows '" + TextOf(shortCut) + "' after Ctrl+Alt+B");
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, seconds(5)),
        "OK did not close the properties dialog");
  Check(WaitFor([&] { return FileTitles(sample).size() == before + 2; }, seconds(3)),
        sample + " holds " + std::to_string(FileTitles(sample).size()) + " records, expected " +
            std::to_string(before + 2));
  std::vector<std::string> titles = FileTitles(sample);
  Check(titles[before] == kAddedTitle && titles[before + 1] == kEditorTitle,
        "the last records of " + sample + " are '" + titles[before] + "', '" + titles[before + 1] + "'");
  Check(ListCount(editor) == static_cast<int>(before + 2), "the editor's list did not grow by the added macro");
  CloseEditor(editor);
}

void WatchLatencyScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  HWND editor = OpenEditor(context, app);
  const int first = ComboCount(editor);
  constexpr int kChanges = 20;
  std::vector<double> times;
  std::vector<std::string> made;
  for (int i = 0; i < kChanges; ++i) {
    const std::string path = CatFile(context, "Latency " + std::to_string(i));
    LARGE_INTEGER frequency, start, seen;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    {
      TOwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
      Check(static_cast<bool>(file), "cannot create " + path);
    }
    made.push_back(path);
    Check(WaitFor([&] { return ComboCount(editor) == first + i + 1; }, seconds(5), milliseconds(1)),
          "the editor did not show new category " + std::to_string(i + 1) + " within 5 s");
    QueryPerformanceCounter(&seen);
    times.push_back(1000.0 * static_cast<double>(seen.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    Pump(milliseconds(300));  // a separate change, not one burst
  }
  for (const std::string& path : made) DeleteFileA(path.c_str());
  Check(WaitFor([&] { return ComboCount(editor) == first; }, seconds(5)),
        "the editor still lists the removed categories 5 s after their files went");
  CloseEditor(editor);
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  std::printf("FIGURE change on disk to the open editor's list, %d new category files: median %.1f ms, max %.1f ms "
              "(of which the watch waits 150 ms for the folder to go quiet)\n",
              kChanges, (sorted[kChanges / 2 - 1] + sorted[kChanges / 2]) / 2, sorted.back());
}
