// Templates with characters of any language, typed into the properties
// dialog: a folder marked UTF-8 keeps them on disk and a run pastes them
// whole; an ANSI folder refuses them at OK, says why, and writes nothing.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"
#include "editor/MacroForm.h"
#include "editor/formEditMacro_win.h"
#include "editor/formOptions_win.h"
#include "store/Macro.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// "{line} → ✓ 日本 😀": three planes of Unicode, none of them in an ANSI code page.
const std::string kUnicodeTail = " \xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
const std::string kUnicodeTemplate = "{line}" + kUnicodeTail;
constexpr WORD kTemplateShortCutKey = 'J';  // Ctrl+Alt+J, free in both folders
constexpr const char* kTemplateMacroTitle = "Arrows";

std::wstring WideTextOf(HWND window) {
  auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  auto got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

// The longest text of the box's labels: its message, as UTF-8.
std::string BoxMessage(HWND box) {
  std::wstring message;
  for (HWND label : ChildrenOfClass(box, "Static")) {
    std::wstring text = WideTextOf(label);
    if (text.size() > message.size()) message = text;
  }
  return WideToUtf8(message);
}

HWND OpenEditor(HWND app, const TScenarioContext& context) {
  return OpenFromMenu(app, "&Macro Editor", "Zarvel " + VersionLongOf(context.ExePath()));
}

HWND OpenNewMacroDialog(DWORD process, HWND editor) {
  std::vector<HWND> before = VisibleWindowsOf(process);
  PostMessageA(editor, WM_COMMAND, MAKEWPARAM(idOptionsAddMacro, 0), 0);
  HWND dialog = WaitForNewWindow(process, before, seconds(5));
  Check(dialog != nullptr, "Add Macro opened no properties dialog within 5 s");
  return dialog;
}

// Title, the shortcut by its keys, and the block template put into the
// Unicode edit; OK is left to the caller.
void FillUnicodeTemplate(HWND dialog) {
  SetDlgItemTextW(dialog, idMacroTitle, Utf8ToWide(kTemplateMacroTitle).c_str());
  CaptureShortCut(dialog, kTemplateShortCutKey);
  HWND line = GetDlgItem(dialog, idMacroFieldBase + ftLineLine);
  Check(line != nullptr && IsWindowVisible(line), "block mode shows no line template field");
  SendMessageW(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf8ToWide(kUnicodeTemplate).c_str()));
  Check(WideTextOf(line) == Utf8ToWide(kUnicodeTemplate), "the line template field does not hold every character");
}

// The application window of the program just started.
HWND StartedApp(const TProgram& program) {
  HWND app = WaitForAppWindow(seconds(10));
  Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start within 10 s");
  return app;
}

void EndProgram(HWND app) {
  Check(QuitProgram(app, seconds(10)), "the program did not end on the quit message");
}

}  // namespace

void UnicodeTemplateScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string macros = context.AppDir + "\\Macros";
  Check(ReadWholeFile(macros + "\\encoding").find("utf-8") != std::string::npos,
        "this folder's Macros must be marked utf-8");
  TProgram program(context.ExePath());
  HWND app = StartedApp(program);
  DWORD process = ProcessOf(app);
  HWND editor = OpenEditor(app, context);
  HWND dialog = OpenNewMacroDialog(process, editor);
  FillUnicodeTemplate(dialog);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, seconds(5)),
        "OK did not close the properties dialog");

  // The record on disk holds the template's UTF-8 bytes.
  const std::string file = macros + "\\Sample.cat";
  std::string bytes;
  Check(WaitFor([&] { return (bytes = ReadWholeFile(file)).size() % sizeof(TMacro) == 0 &&
                             bytes.find(kUnicodeTemplate) != std::string::npos; }, seconds(3)),
        "Sample.cat does not hold the template's UTF-8 bytes");
  const TMacro* last = reinterpret_cast<const TMacro*>(bytes.data() + bytes.size() - sizeof(TMacro));
  const std::string title = ReadShortString(last->Title);
  const std::string line = std::string(last->Line1, strnlen(last->Line1, sizeof last->Line1));
  Check(title == kTemplateMacroTitle && line == kUnicodeTemplate,
        "the new record is titled '" + title + "' with the line template '" + line + "'");
  CloseWithKey(editor, VK_ESCAPE, "Escape");

  // Its shortcut on a selection: the edit control holds exactly these characters.
  TDriverWindow driver;
  const std::string selected = "\xC3\xBC" "ber";  // "über"
  const std::wstring expected = Utf8ToWide("x " + selected + kUnicodeTail + " y");
  bool ran = false;
  for (int press = 0; press < 3 && !ran; ++press) {
    driver.Activate();
    driver.SetUnicodeText("x " + selected + " y");
    driver.SelectUnicode(selected);
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, kTemplateShortCutKey});
    ran = WaitFor([&] { return Utf8ToWide(driver.UnicodeText()) == expected; }, seconds(3));
  }
  Check(ran, "Ctrl+Alt+J left the text '" + driver.UnicodeText() + "', expected '" + WideToUtf8(expected) + "'");
  EndProgram(app);
}

void AnsiTemplateRefusedScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string macros = context.AppDir + "\\Macros";
  Check(!FileExists(macros + "\\encoding"), "this folder's Macros must carry no encoding mark");
  const std::string file = macros + "\\Sample.cat";
  const std::string before = ReadWholeFile(file);
  Check(!before.empty(), "this folder's Macros must hold the fixture's Sample category");
  TProgram program(context.ExePath());
  HWND app = StartedApp(program);
  DWORD process = ProcessOf(app);
  HWND editor = OpenEditor(app, context);
  HWND dialog = OpenNewMacroDialog(process, editor);
  FillUnicodeTemplate(dialog);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = nullptr;
  Check(WaitFor(
            [&] {
              for (HWND window : WindowsWithCaption(process, "Error"))
                if (GetWindow(window, GW_OWNER) == dialog) box = window;
              return box != nullptr;
            },
            seconds(5)),
        "OK showed no message owned by the properties dialog");
  const std::string message = BoxMessage(box);
  Check(message.find("'\xE2\x86\x92' (U+2192)") != std::string::npos, "the message does not name '\xE2\x86\x92': " + message);
  Check(message.find("Store macros as Unicode...") != std::string::npos,
        "the message does not suggest \"Store macros as Unicode...\": " + message);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, seconds(5)), "the message does not close");
  Check(IsWindow(dialog) && IsWindowVisible(dialog), "the properties dialog closed although OK was refused");
  Check(WideTextOf(GetDlgItem(dialog, idMacroFieldBase + ftLineLine)) == Utf8ToWide(kUnicodeTemplate),
        "the refused template is no longer in its field");

  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  Check(WaitFor([&] { return !IsWindow(dialog); }, seconds(5)), "Cancel does not close the properties dialog");
  CloseWithKey(editor, VK_ESCAPE, "Escape");
  Check(ReadWholeFile(file) == before, "Sample.cat changed although the macro was refused");
  EndProgram(app);
}
