// The macro editor over a UTF-8 macros folder: the category "Café →" and
// its macro "Résumé ✓" shown whole in the category box, the list and the
// search's rows, and a category named "日本" in the input box made as the
// file "日本.cat". Then the picker: the macro found by its title in
// capitals, shown whole, and run.

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "RemoteTexts.h"
#include "Scenarios.h"
#include "editor/formOptions_win.h"
#include "resident/Picker_win.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kCatagory = "Caf\xC3\xA9 \xE2\x86\x92";         // Café →
constexpr const char* kTitle = "R\xC3\xA9sum\xC3\xA9 \xE2\x9C\x93";    // Résumé ✓
constexpr const char* kQuery = "R\xC3\x89SUM\xC3\x89";                 // RÉSUMÉ
constexpr const char* kNewCatagory = "\xE6\x97\xA5\xE6\x9C\xAC";       // 日本

using TTexts = std::vector<std::string>;

std::string Joined(const TTexts& texts) {
  std::string all;
  for (const std::string& text : texts) all += (all.empty() ? "'" : ", '") + text + "'";
  return "[" + all + "]";
}

void ExpectTexts(const std::function<TTexts()>& read, const TTexts& expected, const std::string& what) {
  TTexts got;
  bool same = WaitFor([&] { return (got = read()) == expected; }, seconds(3));
  Check(same, what + " shows " + Joined(got) + ", expected " + Joined(expected));
}

void SetTextW(HWND window, const std::string& utf8) {
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf8ToWide(utf8).c_str()));
}

// Opens the picker over the driver's selection; a shortcut pressed while
// the editor was still closing is pressed again.
HWND OpenPicker(TDriverWindow& driver, DWORD process) {
  for (int press = 0; press < 3; ++press) {
    driver.Activate();
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, VK_SPACE});
    if (HWND picker = WaitForWindow(process, kPickerCaption, seconds(5))) return picker;
  }
  Check(false, "Ctrl+Alt+Space opened no picker within 5 s");
  return nullptr;
}

void PickerFindsAndRuns(DWORD process) {
  TDriverWindow driver;
  driver.Activate();
  driver.SetUnicodeText("alpha beta gamma");
  driver.SelectUnicode("beta");
  HWND picker = OpenPicker(driver, process);
  HWND list = GetDlgItem(picker, idPickerList);
  SetTextW(GetDlgItem(picker, idPickerQuery), kQuery);
  ExpectTexts([&] { return ListColumnTexts(list, pcTitle); }, {kTitle}, "the picker's list");
  ExpectTexts([&] { return ListColumnTexts(list, pcCatagory); }, {kCatagory}, "the picker's category column");
  Check(WaitFor([&] { return GetForegroundWindow() == picker; }, seconds(3)), "the picker is not in front");
  TDriverWindow::PressChord({VK_RETURN});
  const std::string expected = "alpha beta \xE2\x9C\x93 gamma";
  Check(WaitFor([&] { return driver.UnicodeText() == expected; }, seconds(5)),
        "after the picker's run the text reads '" + driver.UnicodeText() + "', expected '" + expected + "'");
}

}  // namespace

void MacroEditorUtf8Scenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string macros = context.AppDir + "\\Macros";
  Check(ReadWholeFile(macros + "\\encoding").find("utf-8") == 0, "this folder's Macros is not marked UTF-8");
  Check(FileExists(macros + "\\" + kCatagory + ".cat"), std::string("this folder's Macros holds no ") + kCatagory);
  TProgram program(context.ExePath());
  HWND app = WaitForAppWindow(seconds(10));
  Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start within 10 s");
  DWORD process = ProcessOf(app);

  HWND editor = OpenFromMenu(app, "&Macro Editor", "Zarvel " + VersionLongOf(context.ExePath()));
  HWND combo = GetDlgItem(editor, idOptionsCatagory);
  HWND list = GetDlgItem(editor, idOptionsMacros);
  ExpectTexts([&] { return ComboEntryTexts(combo); }, {kCatagory}, "the category box");
  ExpectTexts([&] { return ListColumnTexts(list, ocTitle); }, {kTitle}, "the list");

  // Found by its title in capitals; the row names its category.
  SetTextW(GetDlgItem(editor, idOptionsSearch), kQuery);
  ExpectTexts([&] { return ListColumnTexts(list, ocTitle); }, {kTitle}, "the search's list");
  ExpectTexts([&] { return ListColumnTexts(list, ocCatagory); }, {kCatagory}, "the search's category column");
  SetTextW(GetDlgItem(editor, idOptionsSearch), "");

  PostMessageW(editor, WM_COMMAND, MAKEWPARAM(idOptionsAddCat, 0), 0);
  HWND box = WaitForWindow(process, "Add Catagory", seconds(5));
  Check(box != nullptr, "no input box captioned 'Add Catagory' within 5 s");
  HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
  Check(edit != nullptr, "the input box has no edit field");
  SetTextW(edit, kNewCatagory);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, seconds(5)), "OK did not close the input box");
  const std::string file = macros + "\\" + kNewCatagory + ".cat";
  Check(WaitFor([&] { return FileExists(file); }, seconds(3)), "Add Catagory made no file " + file);
  ExpectTexts([&] { return ComboEntryTexts(combo); }, {kCatagory, kNewCatagory}, "after Add Catagory the category box");

  CloseWithKey(editor, VK_ESCAPE, "Escape");
  Pump(milliseconds(300));  // the shortcuts come back once the editor's thread has ended
  PickerFindsAndRuns(process);

  Check(QuitProgram(app, seconds(10)), "the program did not end on the quit message");
  DWORD exitCode = 1;
  program.WaitForExit(seconds(1), exitCode);
  Check(exitCode == 0, "the program ended with exit code " + std::to_string(exitCode));
}
