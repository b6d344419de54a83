#pragma once
// The program's tray menu as the user sees it: opened with the right click
// or the menu key as the notification area reports them (the encoding of its
// fourth version, which the program asks for), read item by item, and chosen
// from by its keyboard letter.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

struct TMenuItemSeen {
  unsigned Id;
  std::string Caption;  // empty for a separator
  bool Separator;
  bool Checked;
  bool Default;
};

class TTrayMenu {
 public:
  // Installs the probe hook on the program's main thread.
  explicit TTrayMenu(HWND appWindow);
  TTrayMenu(const TTrayMenu&) = delete;
  TTrayMenu& operator=(const TTrayMenu&) = delete;
  ~TTrayMenu();

  // Right click on the icon; fails when no menu opens.
  void Open();
  // The menu key (or Shift+F10) on the icon, focused from the keyboard: the
  // menu belongs at the icon's place; fails when no menu opens.
  void OpenFromKeyboard(POINT iconPlace);
  // The open menu's window.
  HWND MenuWindow() const { return FMenuWindow; }
  // The items of the open menu.
  std::vector<TMenuItemSeen> Read();
  // Opens the menu and reads it, then closes it again.
  std::vector<TMenuItemSeen> OpenAndRead();
  // Chooses the item whose caption (with its '&') is given, by the letter
  // after the '&', as a user would; the menu must be open.
  void Choose(const std::string& caption);
  // Closes the open menu without choosing.
  void Close();
  bool IsOpen() const;
  // Takes the program's keyboard hook away without telling the program, as
  // the system does with a hook that once answered too slowly.
  void DropKeyboardHook();

 private:
  static LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void WaitForMenu(const char* how);
  HWND FindMenuWindow() const;

  HWND FApp;
  DWORD FProcessId = 0;
  HMODULE FProbe = nullptr;
  HHOOK FHook = nullptr;
  HWND FAnswerWindow = nullptr;
  HWND FMenuWindow = nullptr;
  std::string FAnswer;
  bool FAnswered = false;
};

// Whether the Enabled item (position 1) carries its check mark.
bool EnabledChecked(const std::vector<TMenuItemSeen>& items);
