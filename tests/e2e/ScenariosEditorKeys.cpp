// The macro editor driven by keys alone, from an empty macros folder: a
// category and a macro added, the macro found by the search, the category
// renamed, the macro moved, deleted and brought back, everything exported
// and imported again. After each step the category files are read and
// compared with the records they must hold, byte for byte.

#include <windows.h>

#include <commctrl.h>

#include <cstring>
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

constexpr const char* kMacroTitle = "Quote lines";
constexpr WORD kShortCutKey = 'J';  // Ctrl+Alt+J

void Keys(std::initializer_list<WORD> chord) {
  TDriverWindow::PressChord(chord);
  Pump(milliseconds(150));
}

// Each character as the keyboard layout types it, Shift where it needs one.
void TypeText(const std::string& text) {
  for (char c : text) {
    SHORT scan = VkKeyScanA(c);
    Check(scan != -1, std::string("the keyboard layout has no key for '") + c + "'");
    WORD key = LOBYTE(scan);
    if (HIBYTE(scan) & 1)
      TDriverWindow::PressChord({VK_SHIFT, key});
    else
      TDriverWindow::PressChord({key});
  }
  Pump(milliseconds(150));
}

std::string Records(const std::vector<TMacro>& macros) {
  std::string bytes;
  for (const TMacro& macro : macros) bytes.append(reinterpret_cast<const char*>(&macro), sizeof macro);
  return bytes;
}

TMacro ExpectedRecord() {
  TMacro macro{};
  WriteShortString(macro.Title, kMacroTitle);
  macro.MacroType = mtBlockMode;
  macro.ShortCut = static_cast<std::uint16_t>(0x4000 | 0x8000 | kShortCutKey);
  std::strcpy(macro.Line1, "{line}");  // what an empty template becomes
  return macro;
}

class TKeysRun {
 public:
  TKeysRun(const std::string& macros, DWORD process, HWND editor)
      : FMacros(macros), FProcess(process), FEditor(editor) {}

  std::string File(const std::string& name) const { return FMacros + "\\" + name + ".cat"; }

  // The category file holds exactly these records (soon: the editor writes
  // on its own thread).
  void ExpectFile(const std::string& name, const std::vector<TMacro>& macros, const std::string& after) const {
    std::string want = Records(macros);
    bool same = WaitFor([&] { return FileExists(File(name)) && ReadWholeFile(File(name)) == want; }, seconds(5));
    if (same) return;
    if (!FileExists(File(name))) throw TFail("after " + after + ", " + name + ".cat is missing");
    std::string got = ReadWholeFile(File(name));
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    throw TFail("after " + after + ", " + name + ".cat holds " + std::to_string(got.size()) + " bytes, expected " +
                std::to_string(want.size()) + "; the first difference is at byte " + std::to_string(at) +
                (at < got.size() ? " (" + std::to_string(static_cast<unsigned char>(got[at])) + ")" : ""));
  }
  void ExpectGone(const std::string& name, const std::string& after) const {
    Check(WaitFor([&] { return !FileExists(File(name)); }, seconds(5)), "after " + after + ", " + name + ".cat is still there");
  }

