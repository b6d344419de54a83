#pragma once
// Taking the selection from the focused control of another program and
// putting a text back over it, through the clipboard, with the user's own
// clipboard contents put back whole afterwards.

#include <windows.h>

#include <string>

class TSelectionTransfer {
 public:
  // clipboardOwner: a window of the calling thread (see TClipboardOwnerWindow).
  explicit TSelectionTransfer(HWND clipboardOwner) : FOwner(clipboardOwner) {}

  // Asks `control` to copy its selection (WM_COPY). True with the text when
  // it copied some; false when it copied nothing (nothing selected, or a
  // control that does not answer the message).
  bool Take(HWND control, std::wstring& text);
  // Asks `control` to paste `text` over its selection (WM_PASTE).
  void Put(HWND control, const std::wstring& text);

 private:
  // Sends one message and waits for it, but never for ever: a program that
  // hangs must not take the run (and every later shortcut) with it.
  static void SendAndWait(HWND control, UINT message);

  HWND FOwner;
};
