#include "run/SelectionTransfer_win.h"

#include <exception>
#include <memory>

#include "run/Clipboard_win.h"
#include "run/Keystrokes_win.h"
#include "wingui/ErrorPolicy_win.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;
// How long the user may still hold the shortcut's modifiers, how long a
// program may take to copy after the copy keys, to ask for the text after
// the paste keys, and to close the clipboard after reading it.
constexpr DWORD kModifierReleaseMs = 300;
constexpr DWORD kCopyWaitMs = 400;
constexpr DWORD kPasteReadWaitMs = 1000;
constexpr DWORD kPasteCloseWaitMs = 500;
constexpr DWORD kPollMs = 5;
// How long a program that did not answer the copy keys is watched for a late
// copy, at the most, and for how long after it answers again (by then it
// has handled the keys it was given); and how long it may take to answer a
// plain message before it counts as hung or busy.
constexpr DWORD kLateCopyWatchMs = 6000;
constexpr DWORD kLateCopyGraceMs = 1000;
constexpr UINT kTargetAnswerMs = 500;
// How long saving the user's clipboard may take, its owner rendering what it
// offers on demand included, before the run stops rather than wait on.
constexpr DWORD kSaveLimitMs = 8000;
constexpr int kSaveAttempts = 3;

void Restore(HWND owner, TClipboardSnapshot& saved) {
  TOpenClipboard clipboard(owner);
  saved.Restore(clipboard);
}

// Call in a catch block: puts the user's clipboard back with `restore`, then
// raises the error caught, or, when the clipboard did not come back either,
// one that tells both.
template <typename TRestore>
[[noreturn]] void RestoreAndRethrow(TRestore restore) {
  const std::exception_ptr failure = std::current_exception();
  try {
    restore();
  } catch (const std::exception& restoreError) {
    throw EClipboardError(ErrorMessageOf(ebRun, failure) + "\n\n" + restoreError.what());
  }
  std::rethrow_exception(failure);
}

// Saves the user's clipboard, empties it and lets `fill` put the run's own
// contents there, all in one opening; a fill that fails puts the saved
// contents back before its error goes on, so the clipboard is never left
// empty.
template <typename TFill>
void SaveThenFill(HWND owner, TClipboardSnapshot& saved, TFill fill) {
  // The save has an opening of its own; what another program copies before
  // this opening is never emptied unsaved: the clipboard is saved again.
  std::unique_ptr<TOpenClipboard> clipboard;
  for (int attempt = 1;; ++attempt) {
    saved.SaveWithin(kSaveLimitMs);
    clipboard = std::make_unique<TOpenClipboard>(owner);
    if (GetClipboardSequenceNumber() == saved.Sequence()) break;
    clipboard.reset();
    if (attempt == kSaveAttempts)
      throw EClipboardError("The clipboard keeps changing, so its contents cannot be saved. Zarvel left it alone and "
                            "did nothing; please try again.");
  }
  try {
    clipboard->Empty();
    fill(*clipboard);
  } catch (...) {
    RestoreAndRethrow([&] { saved.Restore(*clipboard); });
  }
}

// Runs `step`, then puts the user's clipboard back, also when the step fails
// (its error is the one reported then, with the restore's when that failed
// too).
template <typename TStep>
auto ThenRestore(HWND owner, TClipboardSnapshot& saved, TStep step) {
  try {
    auto result = step();
    Restore(owner, saved);
    return result;
  } catch (...) {
    RestoreAndRethrow([&] { Restore(owner, saved); });
  }
}

// Waits up to `limitMs` for the condition, answering the messages sent to
// this thread's windows meanwhile (the clipboard asks its owner for the
// text that way).
template <typename TCondition>
bool WaitPumping(DWORD limitMs, TCondition condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_SENDMESSAGE);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // delivers sent messages
  }
  return true;
}

// Whether the window's thread takes a message within a short time; there is
// nothing to ask when no window is known.
bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return window == nullptr ||
         SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kTargetAnswerMs, &result) != 0;
}

// Whether the clipboard's contents may be the target program's copy: its
// owner belongs to that program, or it has no owner to tell.
bool CopiedByProgramOf(HWND owner, HWND target) {
  HWND clipboardOwner = GetClipboardOwner();
  if (clipboardOwner == owner) return false;
  if (clipboardOwner == nullptr || target == nullptr) return true;
  DWORD ownerProcess = 0, targetProcess = 0;
  GetWindowThreadProcessId(clipboardOwner, &ownerProcess);
  GetWindowThreadProcessId(target, &targetProcess);
  return ownerProcess == targetProcess;
}