  // The box that the keys just opened, in front.
  HWND Box(const std::string& caption) const {
    HWND box = WaitForWindow(FProcess, caption, seconds(5));
    Check(box != nullptr, "no window captioned '" + caption + "' within 5 s");
    Check(WaitFor([&] { return GetForegroundWindow() == box; }, seconds(3)), "'" + caption + "' is not in front");
    return box;
  }
  void Answer(const std::string& caption, const std::string& typed, WORD key = VK_RETURN) const {
    HWND box = Box(caption);
    if (!typed.empty()) TypeText(typed);
    Keys({key});
    Check(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, seconds(5)),
          "'" + caption + "' did not close");
  }
  // A file dialog of the program: the path typed where the focus is, then Enter.
  void AnswerFileDialog(const std::string& path, const std::string& what) const {
    HWND dialog = nullptr;
    Check(WaitFor(
              [&] {
                for (const TWindowInfo& info : TopLevelWindows())
                  if (info.Visible && info.ProcessId == FProcess && info.ClassName == "#32770" &&
                      info.Window != FEditor)
                    dialog = info.Window;
                return dialog != nullptr && GetForegroundWindow() == dialog;
              },
              seconds(5)),
          what + " opened no file dialog in front within 5 s");
    Pump(milliseconds(300));
    TypeText(path);
    Keys({VK_RETURN});
    Check(WaitFor([&] { return !IsWindow(dialog); }, seconds(5)), "the file dialog did not take " + path);
  }
  void WaitForMenu(const std::string& what) const {
    bool open = WaitFor(
        [&] {
          for (const TWindowInfo& info : TopLevelWindows())
            if (info.Visible && info.ProcessId == FProcess && info.ClassName == "#32768") return true;
          return false;
        },
        seconds(5));
    Check(open, what + " opened no menu");
  }
  int Rows() const { return static_cast<int>(SendMessageA(Control(idOptionsMacros), LVM_GETITEMCOUNT, 0, 0)); }
  int Columns() const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(Control(idOptionsMacros), LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  }
  std::string ChosenCatagory() const {
    char text[300] = {};
    SendMessageA(Control(idOptionsCatagory), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
  }
  HWND Control(int id) const { return GetDlgItem(FEditor, id); }
  HWND Focus() const {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(FEditor, nullptr), &thread);
    return thread.hwndFocus;
  }
  // From the list to the category box, a step up or down there, back to the list.
  void ChooseCatagoryByKeys(WORD arrow, const std::string& wanted) const {
    Keys({VK_SHIFT, VK_TAB});
    Keys({VK_SHIFT, VK_TAB});
    Check(WaitFor([&] { return Focus() == Control(idOptionsCatagory); }, seconds(3)),
          "Shift+Tab twice from the list did not reach the category box");
    Keys({arrow});
    Check(WaitFor([&] { return ChosenCatagory() == wanted; }, seconds(3)),
          "the category box shows '" + ChosenCatagory() + "', expected '" + wanted + "'");
    Keys({VK_TAB});
    Keys({VK_TAB});
    Check(WaitFor([&] { return Focus() == Control(idOptionsMacros); }, seconds(3)),
          "Tab twice from the category box did not reach the list");
  }

 private:
  std::string FMacros;
  DWORD FProcess;
  HWND FEditor;
};

}  // namespace

void MacroEditorKeysScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string macros = context.AppDir + "\\Macros";
  const std::string exported = context.AppDir + "\\exported.json";
  DeleteFileA(exported.c_str());
  TProgram program(context.ExePath());
  HWND app = WaitForAppWindow(seconds(10));
  Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start within 10 s");
  DWORD process = ProcessOf(app);
  HWND editor = OpenFromMenu(app, "&Macro Editor", "Zarvel " + VersionLongOf(context.ExePath()));
  TKeysRun run(macros, process, editor);
  Check(WaitFor([&] { return GetForegroundWindow() == editor; }, seconds(3)), "the editor is not in front");
  const TMacro record = ExpectedRecord();

  Keys({VK_CONTROL, VK_SHIFT, 'N'});
  run.Answer("Add Catagory", "Keys");
  run.ExpectFile("Keys", {}, "Ctrl+Shift+N");

  // Title typed over "untitled", Tab to the type, Tab to the shortcut, Enter for OK.
  Keys({VK_CONTROL, 'N'});
  HWND dialog = run.Box("Edit Macro 'untitled'");
  TypeText(kMacroTitle);
  Keys({VK_TAB});
  Keys({VK_TAB});
  Keys({VK_CONTROL, VK_MENU, kShortCutKey});
  HWND shortCut = GetDlgItem(dialog, idMacroShortCut);
  Check(WaitFor([&] { return TextOf(shortCut) == "Ctrl+Alt+J"; }, seconds(3)),
        "the shortcut field shows '" + TextOf(shortCut) + "' after Ctrl+Alt+J");
  Keys({VK_RETURN});
  Check(WaitFor([&] { return !IsWindow(dialog); }, seconds(5)), "Enter did not close the properties dialog");
  run.ExpectFile("Keys", {record}, "Ctrl+N");

  // Found by a word of its title; Enter opens it, Escape twice clears the search.
  Keys({VK_CONTROL, 'F'});
  Check(WaitFor([&] { return run.Focus() == run.Control(idOptionsSearch); }, seconds(3)), "Ctrl+F: no focus in the search box");
  TypeText("quote");
  Check(WaitFor([&] { return run.Rows() == 1 && run.Columns() == 4; }, seconds(3)),
        "the search shows " + std::to_string(run.Rows()) + " rows in " + std::to_string(run.Columns()) +
            " columns, expected 1 row with its category");
  Keys({VK_RETURN});
  run.Answer("Edit Macro 'Quote lines'", "", VK_ESCAPE);
  Keys({VK_ESCAPE});
  Check(WaitFor([&] { return TextOf(run.Control(idOptionsSearch)).empty() && run.Columns() == 3; }, seconds(3)),
        "Escape did not clear the search");
  Check(IsWindowVisible(editor), "the first Escape closed the editor");
  Keys({VK_TAB});  // to the list

  Keys({VK_F2});
  HWND rename = run.Box("Rename Catagory");
  HWND renameEdit = FindWindowExA(rename, nullptr, "Edit", nullptr);
  Check(TextOf(renameEdit) == "Keys", "Rename Catagory starts from '" + TextOf(renameEdit) + "'");
  TypeText("Notes");
  Keys({VK_RETURN});
  run.ExpectGone("Keys", "F2");
  run.ExpectFile("Notes", {record}, "F2");

  Keys({VK_CONTROL, VK_SHIFT, 'N'});
  run.Answer("Add Catagory", "Other");
  run.ExpectFile("Other", {}, "the second Ctrl+Shift+N");
  run.ChooseCatagoryByKeys(VK_UP, "Notes");
  Check(run.Rows() == 1, "Notes shows " + std::to_string(run.Rows()) + " rows");
  Keys({VK_APPS});
  run.WaitForMenu("the menu key");
  Keys({'M'});
  Keys({VK_RETURN});
  run.ExpectFile("Notes", {}, "Move to Catagory");
  run.ExpectFile("Other", {record}, "Move to Catagory");

  run.ChooseCatagoryByKeys(VK_DOWN, "Other");
  Keys({VK_DELETE});
  run.Answer("Delete Macro", "", 'Y');
  run.ExpectFile("Other", {}, "Delete");
  Keys({VK_CONTROL, 'Z'});
  run.ExpectFile("Other", {record}, "Ctrl+Z");

  // Export of every category (No to "only this one"), through the save dialog.
  Keys({VK_SHIFT, VK_F10});
  run.WaitForMenu("Shift+F10");
  Keys({'X'});
  run.Answer("Export", "", 'N');
  run.AnswerFileDialog(exported, "Export...");
  Check(WaitFor([&] { return FileExists(exported); }, seconds(5)), "Export... wrote no " + exported);
  std::string json = ReadWholeFile(exported);
  for (const char* part : {"{\n  \"catagories\": [", "\"Notes\"", "\"Other\"", "\"Quote lines\""})
    Check(json.find(part) != std::string::npos, std::string("the export holds no ") + part + ":\n" + json);

  // Import of it again: one macro more in Other, its shortcut a clash.
  Keys({VK_APPS});
  run.WaitForMenu("the menu key");
  Keys({'I'});
  run.AnswerFileDialog(exported, "Import...");
  HWND question = run.Box("Import");
  std::string message = FindStaticText(question, [](const std::string& text) { return text.find("Import") == 0; });
  Check(message.find("Import 1 macro from") == 0 && message.find("Ctrl+Alt+J: 'Quote lines' in 'Other'") != std::string::npos,
        "the import asks: " + message);
  Keys({'Y'});
  run.ExpectFile("Other", {record, record}, "Import...");
  run.ExpectFile("Notes", {}, "Import...");

  CloseWithKey(editor, VK_ESCAPE, "Escape");
  Check(QuitProgram(app, seconds(10)), "the program did not end on the quit message");
  DWORD exitCode = 1;
  program.WaitForExit(seconds(1), exitCode);
  Check(exitCode == 0, "the program ended with exit code " + std::to_string(exitCode));
}
