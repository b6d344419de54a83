#include "editor/formMethods_win.h"

#include <utility>
#include <vector>

#include "base/WideText_win.h"
#include "store/Settings.h"
#include "store/SettingsActions.h"
#include "wingui/DialogBase_win.h"
#include "wingui/FileDialog_win.h"
#include "wingui/WindowPlacement_win.h"

namespace {

constexpr int kDesignWidth = 360;
constexpr int kDesignHeight = 280;
constexpr TTransferMethod kChoices[] = {tmAutomatic, tmMessages, tmKeystrokes};

class TfrmMethods : public TDialogBase {
 public:
  explicit TfrmMethods(std::string exeDir) : FExeDir(std::move(exeDir)) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void Layout();
  void FillList(int select);
  void ShowChoice();
  void ChoiceChange();
  void cmdAddClick();
  void cmdRemoveClick();
  int SelectedLine() const { return static_cast<int>(SendMessageA(Control(idMethodsList), LB_GETCURSEL, 0, 0)); }
  HWND Control(int id) const { return GetDlgItem(Handle(), id); }

  std::string FExeDir;
  std::vector<std::pair<std::string, TTransferMethod>> FEntries;
};

INT_PTR TfrmMethods::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: FormCreate(); return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == idMethodsList && code == LBN_SELCHANGE) ShowChoice();
      else if (id == idMethodsChoice && code == CBN_SELCHANGE) ChoiceChange();
      else if (id == idMethodsAdd && code == BN_CLICKED) cmdAddClick();
      else if (id == idMethodsRemove && code == BN_CLICKED) cmdRemoveClick();
      else if (id == idMethodsClose) EndDialog(Handle(), IDCANCEL);
      return TRUE;
    }
    default: (void)lParam; return FALSE;
  }
}

void TfrmMethods::FormCreate() {
  AddControl("STATIC",
             "Zarvel copies with the copy message and, where a program does not answer it, with Ctrl+C. "
             "Choose another way for a program here.",
             SS_LEFT | SS_NOPREFIX, idMethodsLabel);
  AddControl("LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP, idMethodsList,
             WS_EX_CLIENTEDGE);
  AddControl("STATIC", "&Method:", SS_LEFT, idMethodsChoiceLabel);
  AddControl("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, idMethodsChoice);
  AddControl("BUTTON", "&Add...", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, idMethodsAdd);
  AddControl("BUTTON", "&Remove", BS_PUSHBUTTON | WS_TABSTOP, idMethodsRemove);
  AddControl("BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, idMethodsClose);
  for (TTransferMethod method : kChoices)
    SendMessageA(Control(idMethodsChoice), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TransferMethodLabel(method)));
  SetWindowPos(Handle(), nullptr, 0, 0, Scale(kDesignWidth), Scale(kDesignHeight), SWP_NOMOVE | SWP_NOZORDER);
  Layout();
  CenterOverOwner(Handle(), GetWindow(Handle(), GW_OWNER));
  FillList(0);
}

void TfrmMethods::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  const int width = MulDiv(client.right, 96, static_cast<int>(Dpi()));
  const int height = MulDiv(client.bottom, 96, static_cast<int>(Dpi()));
  const int buttonsTop = height - 33;
  Place(idMethodsLabel, 8, 8, width - 16, 30);
  Place(idMethodsList, 8, 42, width - 16, buttonsTop - 42 - 36);
  Place(idMethodsChoiceLabel, 8, buttonsTop - 28, 50, 15);
  Place(idMethodsChoice, 60, buttonsTop - 31, 140, 100);
  Place(idMethodsAdd, 8, buttonsTop, 75, 25);
  Place(idMethodsRemove, 89, buttonsTop, 75, 25);
  Place(idMethodsClose, width - 83, buttonsTop, 75, 25);
}

void TfrmMethods::FillList(int select) {
  FEntries = ReadMethodEntries(FExeDir);
  HWND box = Control(idMethodsList);
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  for (const auto& entry : FEntries) {
    const std::string line = MethodLine(entry.first, entry.second);
    // Program names are UTF-8 like the paths they come from.
    SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideForDisplay(line).c_str()));
  }
  if (!FEntries.empty()) SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
  ShowChoice();
}

void TfrmMethods::ShowChoice() {
  const int line = SelectedLine();
  const bool any = line >= 0 && line < static_cast<int>(FEntries.size());
  EnableWindow(Control(idMethodsChoice), any);
  EnableWindow(Control(idMethodsRemove), any);
  SendMessageA(Control(idMethodsChoice), CB_SETCURSEL, any ? static_cast<WPARAM>(FEntries[line].second) : -1, 0);
}

void TfrmMethods::ChoiceChange() {
  const int line = SelectedLine();
  const int choice = static_cast<int>(SendMessageA(Control(idMethodsChoice), CB_GETCURSEL, 0, 0));
  if (line < 0 || line >= static_cast<int>(FEntries.size()) || choice < 0) return;
  const TTransferMethod method = kChoices[choice];
  if (!WriteTransferMethod(FExeDir, FEntries[line].first, method)) {
    ShowError("The setting could not be written to " + SettingsFilePath(FExeDir) + ".");
  }
  // Automatic needs no entry: the program leaves the list.
  FillList(method == tmAutomatic ? 0 : line);
}

void TfrmMethods::cmdAddClick() {
  std::string picked;
  if (!PickFile(Handle(), false, kProgramFilter, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, picked)) return;
  const std::string name = ProgramNameFromPath(picked);
  // A program is added to be treated otherwise: keys are what most need.
  if (!WriteTransferMethod(FExeDir, name, tmKeystrokes)) {
    ShowError("The setting could not be written to " + SettingsFilePath(FExeDir) + ".");
    return;
  }
  FillList(0);
  for (std::size_t i = 0; i < FEntries.size(); ++i)
    if (FEntries[i].first == name) SendMessageA(Control(idMethodsList), LB_SETCURSEL, i, 0);
  ShowChoice();
}

void TfrmMethods::cmdRemoveClick() {
  const int line = SelectedLine();
  if (line < 0 || line >= static_cast<int>(FEntries.size())) return;
  if (!WriteTransferMethod(FExeDir, FEntries[line].first, tmAutomatic))
    ShowError("The setting could not be written to " + SettingsFilePath(FExeDir) + ".");
  FillList(0);
}

}  // namespace

void ShowMethodsDialog(HWND owner, const std::string& exeDir) {
  TfrmMethods form(exeDir);
  form.ShowModal(owner, kMethodsCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
}
