#pragma once
// The driver's own window: an edit control that the program sees as the
// focused control of the foreground program, and the keys pressed into it.

#include <windows.h>

#include <initializer_list>
#include <map>
#include <utility>
#include <string>

class TDriverWindow {
 public:
  // keysOnly: the text control ignores WM_COPY and WM_PASTE sent to it and
  // copies and pastes only on Ctrl+C and Ctrl+V, as the text controls of
  // browsers and most editors do.
  // withMenu: the window has a menu bar, and counts the menu activations
  // (WM_SYSCOMMAND with SC_KEYMENU) instead of entering the menu.
  explicit TDriverWindow(bool keysOnly = false, bool withMenu = false);
  TDriverWindow(const TDriverWindow&) = delete;
  TDriverWindow& operator=(const TDriverWindow&) = delete;
  ~TDriverWindow();

  HWND Window() const { return FWindow; }
  // Brings the window to the foreground with the edit control focused.
  void Activate();
  void SetText(const std::string& text);
  std::string Text() const;
  // Selects the first occurrence of the part; fails when it is not there.
  void Select(const std::string& part);
  // The same with UTF-8 texts, for characters outside the code page.
  void SetUnicodeText(const std::string& utf8);
  std::string UnicodeText() const;
  void SelectUnicode(const std::string& utf8Part);
  // WM_COPY and WM_PASTE messages that reached the edit control.
  int Copies() const { return FCopies; }
  int Pastes() const { return FPastes; }

  // WM_KEYDOWN messages that reached the edit control for this key code.
  int KeyDowns(unsigned keyCode) const;

  // The keyboard's menu activations the window had (only with a menu bar).
  int MenuActivations() const { return FMenuActivations; }

  // Sends the key events as given: a key code and true for a press.
  static void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys);
  // Presses the keys in order, then lets them go in reverse order.
  static void PressChord(std::initializer_list<WORD> keys);

  // Presses the chord and then a marker key that is no shortcut. True when
  // the chord's last key reached the edit control before the marker did;
  // false when it was withheld. Fails when the marker itself never comes.
  bool ChordReachesEdit(std::initializer_list<WORD> keys);
  // The same for AltGr+key, sent as the keyboard driver of a layout with
  // AltGr delivers it: a left Ctrl of scan code 0x21D and the right Alt,
  // both with the same time.
  bool AltGrReachesEdit(WORD key);

 private:
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FWindow = nullptr;
  HWND FEdit = nullptr;
  WNDPROC FEditProc = nullptr;
  std::map<unsigned, int> FKeyDowns;
  int FCopies = 0;
  int FPastes = 0;
  int FMenuActivations = 0;
  bool FKeysOnly = false;
};
