// An ANSI macros folder made Unicode from the settings window while the
// program runs: the question is answered, the folder gets its mark, UTF-8
// records and a backup, and the running program uses the converted folder
// (its macros, and one a character ANSI cannot hold, run and paste whole).

#include <windows.h>

#include <string>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr const char* kQuestionCaption = "Store macros as Unicode";
constexpr const char* kCafeUtf8 = "Caf\xC3\xA9 \xE2\x82\xACuro";  // "Café €uro"
constexpr const char* kCafe1252 = "Caf\xE9 \x80uro";
constexpr WORD kCafeKey = 'K';  // tools/e2e lays the folder out with it
constexpr WORD kTickKey = 'L';  // imported after the conversion
const char kTickImport[] =
    "{\"catagories\": [{\"name\": \"Sample\", \"macros\": [{\"title\": \"Tick\", \"type\": \"Block Mode\", "
    "\"shortcut\": \"Ctrl+Alt+L\", \"line1\": \"\xE2\x9C\x93 {line}\"}]}]}";

bool Holds(const std::string& bytes, const std::string& part) { return bytes.find(part) != std::string::npos; }

// Another window of the process with the caption, not `except`.
HWND WaitForBox(DWORD process, HWND except) {
  HWND found = nullptr;
  WaitFor([&] {
    for (const TWindowInfo& info : TopLevelWindows())
      if (info.ProcessId == process && info.Visible && info.Caption == kQuestionCaption && info.Window != except) {
        found = info.Window;
        return true;
      }
    return false;
  }, seconds(10));
  Check(found != nullptr, std::string("no window '") + kQuestionCaption + "' within 10 s");
  return found;
}

// The visible static text of a message box that is its message.
std::string BoxMessage(HWND box) {
  std::string message;
  for (HWND label : ChildrenOfClass(box, "Static"))
    if (!TextOf(label).empty()) message = TextOf(label);
  return message;
}

void AnswerYesAndConvert(HWND app) {
  TSettingsWindow settings(app);
  HWND button = settings.Button("Store macros as &Unicode...");
  Check(IsWindowEnabled(button) != 0, "the Unicode button is greyed for an ANSI folder");
  ClickButton(button);
  HWND question = WaitForBox(ProcessOf(app), nullptr);
  HWND no = GetDlgItem(question, IDNO);
  Check(no != nullptr && (GetWindowLongA(no, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON,
        "the question's default answer is not No");
  HWND yes = GetDlgItem(question, IDYES);
  Check(yes != nullptr, "the question has no Yes button");
  ClickButton(yes);
  Check(WaitFor([&] { return !IsWindow(question); }, seconds(5)), "the question stays after Yes");
  HWND report = WaitForBox(ProcessOf(app), question);
  const std::string said = BoxMessage(report);
  Check(Holds(said, "Converted 1 macro in 1 catagory"), "the report says '" + said + "'");
  ClickButton(FindButton(report, "OK"));
  Check(WaitFor([&] { return !IsWindow(report); }, seconds(5)), "the report stays after OK");
  Check(WaitFor([&] { return !IsWindowEnabled(button); }, seconds(2)) &&
            TextOf(button) == "Macros are stored as Unicode",
        "after converting the button reads '" + TextOf(button) + "' and is not greyed");
  settings.Close();
}

void CheckConvertedFolder(const std::string& dir) {
  const std::string mark = ReadWholeFile(dir + "\\Macros\\encoding");
  Check(mark == "utf-8\r\n", "the folder's mark holds '" + mark + "'");
  const std::string records = ReadWholeFile(dir + "\\Macros\\Sample.cat");
  Check(Holds(records, kCafeUtf8) && !Holds(records, kCafe1252), "Sample.cat does not hold the title in UTF-8");
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((dir + "\\Backup\\macros-*.json").c_str(), &found);
  Check(search != INVALID_HANDLE_VALUE, "no backup in " + dir + "\\Backup");
  FindClose(search);
  const std::string backup = ReadWholeFile(dir + "\\Backup\\" + found.cFileName);
  Check(Holds(backup, kCafeUtf8), std::string("the backup ") + found.cFileName + " does not hold the macro");
}

// Selects the word, presses the shortcut (again while the program may
// still be reading the folder) and waits for the text to read `expected`.
void RunsAndPastes(TDriverWindow& driver, WORD key, const std::string& expected) {
  const std::string text = "one word two";
  driver.Activate();
  driver.SetUnicodeText(text);
  driver.SelectUnicode("word");
  bool ran = false;
  for (int press = 0; press < 4 && !ran; ++press) {
    if (press > 0 && driver.UnicodeText() != text) break;
    driver.Activate();
    TDriverWindow::PressChord({VK_CONTROL, VK_MENU, key});
    ran = WaitFor([&] { return driver.UnicodeText() == expected; }, seconds(3));
  }
  Check(ran, "the text reads '" + driver.UnicodeText() + "', expected '" + expected + "'");
}

}  // namespace

void SettingsUnicodeScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string dir = context.AppDir;
  Check(!FileExists(dir + "\\Macros\\encoding") && Holds(ReadWholeFile(dir + "\\Macros\\Sample.cat"), kCafe1252),
        "the folder is not the ANSI one tools/e2e lays out");
  TProgram program(context.ExePath());
  HWND app = WaitForAppWindow(seconds(20));
  Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start from " + dir);
  TDriverWindow driver;
  RunsAndPastes(driver, kCafeKey, std::string("one ") + kCafeUtf8 + ": word two");

  AnswerYesAndConvert(app);
  CheckConvertedFolder(dir);
  // The folder watch tells the program; it reads the whole folder again.
  Pump(milliseconds(1500));
  RunsAndPastes(driver, kCafeKey, std::string("one ") + kCafeUtf8 + ": word two");
  ImportWithCli(dir, kTickImport);
  RunsAndPastes(driver, kTickKey, "one \xE2\x9C\x93 word two");
  Check(WindowsWithCaption(program.Id(), "Fatal Error").empty(), "the program reported a fatal error");
  Check(QuitProgram(app, seconds(10)), "the program did not end when asked");
}