// A program that was too busy to copy when asked still copies once it gets
// to the keys, and its copy would replace the clipboard just put back. Owning
// the clipboard cannot stop that (any program may empty it), so the
// clipboard is watched while the program stays busy and a moment after it
// answers again, and its copy is undone. Another program's copy meanwhile
// (the user's own) is left alone.
void KeepLateCopyOut(HWND owner, HWND target, TClipboardSnapshot& saved) {
  const DWORD start = GetTickCount();
  DWORD seen = GetClipboardSequenceNumber();
  DWORD answeredAt = 0;
  bool answered = false;
  for (DWORD waited = 0; waited < kLateCopyWatchMs; waited = GetTickCount() - start) {
    if (answered && waited - answeredAt >= kLateCopyGraceMs) return;
    if (!answered && Answers(target)) {
      answered = true;
      answeredAt = GetTickCount() - start;
    }
    if (WaitPumping(kPollMs * 5, [&] { return GetClipboardSequenceNumber() != seen; })) {
      if (CopiedByProgramOf(owner, target)) Restore(owner, saved);
      seen = GetClipboardSequenceNumber();
    }
  }
}

}  // namespace

void TSelectionTransfer::SendAndWait(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result);
}

void TSelectionTransfer::SelectAll(HWND control) { SendAndWait(control, EM_SETSEL, 0, -1); }

bool TSelectionTransfer::Take(HWND control, std::wstring& text) {
  TClipboardSnapshot saved;
  SaveThenFill(FOwner, saved, [](TOpenClipboard&) {});
  bool answered = true;
  const bool taken = ThenRestore(FOwner, saved, [&] {
    const DWORD before = GetClipboardSequenceNumber();
    bool copied = false;
    if (FMethod != tmKeystrokes && control != nullptr) {
      SendAndWait(control, WM_COPY);
      copied = GetClipboardSequenceNumber() != before;
    }
    // Once the keys were pressed the result goes back by keys too, also when
    // nothing was selected: the paste keys insert at the caret (or a
    // terminal's prompt) in every kind of control, the message only in some.
    if (!copied && FMethod != tmMessages) {
      FByKeystroke = true;
      copied = CopyByKeystroke(before);
      // Nothing copied means nothing selected only when the program was
      // free to copy: a busy or hung one may still have a selection, which
      // the paste would overwrite.
      if (!copied) answered = Answers(control != nullptr ? control : GetForegroundWindow());
      // A late copy would replace the clipboard put back: keep it to put
      // back again.
      if (!answered) saved.KeepAfterRestore();
    }
    if (!copied) return false;
    TOpenClipboard clipboard(FOwner);
    return clipboard.ReadText(text) && !text.empty();
  });
  if (!answered) {
    KeepLateCopyOut(FOwner, control != nullptr ? control : GetForegroundWindow(), saved);
    throw EClipboardError(
        "The program in front did not answer the copy keys in time: it is busy or does not respond. "
        "Nothing was pasted; please try again when it answers.");
  }
  return taken;
}

bool TSelectionTransfer::CopyByKeystroke(DWORD sequenceBefore) {
  ReleaseModifiers(kModifierReleaseMs);
  // Ctrl+C interrupts the program running in a console when nothing is
  // selected, and PuTTY sends it to the remote side whatever is selected.
  // Ctrl+Insert copies in the system's console and terminal and in mintty,
  // and interrupts nothing anywhere.
  const bool pressed = FTerminal ? PressChord({VK_CONTROL, VK_INSERT}) : PressChord({VK_CONTROL, 'C'});
  if (!pressed) return false;
  return WaitPumping(kCopyWaitMs, [&] { return GetClipboardSequenceNumber() != sequenceBefore; });
}

void TSelectionTransfer::Put(HWND control, const std::wstring& text) {
  if (FByKeystroke || (FMethod == tmKeystrokes) || control == nullptr) {
    if (FMethod != tmMessages) PasteByKeystroke(text);
    return;
  }
  TClipboardSnapshot saved;
  SaveThenFill(FOwner, saved, [&](TOpenClipboard& clipboard) {
    clipboard.WriteText(text);
    clipboard.KeepOutOfHistory();
  });
  ThenRestore(FOwner, saved, [&] {
    SendAndWait(control, WM_PASTE);
    return true;
  });
}

// The text is offered for delayed rendering: the clipboard asks this
// thread's owner window for it when the target reads it, so the user's
// clipboard goes back right after the target has its text, not before.
void TSelectionTransfer::PasteByKeystroke(const std::wstring& text) {
  TClipboardSnapshot saved;
  TDelayedText offer(FOwner, text);
  SaveThenFill(FOwner, saved, [&](TOpenClipboard& clipboard) {
    offer.Offer();
    clipboard.KeepOutOfHistory();
  });
  ThenRestore(FOwner, saved, [&] {
    ReleaseModifiers(kModifierReleaseMs);
    if (FTerminal) PressChord({VK_SHIFT, VK_INSERT});
    else PressChord({VK_CONTROL, 'V'});
    if (WaitPumping(kPasteReadWaitMs, [&] { return offer.Rendered(); }))
      WaitPumping(kPasteCloseWaitMs, [] { return GetOpenClipboardWindow() == nullptr; });
    return true;
  });
}
