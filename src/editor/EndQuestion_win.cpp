#include "editor/EndQuestion_win.h"

#include <string>

#include "wingui/ForegroundWindow_win.h"

namespace {

// The answers; 0 is a window that does not know the message.
constexpr LRESULT kEndAllowed = 1;
constexpr LRESULT kEndRefused = 2;
// lParam of the message: tell only, or ask the user.
constexpr LPARAM kAskUser = 0;
constexpr LPARAM kOnlyTell = 1;

constexpr UINT kQuestionTimeoutMs = 120000;
// The caller waits a little longer than the question stays open, so that
// both sides agree on what an unanswered question means.
constexpr UINT kAskTimeoutMs = kQuestionTimeoutMs + 5000;
constexpr UINT kTellTimeoutMs = 3000;
constexpr const char* kQuestionCaption = "Zarvel";

UINT EndQuestionMessage() {
  static const UINT message = RegisterWindowMessageA("ZarvelEndQuestion");
  return message;
}

// The first answer along the chain from the front-most popup to its owners;
// false when a window did not answer in time.
bool AskChain(HWND window, LPARAM mode, WPARAM reason, UINT timeoutMs, LRESULT& answer) {
  answer = kEndAllowed;
  if (window == nullptr || EndQuestionMessage() == 0) return true;
  for (HWND at = GetLastActivePopup(window); at != nullptr; at = GetWindow(at, GW_OWNER)) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(at, EndQuestionMessage(), reason, mode, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeoutMs,
                             &result))
      return false;
    if (result != 0) {
      answer = static_cast<LRESULT>(result);
      return true;
    }
  }
  return true;
}

// The question box of this thread's asking dialog, closed as "No" when the
// time is up.
thread_local HWND AskingDialog = nullptr;

BOOL CALLBACK CloseQuestionBox(HWND window, LPARAM) {
  char caption[16] = {};
  GetWindowTextA(window, caption, sizeof caption);
  if (GetWindow(window, GW_OWNER) == AskingDialog && std::string(caption) == kQuestionCaption) {
    PostMessageA(window, WM_COMMAND, IDNO, 0);
    return FALSE;
  }
  return TRUE;
}

void CALLBACK QuestionTimeUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (AskingDialog != nullptr) EnumThreadWindows(GetCurrentThreadId(), CloseQuestionBox, 0);
}

std::string QuestionText(WPARAM reason) {
  std::string text = reason == erSessionEnd ? "Windows is ending your session" : "Zarvel is about to exit";
  return text +
         ", but the changes made here are not saved yet.\n\n"
         "Lose them? Choose No to keep working on them.";
}

}  // namespace

bool DialogsHoldChanges(HWND window) {
  LRESULT answer = 0;
  if (!AskChain(window, kOnlyTell, erExit, kTellTimeoutMs, answer)) return true;
  return answer == kEndRefused;
}

TEndAnswer AskDialogsBeforeEnd(HWND window, TEndReason reason) {
  LRESULT answer = 0;
  if (!AskChain(window, kAskUser, reason, kAskTimeoutMs, answer)) return eaNoAnswer;
  return answer == kEndAllowed ? eaEnd : eaKeepWorking;
}

bool IsEndQuestion(UINT message) { return message != 0 && message == EndQuestionMessage(); }

LRESULT AnswerEndQuestion(HWND dialog, WPARAM wParam, LPARAM lParam, bool changed) {
  const UINT message = EndQuestionMessage();
  bool held = changed;
  HWND owner = GetWindow(dialog, GW_OWNER);
  DWORD_PTR ownerAnswer = 0;
  if (!held && owner != nullptr &&
      SendMessageTimeoutA(owner, message, wParam, kOnlyTell, SMTO_ABORTIFHUNG | SMTO_NORMAL, kTellTimeoutMs,
                          &ownerAnswer))
    held = static_cast<LRESULT>(ownerAnswer) == kEndRefused;
  if (!held) return kEndAllowed;
  if (lParam == kOnlyTell || AskingDialog != nullptr) return kEndRefused;
  ForceForegroundWindow(dialog);
  AskingDialog = dialog;
  UINT_PTR timer = SetTimer(nullptr, 0, kQuestionTimeoutMs, QuestionTimeUp);
  int choice = MessageBoxA(dialog, QuestionText(wParam).c_str(), kQuestionCaption,
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  if (timer != 0) KillTimer(nullptr, timer);
  AskingDialog = nullptr;
  return choice == IDYES ? kEndAllowed : kEndRefused;
}
