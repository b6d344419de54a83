#pragma once
// Taking the selection from the focused control of another program and
// putting a text back over it, through the clipboard, with the user's own
// clipboard contents put back whole afterwards.
//
// Classic edit and rich-edit controls copy and paste on the WM_COPY and
// WM_PASTE messages. Browsers and most editors with a text control of their
// own ignore those messages but take Ctrl+C and Ctrl+V, so where a control
// copied nothing on the message the keys are pressed instead, and the result
// goes back the way the selection came. Consoles and terminals get
// Ctrl+Insert and Shift+Insert instead: Ctrl+C is their interrupt key.

#include <windows.h>

#include <string>

#include "store/Settings.h"

class TSelectionTransfer {
 public:
  // clipboardOwner: a window of the calling thread (TClipboardOwnerWindow).
  // terminal: the target is a console or terminal window, which copies on
  // Ctrl+Insert and pastes on Shift+Insert; it never gets Ctrl+C.
  TSelectionTransfer(HWND clipboardOwner, TTransferMethod method, bool terminal)
      : FOwner(clipboardOwner), FMethod(method), FTerminal(terminal) {}

  // Takes the selection of `control` (may be null when the target's focus
  // is not known: then only keys can reach it). True with the text when
  // something was copied; false when nothing was (nothing selected, or a
  // control that answers neither way).
  bool Take(HWND control, std::wstring& text);
  // Puts `text` over the selection of `control`, the way Take got it.
  void Put(HWND control, const std::wstring& text);

  // Selects the whole text of `control`, waiting for its answer no longer
  // than for any other message.
  static void SelectAll(HWND control);

  // The selection was asked for by keys (and so goes back by keys).
  bool ByKeystroke() const { return FByKeystroke; }

 private:
  // Sends one message and waits for it, but never for ever: a program that
  // hangs must not take the run (and every later shortcut) with it.
  static void SendAndWait(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  bool CopyByKeystroke(DWORD sequenceBefore);
  void PasteByKeystroke(const std::wstring& text);

  HWND FOwner;
  TTransferMethod FMethod;
  bool FTerminal;
  bool FByKeystroke = false;
};
