#include "run/formTidy_win.h"

#include <windows.h>

#include <utility>

#include "run/RunWindowParts_win.h"
#include "wingui/DialogBase_win.h"
#include "wingui/ForegroundWindow_win.h"

namespace {

constexpr int kClientWidth = 498;
constexpr int kClientHeight = 310;
constexpr int kIconSize = 32;

class TfrmTidy : public TDialogBase {
 public:
  TfrmTidy(const std::string& macroTitle, const std::string& report, unsigned codePage)
      : FMacroTitle(macroTitle), FReport(report), FCodePage(codePage) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override {
    MakePictures();
    Layout();
  }

 private:
  void FormCreate();
  void MakePictures();
  void Layout();
  void FormActivate();
  HWND Control(int id) const { return GetDlgItem(Handle(), id); }

  std::string FMacroTitle;
  std::string FReport;
  unsigned FCodePage;
  TScopedFont FBold;
  TIconHandle FIcon;
  TRunBand FBand{idTidyIcon, idTidyVars};
  bool FActivating = false;
};

INT_PTR TfrmTidy::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR bandResult = 0;
  if (FBand.HandleMessage(Handle(), message, wParam, lParam, Scale(kRunBandHeight), bandResult)) return bandResult;
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // OK has the focus
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
      return FALSE;
    case WM_COMMAND:
      // Escape (also from the text box, which hands it on as a close) is OK.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(Handle(), IDOK);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void TfrmTidy::FormCreate() {
  AddControlW(L"STATIC", L"", SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, idTidyIcon);
  AddControlW(L"STATIC", L"Running macro:", SS_LEFT | SS_NOPREFIX, idTidyRunning);
  std::wstring title = L"\"" + WideFromRunText(FMacroTitle, FCodePage) + L"\"";
  AddControlW(L"STATIC", title.c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, idTidyMacroName);
  AddControlW(L"STATIC", L"Below are the errors reported by Tidy HTML:", SS_LEFT | SS_NOPREFIX, idTidyVars);
  HWND errors = AddControlW(L"EDIT", L"",
                            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                                WS_HSCROLL | WS_TABSTOP | WS_GROUP,
                            idTidyErrors, WS_EX_CLIENTEDGE);
  // A long report is shown whole: no limit beyond the system's own.
  SendMessageW(errors, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextW(errors, WideFromRunText(FReport, FCodePage).c_str());
  HWND ok = AddControlW(L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, idTidyOK);
  MakePictures();

  SetClientSize(kClientWidth, kClientHeight);
  CenterOnPointerMonitor();
  Layout();
  SetFocus(ok);
}

void TfrmTidy::MakePictures() {
  // The new font and icon are in place before the old ones are freed.
  TScopedFont bold = FontVariant(DialogFont(), true, false);
  if (bold) SendMessageW(Control(idTidyMacroName), WM_SETFONT, reinterpret_cast<WPARAM>(bold.Get()), TRUE);
  TIconHandle icon = LoadRunIcon(Scale(kIconSize));
  SendMessageW(Control(idTidyIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()), 0);
  FBold = std::move(bold);
  FIcon = std::move(icon);
}

void TfrmTidy::Layout() {
  Place(idTidyIcon, 8, 8, kIconSize, kIconSize);
  Place(idTidyRunning, 48, 8, 78, 14);
  Place(idTidyMacroName, 128, 8, kClientWidth - 128 - 8, 14);
  Place(idTidyVars, 47, 24, kClientWidth - 47 - 8, 14);
  Place(idTidyErrors, 8, kRunBandHeight + 9, kClientWidth - 16, kClientHeight - kRunBandHeight - 9 - 41);
  Place(idTidyOK, kClientWidth - 8 - 85, kClientHeight - 8 - 25, 85, 25);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmTidy::FormActivate() {
  // Bringing ourselves forward activates us again; once is enough.
  if (FActivating) return;
  FActivating = true;
  ForceForegroundWindow(Handle());
  FActivating = false;
}

}  // namespace

void ShowTidyReport(const std::string& macroTitle, const std::string& report, unsigned codePage) {
  TfrmTidy form(macroTitle, report, codePage);
  form.ShowModalUnicode(nullptr, kTidyCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
}
