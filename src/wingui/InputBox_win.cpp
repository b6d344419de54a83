#include "wingui/InputBox_win.h"

#include <vector>

#include "base/WideText_win.h"
#include "wingui/DialogBase_win.h"
#include "wingui/WindowPlacement_win.h"

namespace {

// The designed box inside its border.
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 96;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

enum TInputControlId : int {
  idInputOK = IDOK,          // default: Enter
  idInputCancel = IDCANCEL,  // Escape and the close box
  idInputPrompt = 100,
  idInputEdit,
};

class TfrmInputBox : public TDialogBase {
 public:
  TfrmInputBox(HWND owner, const std::string& caption, const std::string& prompt, const std::string& value)
      : FOwner(owner), FCaption(caption), FPrompt(prompt), FValue(value) {}
  const std::string& Value() const { return FValue; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override { Layout(); }

 private:
  void FormCreate();
  void Layout();

  HWND FOwner;
  std::string FCaption;
  std::string FPrompt;
  std::string FValue;
};

INT_PTR TfrmInputBox::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the edit has the focus already
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case idInputOK:
          FValue = Utf8FromWide(WindowTextW(GetDlgItem(Handle(), idInputEdit)));
          EndDialog(Handle(), IDOK);
          return TRUE;
        case idInputCancel:
          EndDialog(Handle(), IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void TfrmInputBox::FormCreate() {
  // The caption as UTF-8 too: the dialog's template takes it in the ANSI code page.
  SetWindowTextW(Handle(), WideFromUtf8(FCaption).c_str());
  AddControlW(L"STATIC", WideFromUtf8(FPrompt).c_str(), SS_LEFT | SS_NOPREFIX, idInputPrompt);
  HWND edit = AddControlW(L"EDIT", WideFromUtf8(FValue).c_str(), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                          idInputEdit, WS_EX_CLIENTEDGE);
  AddControlW(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, idInputOK);
  AddControlW(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, idInputCancel);
  Layout();
  CenterOverOwner(Handle(), FOwner);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SetForegroundWindow(Handle());
}

void TfrmInputBox::Layout() {
  SetClientSize(kClientWidth, kClientHeight);
  const int fieldWidth = kClientWidth - 2 * kMargin;
  Place(idInputPrompt, kMargin, 10, fieldWidth, 15);
  Place(idInputEdit, kMargin, 28, fieldWidth, 21);
  const int buttonsTop = kClientHeight - kMargin - kButtonHeight;
  Place(idInputOK, kClientWidth - 2 * (kButtonWidth + kMargin), buttonsTop, kButtonWidth,
        kButtonHeight);
  Place(idInputCancel, kClientWidth - kButtonWidth - kMargin, buttonsTop, kButtonWidth,
        kButtonHeight);
}

}  // namespace

bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value) {
  TfrmInputBox form(owner, caption, prompt, value);
  INT_PTR result = form.ShowModalUnicode(owner, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  if (result != IDOK) return false;
  value = form.Value();
  return true;
}
