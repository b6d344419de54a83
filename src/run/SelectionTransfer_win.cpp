#include "run/SelectionTransfer_win.h"

#include "support/Clipboard_win.h"

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

void Restore(HWND owner, const TClipboardSnapshot& saved) {
  TOpenClipboard clipboard(owner);
  saved.Restore(clipboard);
}

// Runs `step`, then puts the user's clipboard back, also when the step fails
// (its error is the one reported then).
template <typename TStep>
auto ThenRestore(HWND owner, const TClipboardSnapshot& saved, TStep step) {
  try {
    auto result = step();
    Restore(owner, saved);
    return result;
  } catch (...) {
    try {
      Restore(owner, saved);
    } catch (...) {
    }
    throw;
  }
}

}  // namespace

void TSelectionTransfer::SendAndWait(HWND control, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result);
}

bool TSelectionTransfer::Take(HWND control, std::wstring& text) {
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner);
    saved.Save(clipboard);
    clipboard.Empty();
  }
  return ThenRestore(FOwner, saved, [&] {
    SendAndWait(control, WM_COPY);
    TOpenClipboard clipboard(FOwner);
    return clipboard.ReadText(text) && !text.empty();
  });
}

void TSelectionTransfer::Put(HWND control, const std::wstring& text) {
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner);
    saved.Save(clipboard);
    clipboard.WriteText(text);
  }
  ThenRestore(FOwner, saved, [&] {
    SendAndWait(control, WM_PASTE);
    return true;
  });
}
