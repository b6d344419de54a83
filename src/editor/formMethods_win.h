#pragma once
// The window that sets, program by program, how a macro run takes the
// selection and pastes its result: automatically (the copy and paste
// messages, and keys where a control does not answer them),
// by the messages only, or by keystrokes only. Opened from the settings
// window; every change is written to zarvel.ini at once.

#include <windows.h>

#include <string>

constexpr const char* kMethodsCaption = "Copy and Paste";

enum TMethodsControlId : int {
  idMethodsClose = 2,  // IDCANCEL: Escape and the close box press it
  idMethodsLabel = 200,
  idMethodsList,
  idMethodsChoiceLabel,
  idMethodsChoice,
  idMethodsAdd,
  idMethodsRemove,
};

// Modal on the calling thread; exeDir holds zarvel.ini.
void ShowMethodsDialog(HWND owner, const std::string& exeDir);
