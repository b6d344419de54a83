// The macro editor from an empty macros folder: a category and a macro made
// the way a user makes them, and the record they leave in the category file.

#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"
#include "TrayMenu.h"
#include "editor/MacroForm.h"
#include "editor/formEditMacro_win.h"
#include "editor/formOptions_win.h"
#include "store/Macro.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kCatagoryName = "Texts";
constexpr const char* kMacroTitle = "Quote lines";  // longer than "untitled", which it replaces
constexpr const char* kLineTemplate = "> {line}";
constexpr WORD kNewShortCutKey = 'J';  // Ctrl+Alt+J

// The entries as far as another process can read them: their number and
// the chosen one's text (the entries' own texts do not cross processes
// reliably).
std::vector<std::string> ComboEntries(HWND combo) {
  int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  std::vector<std::string> entries(count > 0 ? count : 0, "?");
  int chosen = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  if (chosen >= 0 && chosen < count) {
    // Asked of the control itself: the window text kept by the system is
    // not the chosen entry.
    char text[300] = {};
    SendMessageA(combo, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    entries[chosen] = text;
  }
  return entries;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += (all.empty() ? "'" : ", '") + text + "'";
  return "[" + all + "]";
}

bool ButtonEnabled(HWND editor, int button) {
  int bar = button == idOptionsAddCat || button == idOptionsRemoveCat ? idOptionsCatToolbar : idOptionsToolbar;
  return SendMessageA(GetDlgItem(editor, bar), TB_ISBUTTONENABLED, button, 0) != 0;
}

void ExpectButtons(HWND editor, bool addMacro, bool editMacro, bool deleteMacro, bool removeCat,
                   const std::string& when) {
  struct {
    int Id;
    bool Enabled;
    const char* Name;
  } expected[] = {{idOptionsAddCat, true, "Add Catagory"},
                  {idOptionsAddMacro, addMacro, "Add Macro"},
                  {idOptionsEditMacro, editMacro, "Edit Macro"},
                  {idOptionsRemoveMacro, deleteMacro, "Delete Macro"},
                  {idOptionsRemoveCat, removeCat, "Remove Catagory"}};
  for (const auto& button : expected)
    Check(ButtonEnabled(editor, button.Id) == button.Enabled,
          std::string("'") + button.Name + "' is " + (button.Enabled ? "disabled" : "enabled") + " " + when);
}

void ClickToolButton(HWND editor, int button) { PostMessageA(editor, WM_COMMAND, MAKEWPARAM(button, 0), 0); }

// The one-line question: the name typed, then OK.
void AnswerNameBox(DWORD process, const std::string& caption, const std::string& name) {
  HWND box = WaitForWindow(process, caption, seconds(5));
  Check(box != nullptr, "no input box captioned '" + caption + "' within 5 s");
  HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
  Check(edit != nullptr, "the input box has no edit field");
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, seconds(5)), "OK did not close the input box");
}

bool NoCatagoryFiles(const std::string& macros) {
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((macros + "\\*.cat").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  FindClose(search);
  return false;
}

// The record the dialog's values give, built here field by field.
TMacro ExpectedRecord() {
  TMacro macro{};
  WriteShortString(macro.Title, kMacroTitle);
  macro.MacroType = mtLineMode;
  macro.ShortCut = static_cast<std::uint16_t>(0x4000 | 0x8000 | kNewShortCutKey);
  std::strcpy(macro.Line1, kLineTemplate);
  return macro;
}

std::string FirstDifference(const std::string& bytes, const TMacro& expected) {
  const char* want = reinterpret_cast<const char*>(&expected);
  for (std::size_t i = 0; i < sizeof(TMacro); ++i)
    if (bytes[i] != want[i])
      return "byte " + std::to_string(i) + " is " + std::to_string(static_cast<unsigned char>(bytes[i])) +
             ", expected " + std::to_string(static_cast<unsigned char>(want[i]));
  return "";
}

// Fills the properties dialog of a new macro and presses OK.
void FillPropertiesDialog(HWND dialog) {
  SetDlgItemTextA(dialog, idMacroTitle, kMacroTitle);
  HWND kind = GetDlgItem(dialog, idMacroType);
  SendMessageA(kind, CB_SETCURSEL, mtLineMode, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(idMacroType, CBN_SELCHANGE), reinterpret_cast<LPARAM>(kind));

  CaptureShortCut(dialog, kNewShortCutKey);

  HWND line = GetDlgItem(dialog, idMacroFieldBase + ftBlockLine1);
  Check(line != nullptr && IsWindowVisible(line), "Line Mode shows no line template field");
  SendMessageA(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kLineTemplate));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  Check(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, seconds(5)),
        "OK did not close the properties dialog");
}

}  // namespace

void MacroEditorAddScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string macros = context.AppDir + "\\Macros";
  Check(NoCatagoryFiles(macros), "this folder's Macros must hold no category file");
  TProgram program(context.ExePath());
  HWND app = WaitForAppWindow(seconds(10));
  Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start within 10 s");
  DWORD process = ProcessOf(app);

  const std::string caption = "Zarvel " + VersionLongOf(context.ExePath());
  HWND editor = OpenFromMenu(app, "&Macro Editor", caption);
  HWND combo = GetDlgItem(editor, idOptionsCatagory);
  Check(ComboEntries(combo) == std::vector<std::string>{kNoCatagories},
        "an empty store shows " + Joined(ComboEntries(combo)) + ", expected ['" + kNoCatagories + "']");
  ExpectButtons(editor, false, false, false, false, "with no category");

  ClickToolButton(editor, idOptionsAddCat);
  AnswerNameBox(process, "Add Catagory", kCatagoryName);
  Check(WaitFor([&] { return ComboEntries(combo) == std::vector<std::string>{kCatagoryName}; }, seconds(3)),
        "after Add Catagory the combo box shows " + Joined(ComboEntries(combo)));
  ExpectButtons(editor, true, false, false, true, "in a new, empty category");
  const std::string file = macros + "\\" + kCatagoryName + ".cat";
  Check(FileExists(file) && ReadWholeFile(file).empty(), "Add Catagory made no empty file " + file);

  std::vector<HWND> before = VisibleWindowsOf(process);
  ClickToolButton(editor, idOptionsAddMacro);
  HWND dialog = WaitForNewWindow(process, before, seconds(5));
  Check(dialog != nullptr, "Add Macro opened no properties dialog within 5 s");
  FillPropertiesDialog(dialog);

  Check(WaitFor([&] { return ReadWholeFile(file).size() == sizeof(TMacro); }, seconds(3)),
        "the category file holds " + std::to_string(ReadWholeFile(file).size()) + " bytes, expected one record");
  std::string difference = FirstDifference(ReadWholeFile(file), ExpectedRecord());
  Check(difference.empty(), "the new record differs: " + difference);
  ExpectButtons(editor, true, true, true, true, "with the new macro selected");

  CloseWithKey(editor, VK_ESCAPE, "Escape");
  // The new shortcut at work in the driver's edit control: the line mode
  // template quotes the selected line.
  TDriverWindow driver;
  const std::string quoted = "first\r\n> second\r\n";
  bool ran = false;
  for (int press = 0; press < 3 && !ran; ++press) {
    driver.Activate();
    driver.SetText("first\r\nsecond");
    driver.Select("second");
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, kNewShortCutKey});
    ran = WaitFor([&] { return driver.Text() == quoted; }, seconds(3));
  }
  Check(ran, "after the editor closed, Ctrl+Alt+J left the text '" + driver.Text() + "', expected '" + quoted + "'");

  Check(QuitProgram(app, seconds(10)), "the program did not end on the quit message");
  DWORD exitCode = 1;
  program.WaitForExit(seconds(1), exitCode);
  Check(exitCode == 0, "the program ended with exit code " + std::to_string(exitCode));
}

