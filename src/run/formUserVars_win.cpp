#include "run/formUserVars_win.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <utility>
#include <vector>

#include "run/RunWindowParts_win.h"
#include "run/UserVarsLayout.h"
#include "wingui/DialogBase_win.h"
#include "wingui/WinHandles_win.h"
#include "wingui/ForegroundWindow_win.h"

namespace {

constexpr int kIconSize = 32;

bool IsExistingFolder(const std::wstring& path) {
  if (path.empty()) return false;
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The browser starts on the folder handed over in lParam, if any.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

class TfrmUserVars : public TDialogBase {
 public:
  TfrmUserVars(const TUserVarsPrompt& prompt, TUserVarsAnswer& answer)
      : FPrompt(prompt), FAnswer(answer), FFirstVarRow(prompt.UsesRelDir ? 2 : 0) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override;

 private:
  void FormCreate();
  void CreateBand();
  void CreateRows();
  void AddRow(int row, const std::string& label, bool italic, const std::string& value);
  void MakeFonts();
  void Layout();
  void FormActivate();
  void cmdBrowseClick();
  void cmdOKClick();
  int RowCount() const { return FFirstVarRow + static_cast<int>(FPrompt.Names.size()); }
  bool ReadRow(int row, std::string& value);
  HWND Control(int id) const { return GetDlgItem(Handle(), id); }
  std::wstring Wide(const std::string& text) const { return WideFromRunText(text, FPrompt.CodePage); }

  const TUserVarsPrompt& FPrompt;
  TUserVarsAnswer& FAnswer;
  const int FFirstVarRow;
  // The edit of the working directory, or none.
  HWND FWorkDirEdit = nullptr;
  std::vector<bool> FItalicRows;
  TScopedFont FBold;
  TScopedFont FItalic;
  TIconHandle FIcon;
  TRunBand FBand{idUserVarsIcon, idUserVarsVars};
  bool FActivating = false;
};

INT_PTR TfrmUserVars::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR bandResult = 0;
  if (FBand.HandleMessage(Handle(), message, wParam, lParam, Scale(kRunBandHeight), bandResult)) return bandResult;
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the first edit has the focus
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wParam)) {
        case idUserVarsOK: cmdOKClick(); return TRUE;
        case idUserVarsCancel: EndDialog(Handle(), IDCANCEL); return TRUE;
        case idUserVarsBrowse: cmdBrowseClick(); return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void TfrmUserVars::FormCreate() {
  CreateBand();
  AddControlW(L"STATIC", L"Selected text:", SS_LEFT | SS_NOPREFIX, idUserVarsSelected);
  // The preview counts characters, so it is made from UTF-8 whatever the
  // run's code page is.
  std::string utf8Selection;
  CodePageFromWide(Wide(FPrompt.Selection), CP_UTF8, utf8Selection);
  AddControlW(L"STATIC", WideFromRunText(SelectionPreview(utf8Selection, true), CP_UTF8).c_str(),
              SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, idUserVarsSel);
  CreateRows();
  AddControlW(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, idUserVarsOK);
  AddControlW(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, idUserVarsCancel);
  MakeFonts();

  SetClientSize(kUserVarsClientWidth, UserVarsClientHeight(FPrompt.Names.size(), FPrompt.UsesRelDir));
  CenterOnPointerMonitor();
  Layout();

  HWND first = Control(UserVarsEditId(0));
  SetFocus(first);
  SendMessageW(first, EM_SETSEL, 0, -1);
}

void TfrmUserVars::CreateBand() {
  AddControlW(L"STATIC", L"", SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, idUserVarsIcon);
  AddControlW(L"STATIC", L"Running macro:", SS_LEFT | SS_NOPREFIX, idUserVarsRunning);
  std::wstring title = L"\"" + Wide(FPrompt.MacroTitle) + L"\"";
  AddControlW(L"STATIC", title.c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, idUserVarsMacroName);
  AddControlW(L"STATIC", L"This macro uses User Defined Variables, please enter the values below:",
              SS_LEFT | SS_NOPREFIX, idUserVarsVars);
}

void TfrmUserVars::CreateRows() {
  if (FPrompt.UsesRelDir) {
    AddRow(0, "Working dir:", false, FPrompt.WorkDir);
    FWorkDirEdit = Control(UserVarsEditId(0));
    AddControlW(L"BUTTON", L"...", BS_PUSHBUTTON | WS_TABSTOP, idUserVarsBrowse);
    AddRow(1, "Relative dir:", false, FPrompt.RelDir);
  }
  for (std::size_t k = 0; k < FPrompt.Names.size(); ++k) {
    TUserVarLabel label = UserVarLabel(FPrompt.Names[k]);
    std::string value = k < FPrompt.Defaults.size() ? FPrompt.Defaults[k] : std::string();
    AddRow(FFirstVarRow + static_cast<int>(k), label.Text, label.Italic, value);
  }
}

void TfrmUserVars::AddRow(int row, const std::string& label, bool italic, const std::string& value) {
  // Directory captions are the program's own ASCII texts; names come from
  // the macro, in its code page.
  AddControlW(L"STATIC", Wide(label).c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
              UserVarsLabelId(row));
  AddControlW(L"EDIT", Wide(value).c_str(), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, UserVarsEditId(row),
              WS_EX_CLIENTEDGE);
  FItalicRows.resize(static_cast<std::size_t>(row) + 1, false);
  FItalicRows[static_cast<std::size_t>(row)] = italic;
}

void TfrmUserVars::MakeFonts() {
  // The new fonts and icon are in place before the old ones are freed.
  TScopedFont bold = FontVariant(DialogFont(), true, false);
  TScopedFont italic = FontVariant(DialogFont(), false, true);
  if (bold) SendMessageW(Control(idUserVarsMacroName), WM_SETFONT, reinterpret_cast<WPARAM>(bold.Get()), TRUE);
  for (std::size_t row = 0; row < FItalicRows.size(); ++row)
    if (FItalicRows[row] && italic)
      SendMessageW(Control(UserVarsLabelId(static_cast<int>(row))), WM_SETFONT,
                   reinterpret_cast<WPARAM>(italic.Get()), TRUE);
  TIconHandle icon = LoadRunIcon(Scale(kIconSize));
  SendMessageW(Control(idUserVarsIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()), 0);
  FBold = std::move(bold);
  FItalic = std::move(italic);
  FIcon = std::move(icon);
}

void TfrmUserVars::DpiChanged() {
  MakeFonts();
  Layout();
}

void TfrmUserVars::Layout() {
  Place(idUserVarsIcon, 8, 8, kIconSize, kIconSize);
  Place(idUserVarsRunning, 48, 8, 78, 14);
  Place(idUserVarsMacroName, 128, 8, kUserVarsClientWidth - 128 - 8, 14);
  Place(idUserVarsVars, 47, 24, kUserVarsClientWidth - 47 - 8, 14);
  Place(idUserVarsSelected, 8, 60, 78, 14);
  Place(idUserVarsSel, 88, 60, kUserVarsClientWidth - 88 - 6, 14);
  for (int row = 0; row < RowCount(); ++row) {
    TUserVarsRowPlace place = UserVarsRow(row, FPrompt.UsesRelDir && row == 0);
    Place(UserVarsLabelId(row), place.LabelLeft, place.LabelTop, place.EditLeft - place.LabelLeft - 2, 14);
    Place(UserVarsEditId(row), place.EditLeft, place.EditTop, place.EditWidth, place.EditHeight);
  }
  // From the design, not the window: after a DPI change the window takes
  // its new size only once the controls are placed.
  TUserVarsButtons buttons = UserVarsButtons(UserVarsClientHeight(FPrompt.Names.size(), FPrompt.UsesRelDir));
  Place(idUserVarsBrowse, buttons.BrowseLeft, buttons.BrowseTop, buttons.BrowseWidth, buttons.BrowseHeight);
  Place(idUserVarsOK, buttons.OkLeft, buttons.Top, buttons.Width, buttons.Height);
  Place(idUserVarsCancel, buttons.CancelLeft, buttons.Top, buttons.Width, buttons.Height);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmUserVars::FormActivate() {
  // Bringing ourselves forward activates us again; once is enough.
  if (FActivating) return;
  FActivating = true;
  ForceForegroundWindow(Handle());
  FActivating = false;
}

void TfrmUserVars::cmdBrowseClick() {
  if (!FWorkDirEdit) return;
  TComScope com;
  std::wstring current = WindowTextW(FWorkDirEdit);
  std::vector<wchar_t> displayName(261, L'\0');
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.pszDisplayName = displayName.data();
  browse.lpszTitle = L"Select working directory:";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = BrowseCallback;
  browse.lParam = IsExistingFolder(current) ? reinterpret_cast<LPARAM>(current.c_str()) : 0;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return;
  std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
  bool gotPath = SHGetPathFromIDListW(chosen, path.data());
  CoTaskMemFree(chosen);
  std::wstring folder = gotPath ? std::wstring(path.data()) : std::wstring();
  if (folder.empty()) return;
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  SetWindowTextW(FWorkDirEdit, folder.c_str());
}

bool TfrmUserVars::ReadRow(int row, std::string& value) {
  HWND edit = Control(UserVarsEditId(row));
  if (CodePageFromWide(WindowTextW(edit), FPrompt.CodePage, value)) return true;
  std::wstring label = WindowTextW(Control(UserVarsLabelId(row)));
  std::string shown;
  CodePageFromWide(label, CP_ACP, shown);
  ShowError("The value of \"" + shown +
            "\" holds characters that the macro's text cannot hold. Please change them.");
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  return false;
}

void TfrmUserVars::cmdOKClick() {
  // Every row is read first: a value that cannot be kept leaves the dialog
  // open and the answer untouched.
  TUserVarsAnswer answer;
  answer.WorkDir = FPrompt.WorkDir;
  answer.RelDir = FPrompt.RelDir;
  if (FPrompt.UsesRelDir && (!ReadRow(0, answer.WorkDir) || !ReadRow(1, answer.RelDir))) return;
  answer.Values.resize(FPrompt.Names.size());
  for (std::size_t k = 0; k < answer.Values.size(); ++k)
    if (!ReadRow(FFirstVarRow + static_cast<int>(k), answer.Values[k])) return;
  FAnswer = std::move(answer);
  EndDialog(Handle(), IDOK);
}

}  // namespace

bool ShowUserVarsDialog(const TUserVarsPrompt& prompt, TUserVarsAnswer& answer) {
  if (prompt.Names.empty() && !prompt.UsesRelDir) {
    answer = TUserVarsAnswer{{}, prompt.WorkDir, prompt.RelDir};
    return true;
  }
  TfrmUserVars form(prompt, answer);
  return form.ShowModalUnicode(nullptr, kUserVarsCaption,
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME) == IDOK;
}
