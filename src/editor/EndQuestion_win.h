#pragma once
// Asking before the program ends while a dialog holds typed work. The
// properties dialog and the template editor answer a message of their own
// on their own thread: the one in front asks the user there, owned by
// itself, and the caller waits no longer than a set time, so a thread that
// does not answer never holds the program.

#include <windows.h>

enum TEndReason : int {
  erExit = 1,        // the tray menu's Exit (or an update that ends the program)
  erSessionEnd = 2,  // Windows ends the session
};

enum TEndAnswer {
  eaEnd,          // nothing holds changes, or the user let them go
  eaKeepWorking,  // the user keeps working, or did not answer in time
  eaNoAnswer,     // the dialogs' thread did not answer at all
};

// Whether the window or a dialog it owns (the properties dialog, the
// template editor over it) holds changes. Asks the user nothing; a thread
// that does not answer within a moment counts as holding changes.
bool DialogsHoldChanges(HWND window);
// Asks the front-most dialog of the window's chain, which comes to the
// front and asks the user whether to end and lose the changes.
TEndAnswer AskDialogsBeforeEnd(HWND window, TEndReason reason);

// For the dialogs: whether a message is the question.
bool IsEndQuestion(UINT message);
// The dialog procedure's result for the question. `changed` says whether
// the dialog itself holds changes; the windows that own it are asked as
// well, so that one question covers the whole chain. An unanswered
// question closes itself after two minutes, as "keep working".
LRESULT AnswerEndQuestion(HWND dialog, WPARAM wParam, LPARAM lParam, bool changed);
