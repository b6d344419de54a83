// Macro runs of the real program on the driver's edit control: the
// selection is taken, transformed and pasted back, the rest of the text and
// the user's clipboard stay as they were, and the run's windows (the prompt,
// the Tidy report, the error box) appear and go.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "ProgramWindows.h"
#include "Scenarios.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// The fixture's shortcuts (tests/e2e/macros.json).
constexpr WORD kBoldKey = 'K';
constexpr WORD kQuoteKey = 'L';
constexpr WORD kSwapCaseKey = 'C';
constexpr WORD kStripKey = 'S';
constexpr WORD kGreetingKey = 'P';
constexpr WORD kRunProgramKey = 'R';
constexpr WORD kTidyKey = 'T';
constexpr const char* kPromptCaption = "Zarvel - User Defined Variables";

void Press(WORD key) { TDriverWindow::PressChord({VK_CONTROL, VK_MENU, key}); }

// The pixels of the clipboard's bitmap (32 bits each), empty without one.
std::vector<DWORD> ClipboardPixels(HWND owner, int width, int height) {
  std::vector<DWORD> pixels;
  if (!WaitFor([&] { return OpenClipboard(owner) != 0; }, seconds(2))) return pixels;
  if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    pixels.resize(static_cast<std::size_t>(width * height));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
  }
  CloseClipboard();
  return pixels;
}

void SetClipboardBitmap(HWND owner, int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPixel(dc, x, y, RGB(x * 40, y * 60, (x + y) * 20));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  Check(WaitFor([&] { return OpenClipboard(owner) != 0; }, seconds(2)), "the driver cannot open the clipboard");
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
  CloseClipboard();
}

// Selects `part` of `text` in the driver, keeps `clip` on the clipboard,
// presses the shortcut and waits for the text to become `expected`.
void RunOn(TDriverWindow& driver, WORD key, const std::string& text, const std::string& part,
           const std::string& expected) {
  driver.Activate();
  driver.SetUnicodeText(text);
  driver.SelectUnicode(part);
  // A run of an earlier scenario may still be ending (its target window has
  // gone); the shortcut is then not taken, and pressed again a moment later.
  bool ran = false;
  for (int press = 0; press < 3 && !ran; ++press) {
    if (press > 0 && driver.UnicodeText() != text) break;
    driver.Activate();
    Press(key);
    ran = WaitFor([&] { return driver.UnicodeText() == expected; }, seconds(3));
  }
  Check(ran, "the text reads '" + driver.UnicodeText() + "', expected '" + expected + "'");
}

HWND WaitForProgramWindow(HWND app, const std::string& caption) {
  HWND window = nullptr;
  WaitFor([&] { return (window = ProgramWindow(app, caption)) != nullptr; }, seconds(5));
  Check(window != nullptr, "no window '" + caption + "' within 5 s");
  return window;
}

void WaitUntilGone(HWND window, const std::string& what) {
  Check(WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, seconds(5)),
        what + " does not close");
}

// The prompt's value edits: every visible edit control, in their order.
std::vector<HWND> PromptEdits(HWND prompt) {
  std::vector<HWND> edits = ChildrenOfClass(prompt, "Edit");
  edits.erase(std::remove_if(edits.begin(), edits.end(), [](HWND edit) { return !IsWindowVisible(edit); }),
              edits.end());
  return edits;
}

}  // namespace

void MacroRunScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  SetClipboardUnicode(driver.Window(), L"the user's clipboard");
  RunOn(driver, kBoldKey, "alpha beta gamma", "beta", "alpha <b>beta</b> gamma");
  bool restored = WaitFor([&] { return ClipboardUnicode(driver.Window()) == L"the user's clipboard"; }, seconds(3));
  Check(restored, "the clipboard holds '" + WideToUtf8(ClipboardUnicode(driver.Window())) + "' after the run");
}

void RunLineModeScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  RunOn(driver, kQuoteKey, "top\r\none\r\ntwo\r\nend", "one\r\ntwo", "top\r\n> one\r\n> two\r\n\r\nend");
}

void RunUnicodeScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  const std::string text = "\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 \xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC";
  const std::string swapped = "\xC3\x9CN\xC3\xAF" "C\xC3\xB6" "D\xC3\xA9 \xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC";
  RunOn(driver, kSwapCaseKey, "[" + text + "]", text, "[" + swapped + "]");
  const std::string tagged = "<b>" + text + "</b> ok";
  RunOn(driver, kStripKey, "(" + tagged + ")", tagged, "(" + text + " ok)");
}

// The program installed in a folder whose name no ANSI code page holds, as
// a per-user install below such a user name is: it reads its macros, runs
// one, and keeps a setting in its own zarvel.ini across a restart.
void UnicodeFolderScenario(const TScenarioContext& context) {
  Check(FindAppWindow() == nullptr, "another copy of the program is running");
  const std::string dir = context.AppDir + "\\" + kUnicodeFolderName;
  const std::wstring ini = Utf8ToWide(dir + "\\zarvel.ini");
  auto storedCopyRule = [&ini] { return static_cast<int>(GetPrivateProfileIntW(L"Image", L"Copy", -1, ini.c_str())); };
  {
    TProgram program(dir + "\\zarvel.exe");
    HWND app = WaitForAppWindow(seconds(20));
    Check(app != nullptr && ProcessOf(app) == program.Id(), "the program did not start from " + dir);
    Check(WindowsWithCaption(program.Id(), "Fatal Error").empty(), "the program reported a fatal error");
    TDriverWindow driver;
    RunOn(driver, kBoldKey, "alpha beta gamma", "beta", "alpha <b>beta</b> gamma");
    {
      TSettingsWindow settings(app);
      settings.ClickUntil("&Never", true);
      Check(WaitFor([&] { return storedCopyRule() == 3; }, seconds(3)),
            "Never stored Copy=" + std::to_string(storedCopyRule()) + " in the folder's zarvel.ini");
      settings.Close();
    }
    Check(QuitProgram(app, seconds(10)), "the program did not end when asked");
  }
  TProgram program(dir + "\\zarvel.exe");
  HWND app = WaitForAppWindow(seconds(20));
  Check(app != nullptr, "the program did not start again from " + dir);
  {
    TSettingsWindow settings(app);
    Check(settings.Checked("&Never") && !settings.Checked("&Confirm"),
          "after a restart the settings window does not show the stored rule Never");
    settings.Close();
  }
  TDriverWindow driver;
  RunOn(driver, kBoldKey, "one two", "two", "one <b>two</b>");
  Check(QuitProgram(app, seconds(10)), "the program did not end when asked after its restart");
}

void RunPromptScenario(const TScenarioContext&) {
  HWND app = RunningApp();
  TDriverWindow driver;
  driver.Activate();
  driver.SetUnicodeText("say hello now");
  driver.SelectUnicode("hello");
  Press(kGreetingKey);
  HWND prompt = WaitForProgramWindow(app, kPromptCaption);
  std::vector<HWND> edits = PromptEdits(prompt);
  Check(edits.size() == 1, "the prompt shows " + std::to_string(edits.size()) + " value fields, expected 1");
  Check(TextOf(edits[0]) == "Ann", "the value field starts with '" + TextOf(edits[0]) + "', expected 'Ann'");
  // A shortcut pressed while the prompt waits starts no second run.
  Press(kBoldKey);
  Pump(milliseconds(300));
  Check(ProgramWindow(app, kPromptCaption) == prompt, "a second shortcut disturbed the waiting prompt");
  SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf8ToWide("B\xC3\xA9" "a \xE2\x9C\x93").c_str()));
  ClickButton(FindButton(prompt, "OK"));
  WaitUntilGone(prompt, "the prompt");
  const std::string expected = "say B\xC3\xA9" "a \xE2\x9C\x93: hello now";
  Check(WaitFor([&] { return driver.UnicodeText() == expected; }, seconds(5)),
        "after OK the text reads '" + driver.UnicodeText() + "', expected '" + expected + "'");

  // Esc: nothing is pasted, and the next shortcut runs.
  driver.Activate();
  driver.SetUnicodeText("say hello now");
  driver.SelectUnicode("hello");
  Press(kGreetingKey);
  prompt = WaitForProgramWindow(app, kPromptCaption);
  PostMessageA(PromptEdits(prompt).at(0), WM_KEYDOWN, VK_ESCAPE, 0);
  WaitUntilGone(prompt, "the prompt (Esc)");
  Pump(milliseconds(300));
  Check(driver.UnicodeText() == "say hello now", "after Esc the text reads '" + driver.UnicodeText() + "'");
  RunOn(driver, kBoldKey, "alpha beta gamma", "beta", "alpha <b>beta</b> gamma");
}

void RunClipboardBitmapScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  SetClipboardBitmap(driver.Window(), 4, 3);
  const std::vector<DWORD> before = ClipboardPixels(driver.Window(), 4, 3);
  Check(!before.empty(), "the driver could not put a bitmap on the clipboard");
  RunOn(driver, kBoldKey, "alpha beta gamma", "beta", "alpha <b>beta</b> gamma");
  bool same = WaitFor([&] { return ClipboardPixels(driver.Window(), 4, 3) == before; }, seconds(3));
  Check(same, "the clipboard's bitmap is not the same after the run");
}

void RunProgramScenario(const TScenarioContext& context) {
  RunningApp();
  const std::string marker = context.AppDir + "\\run-program.txt";
  DeleteFileA(marker.c_str());
  TDriverWindow driver;
  driver.Activate();
  driver.SetUnicodeText("leave me");
  driver.SelectUnicode("leave");
  Press(kRunProgramKey);
  Check(WaitFor([&] { return FileExists(marker); }, seconds(10)), "Run Program did not start the marker program");
  Pump(milliseconds(300));
  const std::string written = ReadWholeFile(marker);
  Check(written.find("{line}") != std::string::npos,
        "the program got '" + written + "'; {line} should reach it as it is");
  Check(driver.UnicodeText() == "leave me", "Run Program changed the text to '" + driver.UnicodeText() + "'");
}

namespace {

std::vector<std::string> TidyLeftovers(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\zv*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

void RunTidyScenario(const TScenarioContext& context) {
  HWND app = RunningApp();
  TDriverWindow driver;
  driver.Activate();
  const std::string page = "<p>one\r\n<p>two";
  driver.SetUnicodeText(page);
  driver.SelectUnicode("two");
  Press(kTidyKey);
  HWND report = WaitForProgramWindow(app, "Tidy HTML Output");
  std::string shown;
  for (HWND edit : ChildrenOfClass(report, "Edit")) shown += TextOf(edit);
  Check(shown.find("stand-in finding") != std::string::npos, "the report shows '" + shown + "'");
  Check(FindStaticText(report, [](const std::string& text) { return text == "\"Check HTML\""; }) != "",
        "the report does not name the macro \"Check HTML\"");
  ClickButton(FindButton(report, "&OK"));
  WaitUntilGone(report, "the Tidy report");
  Check(WaitFor([&] { return TidyLeftovers(context.AppDir).empty(); }, seconds(3)),
        "temporary files are left: " + (TidyLeftovers(context.AppDir).empty() ? "" : TidyLeftovers(context.AppDir)[0]));
  Check(driver.UnicodeText() == page, "Tidy HTML changed the text to '" + driver.UnicodeText() + "'");
}

namespace {

bool ModifierLeftDown() {
  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN})
    if (GetAsyncKeyState(key) & 0x8000) return true;
  return false;
}

}  // namespace

void KeysRunScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver(true);
  SetClipboardUnicode(driver.Window(), L"the user's clipboard");
  const int copies = driver.KeyDowns('C'), pastes = driver.KeyDowns('V');
  RunOn(driver, kBoldKey, "alpha beta gamma", "beta", "alpha <b>beta</b> gamma");
  Check(driver.KeyDowns('C') == copies + 1 && driver.KeyDowns('V') == pastes + 1,
        "the control that takes only keys did not get one Ctrl+C and one Ctrl+V");
  Check(WaitFor([&] { return ClipboardUnicode(driver.Window()) == L"the user's clipboard"; }, seconds(3)),
        "the clipboard holds '" + WideToUtf8(ClipboardUnicode(driver.Window())) + "' after a run by keys");
  Check(!ModifierLeftDown(), "a modifier key is left pressed after a run by keys");

  SetClipboardBitmap(driver.Window(), 4, 3);
  const std::vector<DWORD> before = ClipboardPixels(driver.Window(), 4, 3);
  RunOn(driver, kSwapCaseKey, "alpha beta gamma", "beta", "alpha BETA gamma");
  Check(WaitFor([&] { return ClipboardPixels(driver.Window(), 4, 3) == before; }, seconds(3)),
        "the clipboard's bitmap is not the same after a run by keys");
  Check(!ModifierLeftDown(), "a modifier key is left pressed after the second run by keys");
}

void KeysNotForClassicEditScenario(const TScenarioContext&) {
  RunningApp();
  TDriverWindow driver;
  const int keys = driver.KeyDowns('C') + driver.KeyDowns('V');
  const int copies = driver.Copies();
  RunOn(driver, kBoldKey, "alpha beta gamma", "beta", "alpha <b>beta</b> gamma");
  Check(driver.Copies() == copies + 1, "the classic edit control got no WM_COPY");
  Check(driver.KeyDowns('C') + driver.KeyDowns('V') == keys, "keys were pressed into a classic edit control");
}

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The driver's own replacement of its selection, with the new text put on
// the clipboard: the floor any run's transfer stands on.
double BaselineRoundTrip(TDriverWindow& driver, HWND edit) {
  driver.SetUnicodeText("alpha beta gamma");
  driver.SelectUnicode("beta");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  SetClipboardUnicode(driver.Window(), L"<b>beta</b>");
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"<b>beta</b>"));
  return MillisecondsSince(start);
}

}  // namespace

// Hotkey to paste of 20 block-mode runs in the driver's control (by message
// or, for a control that takes only keys, by keys), with the driver's own
// copy and paste round trip measured beside each run.
void MeasureRuns(bool keysOnly, const char* way) {
  TDriverWindow driver(keysOnly);
  HWND edit = GetWindow(driver.Window(), GW_CHILD);
  std::vector<double> runs, baseline;
  for (int i = 0; i < 20; ++i) {
    driver.Activate();
    driver.SetUnicodeText("alpha beta gamma");
    driver.SelectUnicode("beta");
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Press(kBoldKey);
    Check(WaitFor([&] { return driver.UnicodeText() == "alpha <b>beta</b> gamma"; }, seconds(5), milliseconds(1)),
          std::string(way) + " run " + std::to_string(i + 1) + " did not paste its result");
    runs.push_back(MillisecondsSince(start));
    Pump(milliseconds(150));  // the run's end notice, before the next press
    baseline.push_back(BaselineRoundTrip(driver, edit));
  }
  std::printf("FIGURE hotkey to paste, 20 block-mode runs %s: median %.1f ms, max %.1f ms; "
              "driver's own clipboard write and replace (baseline): median %.2f ms; ratio %.1f\n",
              way, Median(runs), *std::max_element(runs.begin(), runs.end()), Median(baseline),
              Median(runs) / std::max(Median(baseline), 0.01));
}

void RunLatencyScenario(const TScenarioContext&) {
  RunningApp();
  MeasureRuns(false, "by message");
  MeasureRuns(true, "by keys");
}