namespace {

// The question the program's end asks in the dialog, answered; its message.
std::string AnswerEndQuestion(DWORD process, HWND dialog, int answer) {
  HWND box = nullptr;
  WaitFor(
      [&] {
        for (HWND window : WindowsWithCaption(process, "Zarvel"))
          if (GetWindow(window, GW_OWNER) == dialog) box = window;
        return box != nullptr;
      },
      seconds(10));
  Check(box != nullptr, "no question owned by the properties dialog within 10 s");
  std::string message = FindStaticText(box, [](const std::string& text) { return text.find("changes") != std::string::npos; });
  PostMessageA(box, WM_COMMAND, answer, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, seconds(5)), "the question does not close");
  return message;
}

// The session's end, asked from a thread of its own, which may outlive a
// failed check: what it uses is static.
DWORD_PTR SessionEndAnswer = 0;
HWND SessionEndAsked = nullptr;
DWORD WINAPI AskSessionEnd(void*) {
  SendMessageTimeoutA(SessionEndAsked, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000,
                      &SessionEndAnswer);
  return 0;
}

}  // namespace

void ExitWithUnsavedScenario(const TScenarioContext&) {
  HWND app = RunningApp();
  DWORD process = ProcessOf(app);
  std::vector<HWND> before = VisibleWindowsOf(process);
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("&Macro Editor");
  }
  HWND editor = WaitForNewWindow(process, before, seconds(5));
  Check(editor != nullptr && TextOf(editor).rfind("Zarvel ", 0) == 0, "Macro Editor opened no macro editor");
  before = VisibleWindowsOf(process);
  ClickToolButton(editor, idOptionsAddMacro);
  HWND dialog = WaitForNewWindow(process, before, seconds(5));
  Check(dialog != nullptr, "Add Macro opened no properties dialog within 5 s");
  const std::string typed = "typed, not saved";
  SetDlgItemTextA(dialog, idMacroTitle, typed.c_str());

  // Exit asks in the dialog; No keeps the program, the dialog and its text.
  {
    TTrayMenu menu(app);
    menu.Open();
    menu.Choose("E&xit");
  }
  std::string message = AnswerEndQuestion(process, dialog, IDNO);
  Check(message.find("Zarvel is about to exit") != std::string::npos, "the question says '" + message + "'");
  Pump(milliseconds(500));
  Check(IsWindow(app) && FindAppWindow() == app, "the program ended although the user kept working");
  Check(IsWindow(dialog) && IsWindowVisible(dialog), "the properties dialog is gone after No");
  char title[64] = {};
  GetDlgItemTextA(dialog, idMacroTitle, title, sizeof title);
  Check(typed == title, std::string("the title reads '") + title + "' after No, expected '" + typed + "'");

  // Windows ending the session asks the same; No refuses the end.
  DWORD_PTR& answer = SessionEndAnswer;
  answer = 99;
  SessionEndAsked = app;
  HANDLE asking = CreateThread(nullptr, 0, AskSessionEnd, nullptr, 0, nullptr);
  Check(asking != nullptr, "the driver could not start its thread");
  TOwnedHandle thread(asking);
  message = AnswerEndQuestion(process, dialog, IDNO);
  Check(message.find("Windows is ending your session") != std::string::npos, "the question says '" + message + "'");
  Check(WaitForSingleObject(thread.Get(), 10000) == WAIT_OBJECT_0, "the session's end got no answer");
  Check(answer == FALSE, "the session's end was answered " + std::to_string(answer) + ", expected FALSE");
  Check(IsWindow(dialog), "the properties dialog is gone after the session's end was refused");

  // With the dialog gone nothing holds changes: the end is allowed unasked.
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  Check(WaitFor([&] { return !IsWindow(dialog); }, seconds(5)), "Cancel does not close the properties dialog");
  answer = 99;
  SendMessageTimeoutA(app, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer);
  Check(answer == TRUE, "with nothing to lose the session's end was answered " + std::to_string(answer));
  PostMessageA(editor, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }, seconds(5)),
        "the macro editor does not close");
}
