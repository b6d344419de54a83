#include "ProgramWindows.h"

#include <algorithm>

#include "DriverWindow.h"
#include "E2eSupport.h"
#include "TrayMenu.h"
#include "editor/formEditMacro_win.h"

using std::chrono::milliseconds;
using std::chrono::seconds;

std::vector<HWND> WindowsWithCaption(DWORD processId, const std::string& caption) {
  std::vector<HWND> found;
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.Visible && info.ProcessId == processId && info.Caption == caption) found.push_back(info.Window);
  return found;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
  std::vector<HWND> windows;
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.Visible && info.ProcessId == processId && info.ClassName != "#32768") windows.push_back(info.Window);
  return windows;
}

HWND WaitForNewWindow(DWORD processId, const std::vector<HWND>& before, std::chrono::milliseconds limit) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : VisibleWindowsOf(processId))
          if (std::find(before.begin(), before.end(), window) == before.end()) found = window;
        return found != nullptr;
      },
      limit);
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

void CloseWithKey(HWND window, unsigned short key, const std::string& keyName) {
  SetForegroundWindow(window);
  Check(WaitFor([&] { return GetForegroundWindow() == window; }, seconds(3)),
        "the window '" + TextOf(window) + "' does not come to the front");
  TDriverWindow::PressChord({key});
  bool closed = WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, seconds(5));
  Check(closed, keyName + " did not close the window '" + TextOf(window) + "'");
}

namespace {

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

}  // namespace

TSettingsWindow::TSettingsWindow(HWND app) : FWindow(OpenFromMenu(app, "&Settings", kSettingsCaption)) {}

TSettingsWindow::~TSettingsWindow() {
  if (!IsWindow(FWindow)) return;
  for (HWND button : ChildrenOfClass(FWindow, "Button"))
    if (TextOf(button) == "&Close") PostMessageA(button, BM_CLICK, 0, 0);
}

HWND TSettingsWindow::Button(const std::string& caption) const { return FindButton(FWindow, caption); }

bool TSettingsWindow::Checked(const std::string& caption) const {
  return SendMessageA(Button(caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TSettingsWindow::ClickUntil(const std::string& caption, bool checked) {
  ClickButton(Button(caption));
  Check(WaitFor([&] { return Checked(caption) == checked; }, seconds(3)),
        "clicking '" + caption + "' does not " + (checked ? "tick" : "clear") + " it");
}

HWND TSettingsWindow::List() const {
  std::vector<HWND> lists = ChildrenOfClass(FWindow, "ListBox");
  Check(lists.size() == 1, "the settings window has " + std::to_string(lists.size()) + " list boxes, expected 1");
  return lists[0];
}

std::vector<std::string> TSettingsWindow::Lines() const {
  HWND list = List();
  std::vector<std::string> lines;
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Asked in UTF-16: Wine hands a Unicode list box's text to an ANSI
    // caller in another process without converting it.
    wchar_t wide[512] = {0};
    Check(SendMessageW(list, LB_GETTEXTLEN, i, 0) < 512, "a list line is too long");
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
    char text[1024] = {0};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    lines.push_back(text);
  }
  return lines;
}

void TSettingsWindow::Add(const std::string& path) {
  ClickButton(Button("&Add"));
  PickInFileDialog(ProcessOf(FWindow), FWindow, path);
}

void TSettingsWindow::RemoveLine(int line) {
  SendMessageA(List(), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  std::size_t before = Lines().size();
  ClickButton(Button("&Remove"));
  if (line >= 0)
    Check(WaitFor([&] { return Lines().size() < before; }, seconds(3)), "Remove did not shorten the list");
}

void TSettingsWindow::Close() { CloseWith(FWindow, "&Close"); }

void CaptureShortCut(HWND dialog, unsigned short key) {
  HWND shortCut = GetDlgItem(dialog, idMacroShortCut);
  Check(shortCut != nullptr, "the properties dialog has no shortcut field");
  SetForegroundWindow(dialog);
  Check(WaitFor([&] { return GetForegroundWindow() == dialog; }, std::chrono::seconds(3)),
        "the properties dialog does not come to the front");
  PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(shortCut), TRUE);
  Pump(std::chrono::milliseconds(200));
  TDriverWindow::PressChord({VK_CONTROL, VK_MENU, key});
  const std::string expected = std::string("Ctrl+Alt+") + static_cast<char>(key);
  Check(WaitFor([&] { return TextOf(shortCut) == expected; }, std::chrono::seconds(3)),
        "the shortcut field shows '" + TextOf(shortCut) + "' after " + expected);
}

void ImportWithCli(const std::string& appDir, const std::string& json) {
  const std::string file = appDir + "\\e2e-import.json";
  {
    TOwnedHandle out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Check(static_cast<bool>(out), "cannot write " + file);
    DWORD written = 0;
    WriteFile(out.Get(), json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
  }
  const std::string cli = appDir + "\\zarvel-cli.exe";
  Check(FileExists(cli), cli + " is missing (tools/e2e copies it there)");
  std::string commandLine = "\"" + cli + "\" import --macros \"" + appDir + "\\Macros\" \"" + file + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Check(CreateProcessA(cli.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       appDir.c_str(), &startup, &info) != 0,
        "could not start zarvel-cli.exe (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(info.hThread);
  TOwnedHandle process(info.hProcess);
  Check(WaitForSingleObject(process.Get(), 30000) == WAIT_OBJECT_0, "zarvel-cli import did not end within 30 s");
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  DeleteFileA(file.c_str());
  Check(code == 0, "zarvel-cli import ended with code " + std::to_string(code));
}
