#pragma once
// The program's windows as the driver meets them: opened from the tray menu,
// found by caption, closed with their buttons; the settings window with its
// controls by caption.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

constexpr const char* kSettingsCaption = "Settings";

// Visible top-level windows of the process with this caption.
std::vector<HWND> WindowsWithCaption(DWORD processId, const std::string& caption);
// Visible top-level windows of the process other than menus.
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// A visible window of the process that is not among those seen before; null
// when none comes within the limit.
HWND WaitForNewWindow(DWORD processId, const std::vector<HWND>& before, std::chrono::milliseconds limit);
// Chooses the tray menu item and waits for the window it opens.
HWND OpenFromMenu(HWND app, const std::string& item, const std::string& caption);
// Clicks the button and waits until the window is gone.
void CloseWith(HWND window, const std::string& button);
// Brings the window to the front, presses the key and waits until it is gone.
void CloseWithKey(HWND window, unsigned short key, const std::string& keyName);
// Ctrl+Alt+key pressed into the properties dialog's shortcut field, which
// captures it from the keys; checks that the field shows it.
void CaptureShortCut(HWND dialog, unsigned short key);
// zarvel-cli.exe beside the program in appDir imports the JSON into its
// Macros folder, as another program changing the files would.
void ImportWithCli(const std::string& appDir, const std::string& json);

// The settings window, opened from the tray menu; a window still open when
// the object goes is closed with its Close button.
class TSettingsWindow {
 public:
  explicit TSettingsWindow(HWND app);
  TSettingsWindow(const TSettingsWindow&) = delete;
  TSettingsWindow& operator=(const TSettingsWindow&) = delete;
  ~TSettingsWindow();

  HWND Window() const { return FWindow; }
  HWND Button(const std::string& caption) const;
  bool Checked(const std::string& caption) const;
  // Clicks and waits until the button shows the state.
  void ClickUntil(const std::string& caption, bool checked);
  HWND List() const;
  std::vector<std::string> Lines() const;
  // Add, with the file typed into the file dialog that it opens.
  void Add(const std::string& path);
  // Selects the line (-1: none) and clicks Remove.
  void RemoveLine(int line);
  void Close();

 private:
  HWND FWindow;
};
