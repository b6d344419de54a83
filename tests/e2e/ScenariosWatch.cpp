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
#include "store/Macro.h"

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

// The run prompt's caption and its value edits (the Greeting macro of the
// fixture, Ctrl+Alt+P, asks for one value).
constexpr const char* kPromptCaption = "Zarvel - User Defined Variables";

std::vector<HWND> VisibleEdits(HWND window) {
  std::vector<HWND> edits = ChildrenOfClass(window, "Edit");
  edits.erase(std::remove_if(edits.begin(), edits.end(), [](HWND edit) { return !IsWindowVisible(edit); }),
              edits.end());
  return edits;
}

// A large folder arriving at once, as a checkout or a sync would bring it:
// bulk categories of bulk macros each; one of them answers Ctrl+Alt+Y.
constexpr int kBulk = 100;
constexpr WORD kBulkKey = 'Y';

std::string BulkName(int catagory) {
  char name[16];
  std::snprintf(name, sizeof name, "Bulk%03d", catagory);
  return name;
}

void WriteBulkCatagories(const TScenarioContext& context) {
  for (int c = 0; c < kBulk; ++c) {
    std::string bytes;
    for (int m = 0; m < kBulk; ++m) {
      TMacro macro{};
      macro.MacroType = mtBlockMode;
      WriteShortString(macro.Title, "Bulk " + std::to_string(c) + " " + std::to_string(m));
      std::snprintf(macro.Line1, sizeof macro.Line1, "(%d){line}", m);
      if (c == kBulk / 2 && m == kBulk - 1) {
        macro.ShortCut = static_cast<std::uint16_t>(0x4000 | 0x8000 | kBulkKey);
        std::snprintf(macro.Line1, sizeof macro.Line1, "({line})");
      }
      bytes.append(reinterpret_cast<const char*>(&macro), sizeof macro);
    }
    const std::string path = CatFile(context, BulkName(c));
    TOwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Check(static_cast<bool>(file), "cannot write " + path);
    DWORD done = 0;
    Check(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) && done == bytes.size(),
          "cannot write " + path);
  }
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void WatchBulkScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  TDriverWindow driver;
  driver.Activate();
  driver.SetUnicodeText("say hello now");
  driver.SelectUnicode("hello");
  TDriverWindow::PressChord({VK_CONTROL, VK_MENU, 'P'});
  HWND prompt = nullptr;
  Check(WaitFor([&] { return (prompt = ProgramWindow(app, kPromptCaption)) != nullptr; }, seconds(5)),
        "Ctrl+Alt+P opened no prompt within 5 s");

  // A run waits in its prompt while 100 categories of 100 macros arrive.
  const auto written = std::chrono::steady_clock::now();
  WriteBulkCatagories(context);
  std::printf("wrote %d categories of %d macros in %.0f ms\n", kBulk, kBulk, MillisecondsSince(written));
  Pump(milliseconds(300));  // the folder has been quiet long enough: the reload is under way or done
  std::vector<HWND> edits = VisibleEdits(prompt);
  Check(edits.size() == 1, "the prompt shows " + std::to_string(edits.size()) + " value fields, expected 1");
  SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Bo"));
  const auto answered = std::chrono::steady_clock::now();
  ClickButton(FindButton(prompt, "OK"));
  Check(WaitFor([&] { return driver.UnicodeText() == "say Bo: hello now"; }, seconds(10)),
        "the run waiting through the reload left '" + driver.UnicodeText() + "', expected 'say Bo: hello now'");
  std::printf("the waiting run pasted %.0f ms after OK\n", MillisecondsSince(answered));

  // The new macros are there: one of them runs by its shortcut.
  Check(RunsOn(driver, kBulkKey, "alpha (beta) gamma"),
        "Ctrl+Alt+Y of the arrived categories left '" + driver.Text() + "', expected 'alpha (beta) gamma'");
  std::printf("from the first write to the new shortcut's result: %.0f ms\n", MillisecondsSince(written));

  // The fixture as it was for the scenarios that follow.
  for (int c = 0; c < kBulk; ++c) DeleteFileA(CatFile(context, BulkName(c)).c_str());
  Pump(milliseconds(600));
}

void WatchConflictScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  const std::string sample = CatFile(context, kExisting);
  HWND editor = OpenEditor(context, app);
  const DWORD process = ProcessOf(app);
  std::vector<HWND> windows = VisibleWindowsOf(process);
  PostMessageA(editor, WM_COMMAND, MAKEWPARAM(idOptionsAddMacro, 0), 0);
  HWND dialog = WaitForNewWindow(process, windows, seconds(5));
  Check(dialog != nullptr, "Add Macro opened no properties dialog within 5 s");
  SetDlgItemTextA(dialog, idMacroTitle, kEditorTitle);
  CaptureShortCut(dialog, 'N');

  // Another program writes the category between the editor's reading and
  // its write: one record more, as a checkout of a newer version would.
  std::string outside = ReadWholeFile(sample);
  TMacro added{};
  added.MacroType = mtBlockMode;
  WriteShortString(added.Title, "Added outside");
  std::snprintf(added.Line1, sizeof added.Line1, "{line}");
  outside.append(reinterpret_cast<const char*>(&added), sizeof added);
  {
    TOwnedHandle file(CreateFileA(sample.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Check(static_cast<bool>(file), "cannot write " + sample);
    DWORD done = 0;
    WriteFile(file.Get(), outside.data(), static_cast<DWORD>(outside.size()), &done, nullptr);
  }
  windows = VisibleWindowsOf(process);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  // Either the store finds the file changed at its write and says so, or the
  // folder watch was quicker and the macro goes in behind the new record.
  // Both keep the other program's record; only the first shows the message,
  // and OK is pressed before the watch's quiet time has passed.
  HWND box = WaitForNewWindow(process, windows, seconds(5));
  Check(box != nullptr, "OK on the properties dialog showed no message although the file had changed");
  std::string seen;
  const std::string message = FindStaticText(box, [&](const std::string& text) {
    seen += "[" + text + "]";
    return text.find("Another program has changed this catagory") != std::string::npos;
  });
  Check(!message.empty(), "the box after OK ('" + TextOf(box) + "') does not say that another program changed the "
                          "category: " + seen);
  Check(ReadWholeFile(sample) == outside, "the category file was written over: the other program's record is gone");
  ClickButton(FindButton(box, "OK"));
  // The dialog comes back with what was typed; this time the write goes in
  // behind the other program's record.
  HWND again = nullptr;
  Check(WaitFor([&] { return (again = ProgramWindow(app, "Edit Macro '" + std::string(kEditorTitle) + "'")) != nullptr; },
                seconds(5)),
        "the properties dialog did not come back with the typed title");
  PostMessageA(again, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return FileTitles(sample).size() * kRecordSize == outside.size() + kRecordSize; }, seconds(5)),
        "the macro was not added behind the other program's record");
  std::vector<std::string> titles = FileTitles(sample);
  Check(titles[titles.size() - 2] == "Added outside" && titles.back() == kEditorTitle,
        "the last records are '" + titles[titles.size() - 2] + "', '" + titles.back() + "'");
  CloseEditor(editor);
}

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

  ImportWithCli(context.AppDir, kImport);
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
  CaptureShortCut(dialog, 'B');
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
