#include "editor/formEditMacro_win.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "base/OsFile.h"
#include "base/PathParts.h"
#include "base/WideText_win.h"
#include "editor/EndQuestion_win.h"
#include "editor/MacroForm.h"
#include "store/Settings.h"
#include "store/StoreText.h"
#include "editor/formEditor_win.h"
#include "wingui/ShortCutField_win.h"
#include "wingui/DialogBase_win.h"
#include "wingui/WinHandles_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "wingui/FileDialog_win.h"
#include "wingui/WindowPlacement_win.h"

namespace {

// The designed dialog, inside its border, and the place all group boxes share.
constexpr int kClientWidth = 442;
constexpr int kClientHeight = 371;
constexpr int kGroupLeft = 4;
constexpr int kGroupTop = 88;
constexpr int kGroupWidth = 433;
constexpr int kGroupHeight = 249;

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;

TTemplateEditorCall TemplateEditor = ShowTemplateEditor;

int FieldId(TFormText field) { return idMacroFieldBase + field; }
int ButtonId(TFormText field) { return FieldId(field) + idMacroButtonOffset; }
int LabelId(TFormText field) { return FieldId(field) + idMacroLabelOffset; }

enum TFieldButton { fbNone, fbEdit, fbBrowseFile, fbBrowseFolder };

// One option row: label, field and button, at a height inside its group box.
// The label's caption carries its mnemonic; no two shown together share one.
struct TOptionRow {
  TFormText Field;
  const char* Caption;
  int Top;
  TFieldButton Button;
};

// The replace and with fields of one group: three rows under two headings.
struct TReplaceRows {
  int HeadingTop;
  int FirstTop;
  int Step;
  TFormText FirstField;  // Replace1; With1, Replace2, ... follow in TFormText order
  int ReplaceHeadingId;
  int WithHeadingId;
};

struct TGroupDesign {
  int Id;
  const char* Caption;
  std::vector<TOptionRow> Rows;
  bool HasReplaceRows;
  TReplaceRows Replace;
  int NoOptionsId;  // 0 when the kind has options
};

const std::vector<TGroupDesign>& Groups() {
  static const std::vector<TGroupDesign> groups = {
      {idMacroGroupBlock, "Block Mode Options",
       {{ftBlockFirst, "&First line:", 22, fbEdit}, {ftLineLine, "&Line:", 52, fbEdit},
        {ftBlockLast, "L&ast line:", 82, fbEdit}},
       true, {118, 136, 30, ftLineReplace1, idMacroBlockReplaceHeading, idMacroBlockWithHeading}, 0},
      {idMacroGroupLine, "Line Mode Options",
       {{ftLineFirst, "&First line:", 18, fbEdit}, {ftBlockLine1, "Line &1:", 44, fbEdit},
        {ftBlockLine2, "Line &2:", 70, fbEdit}, {ftBlockLine3, "Line &3:", 96, fbEdit},
        {ftLineLast, "L&ast line:", 122, fbEdit}},
       true, {150, 166, 26, ftBlockReplace1, idMacroLineReplaceHeading, idMacroLineWithHeading}, 0},
      {idMacroGroupRun, "Run Program Options",
       {{ftRunFile, "&File:", 22, fbBrowseFile}, {ftRunPath, "&Path:", 52, fbBrowseFolder},
        {ftRunParameters, "P&arameters:", 82, fbNone}},
       false, {}, 0},
      {idMacroGroupStrip, "Strip Tags Options", {{ftStripExpr, "&Expression:", 22, fbEdit}}, false, {}, 0},
      {idMacroGroupChangeCase, "Change Case Options", {}, false, {}, idMacroNoOptionsChangeCase},
      {idMacroGroupTidy, "Tidy HTML Options", {}, false, {}, idMacroNoOptionsTidy},
      {idMacroGroupEmail, "Email Options", {}, false, {}, idMacroNoOptionsEmail},
  };
  return groups;
}

// Columns inside a group box, in design pixels from its left edge.
constexpr int kLabelLeft = 10;
constexpr int kLabelWidth = 72;
constexpr int kFieldLeft = 84;
constexpr int kFieldWidth = 262;
constexpr int kWideFieldWidth = 338;  // a row without a button
constexpr int kEditLeft = 352;
constexpr int kEditWidth = 70;
constexpr int kBrowseLeft = 396;  // the "..." buttons end where the "Edit" buttons end
constexpr int kBrowseWidth = 26;
constexpr int kBrowseFieldWidth = kBrowseLeft - 6 - kFieldLeft;
constexpr int kReplaceWidth = 166;
constexpr int kWithLeft = 256;
constexpr int kWithWidth = 166;
constexpr int kRowHeight = 21;

class TfrmEditMacro : public TDialogBase {
 public:
  explicit TfrmEditMacro(const TCatagories& catagories)
      : FCatagories(catagories), FCodePage(StoreTextCodePage(catagories.Encoding())) {}

  void Load(const TMacro& macro, int catagoryIndex, int macroIndex) {
    LoadMacroForm(FForm, macro, catagoryIndex, macroIndex, FCodePage);
  }
  void Store(TMacro& macro) const { StoreMacroForm(FForm, macro, FCodePage); }
  // Whether the controls hold other values than the dialog was opened with.
  bool HasChanges() const;

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override { Layout(); }

 private:
  static LRESULT CALLBACK ShortCutEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data);
  void FormCreate();
  void CreateControls();
  void CreateGroup(const TGroupDesign& group);
  void Layout();
  void LayoutGroup(const TGroupDesign& group);
  void ShowOptions(int typeIndex);
  void WriteControls();
  void ReadControls();
  void ReadControlsInto(TMacroForm& form) const;
  void FocusControl(int id);
  void OnCommand(int id, int code);
  void cmbTypeChange();
  void cmdOKClick();
  void txtShortcutKeyDown(WPARAM key);
  void OptionButtonClick(TFormText field);
  void EditText(TFormText field);
  void SetPathField(TFormText field, const std::string& path);
  void cmdRunBrowseClick();
  void cmdRunPathClick();
  void ShowValidationError(const std::string& text);

  HWND Control(int id) const { return GetDlgItem(Handle(), id); }
  // Every control is a Unicode one; texts in and out are UTF-8.
  HWND Add(const char* className, const std::string& text, DWORD style, int id, DWORD exStyle = 0) {
    return AddControlW(WideFromUtf8(className).c_str(), WideFromUtf8(text).c_str(), style, id, exStyle);
  }
  std::string ControlText(int id) const;
  void SetControlText(int id, const std::string& text) {
    SetDlgItemTextW(Handle(), id, WideFromUtf8(text).c_str());
  }

  const TCatagories& FCatagories;
  const unsigned FCodePage;  // the code page of the store's texts
  TMacroForm FForm;
  TMacroForm FOpened;  // as the controls showed it when the dialog opened
  // Every control of each group box, the box itself first, for ShowOptions.
  std::vector<std::vector<int>> FGroupControls;
};

INT_PTR TfrmEditMacro::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsEndQuestion(message)) {
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, AnswerEndQuestion(Handle(), wParam, lParam, HasChanges()));
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the title gets the focus once the dialog shows
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      RemoveWindowSubclass(Control(idMacroShortCut), ShortCutEditProc, 0);
      return FALSE;
  }
  return FALSE;
}

bool TfrmEditMacro::HasChanges() const {
  if (Handle() == nullptr) return false;
  TMacroForm now = FForm;
  ReadControlsInto(now);
  return MacroFormChanged(FOpened, now);
}

void TfrmEditMacro::FormCreate() {
  CreateControls();
  RECT window, client;
  GetWindowRect(Handle(), &window);
  GetClientRect(Handle(), &client);
  int frameWidth = (window.right - window.left) - client.right;
  int frameHeight = (window.bottom - window.top) - client.bottom;
  SetWindowPos(Handle(), nullptr, 0, 0, Scale(kClientWidth) + frameWidth,
               Scale(kClientHeight) + frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterOverOwner(Handle(), GetWindow(Handle(), GW_OWNER));
  Layout();
  WriteControls();
  // What the controls show: the baseline of the changes.
  FOpened = FForm;
  ReadControlsInto(FOpened);
  SetWindowSubclass(Control(idMacroShortCut), ShortCutEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
  // Posted: the dialog manager moves the focus with its own rules (and
  // selects the title's text) once the dialog is visible.
  PostMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(idMacroTitle)), TRUE);
}

void TfrmEditMacro::CreateControls() {
  const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
  // Each label comes just before its control: its mnemonic moves there.
  Add("STATIC", "&Title:", SS_LEFT, idMacroTitleLabel);
  Add("EDIT", "", edit, idMacroTitle, WS_EX_CLIENTEDGE);
  Add("STATIC", "T&ype:", SS_LEFT, idMacroTypeLabel);
  HWND type = Add("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, idMacroType);
  for (const char* item : kMacroTypeItems)
    SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(item).c_str()));
  Add("STATIC", "&Shortcut:", SS_LEFT, idMacroShortCutLabel);
  Add("EDIT", kNoShortCutText, edit | ES_READONLY, idMacroShortCut, WS_EX_CLIENTEDGE);
  // A hint while typing: the record counts bytes, which OK checks and
  // reports; the templates take any length here, so nothing is ever cut.
  SendMessageW(Control(idMacroTitle), EM_LIMITTEXT, kTitleCapacity, 0);
  for (const TGroupDesign& group : Groups()) CreateGroup(group);
  Add("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, idMacroOK);
  Add("BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, idMacroCancel);
}

void TfrmEditMacro::CreateGroup(const TGroupDesign& group) {
  std::vector<int> ids{group.Id};
  Add("BUTTON", group.Caption, BS_GROUPBOX, group.Id);
  auto addField = [&](TFormText field) {
    Add("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, FieldId(field), WS_EX_CLIENTEDGE);
    SendMessageW(Control(FieldId(field)), EM_LIMITTEXT,
                 FormTextCapacity(field) == kReplaceCapacity ? kReplaceCapacity : 0, 0);
    ids.push_back(FieldId(field));
  };
  for (const TOptionRow& row : group.Rows) {
    Add("STATIC", row.Caption, SS_LEFT, LabelId(row.Field));
    ids.push_back(LabelId(row.Field));
    addField(row.Field);
    if (row.Button == fbNone) continue;
    Add("BUTTON", row.Button == fbEdit ? "Edit" : "...", BS_PUSHBUTTON | WS_TABSTOP,
               ButtonId(row.Field));
    ids.push_back(ButtonId(row.Field));
  }
  if (group.HasReplaceRows) {
    // Each heading just before the first field under it, for its mnemonic.
    Add("STATIC", "&Replace:", SS_LEFT, group.Replace.ReplaceHeadingId);
    ids.push_back(group.Replace.ReplaceHeadingId);
    for (int field = group.Replace.FirstField; field < group.Replace.FirstField + 6; ++field) {
      if (field == group.Replace.FirstField + 1) {
        Add("STATIC", "&With:", SS_LEFT, group.Replace.WithHeadingId);
        ids.push_back(group.Replace.WithHeadingId);
      }
      addField(static_cast<TFormText>(field));
    }
  }
  if (group.NoOptionsId) {
    Add("STATIC", "[no options available]", SS_CENTER | SS_NOPREFIX | WS_DISABLED,
               group.NoOptionsId);
    ids.push_back(group.NoOptionsId);
  }
  FGroupControls.push_back(ids);
}

void TfrmEditMacro::Layout() {
  Place(idMacroTitleLabel, 8, 12, 70, 15);
  Place(idMacroTitle, 84, 8, 350, kRowHeight);
  Place(idMacroTypeLabel, 8, 40, 70, 15);
  Place(idMacroType, 84, 36, 350, 200);
  Place(idMacroShortCutLabel, 8, 68, 70, 15);
  Place(idMacroShortCut, 84, 64, 180, kRowHeight);
  for (const TGroupDesign& group : Groups()) LayoutGroup(group);
  Place(idMacroOK, 278, 342, 75, 25);
  Place(idMacroCancel, 359, 342, 75, 25);
}

void TfrmEditMacro::LayoutGroup(const TGroupDesign& group) {
  Place(group.Id, kGroupLeft, kGroupTop, kGroupWidth, kGroupHeight);
  const int x = kGroupLeft;
  const int y = kGroupTop;
  for (const TOptionRow& row : group.Rows) {
    Place(LabelId(row.Field), x + kLabelLeft, y + row.Top + 3, kLabelWidth, 15);
    int width = row.Button == fbNone ? kWideFieldWidth : row.Button == fbEdit ? kFieldWidth : kBrowseFieldWidth;
    Place(FieldId(row.Field), x + kFieldLeft, y + row.Top, width, kRowHeight);
    if (row.Button == fbEdit) Place(ButtonId(row.Field), x + kEditLeft, y + row.Top - 1, kEditWidth, 23);
    if (row.Button == fbBrowseFile || row.Button == fbBrowseFolder)
      Place(ButtonId(row.Field), x + kBrowseLeft, y + row.Top, kBrowseWidth, kRowHeight);
  }
  if (group.HasReplaceRows) {
    const TReplaceRows& rows = group.Replace;
    Place(rows.ReplaceHeadingId, x + kFieldLeft, y + rows.HeadingTop, kReplaceWidth, 15);
    Place(rows.WithHeadingId, x + kWithLeft, y + rows.HeadingTop, kWithWidth, 15);
    for (int pair = 0; pair < 3; ++pair) {
      int top = y + rows.FirstTop + pair * rows.Step;
      auto replace = static_cast<TFormText>(rows.FirstField + 2 * pair);
      Place(FieldId(replace), x + kFieldLeft, top, kReplaceWidth, kRowHeight);
      Place(FieldId(static_cast<TFormText>(replace + 1)), x + kWithLeft, top, kWithWidth, kRowHeight);
    }
  }
  if (group.NoOptionsId) Place(group.NoOptionsId, x + 10, y + 110, kGroupWidth - 20, 15);
}

void TfrmEditMacro::ShowOptions(int typeIndex) {
  for (std::size_t group = 0; group < FGroupControls.size(); ++group) {
    int show = static_cast<int>(group) == typeIndex ? SW_SHOW : SW_HIDE;
    for (int id : FGroupControls[group]) ShowWindow(Control(id), show);
  }
}

void TfrmEditMacro::WriteControls() {
  SendMessageA(Control(idMacroType), CB_SETCURSEL, static_cast<WPARAM>(FForm.TypeIndex), 0);
  ShowOptions(FForm.TypeIndex);
  SetControlText(idMacroTitle, FForm.Title);
  SetControlText(idMacroShortCut, FForm.ShortCutText);
  for (int field = 0; field < kFormTextCount; ++field)
    SetControlText(FieldId(static_cast<TFormText>(field)), FForm.Texts[field]);
}

void TfrmEditMacro::ReadControls() { ReadControlsInto(FForm); }

void TfrmEditMacro::ReadControlsInto(TMacroForm& form) const {
  form.Title = ControlText(idMacroTitle);
  for (int field = 0; field < kFormTextCount; ++field)
    form.Texts[field] = ControlText(FieldId(static_cast<TFormText>(field)));
}

void TfrmEditMacro::FocusControl(int id) {
  // As the dialog manager moves it: an edit's text comes selected.
  SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
}

std::string TfrmEditMacro::ControlText(int id) const {
  return Utf8FromWide(WindowTextW(Control(id)));
}

void TfrmEditMacro::OnCommand(int id, int code) {
  switch (id) {
    case idMacroOK: cmdOKClick(); return;
    case idMacroCancel: EndDialog(Handle(), IDCANCEL); return;
    case idMacroType:
      if (code == CBN_SELCHANGE) cmbTypeChange();
      return;
  }
  int field = id - idMacroFieldBase - idMacroButtonOffset;
  if (code == BN_CLICKED && field >= 0 && field < kFormTextCount)
    OptionButtonClick(static_cast<TFormText>(field));
}

void TfrmEditMacro::cmbTypeChange() {
  ReadControls();
  int index = static_cast<int>(SendMessageA(Control(idMacroType), CB_GETCURSEL, 0, 0));
  ChangeKind(FForm, index);
  WriteControls();
}

void TfrmEditMacro::cmdOKClick() {
  ReadControls();
  // The picker's shortcut is the program's: zarvel.ini beside it.
  const std::uint16_t picker = ReadPickerSettings(FolderOfPath(RunningProgramPath())).ActiveShortCut();
  TFormProblem problem = CheckMacroForm(FForm, FCatagories, picker);
  if (!problem.Message.empty()) {
    ShowValidationError(problem.Message);
    // The control to correct has the focus afterwards.
    if (problem.Focus == ffTitle) FocusControl(idMacroTitle);
    else if (problem.Focus == ffShortCut) FocusControl(idMacroShortCut);
    else if (problem.Focus >= 0) FocusControl(FieldId(static_cast<TFormText>(problem.Focus)));
    return;
  }
  EndDialog(Handle(), IDOK);
}

void TfrmEditMacro::ShowValidationError(const std::string& text) {
  ShowInputError(Handle(), text, MB_ICONINFORMATION);
}

// The character the key types with AltGr (Ctrl and Alt, Shift as given) on
// the thread's keyboard layout; 0 when it types none.
std::uint32_t AltGrCharacter(unsigned key, bool shift) {
  HKL layout = GetKeyboardLayout(0);
  BYTE state[256] = {};
  state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_MENU] = state[VK_RMENU] = 0x80;
  if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  UINT scan = MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout);
  wchar_t text[8] = {};
  // Flag 4 leaves the layout's dead-key state alone where the system knows
  // it; elsewhere a dead key is pressed once more to clear it again.
  int count = ToUnicodeEx(key, scan, state, text, 8, 4, layout);
  if (count < 0) {
    wchar_t cleared[8];
    ToUnicodeEx(key, scan, state, cleared, 8, 4, layout);
    count = 1;
  }
  if (count <= 0) return 0;
  if (count >= 2 && IS_HIGH_SURROGATE(text[0]) && IS_LOW_SURROGATE(text[1]))
    return 0x10000 + ((static_cast<std::uint32_t>(text[0]) - 0xD800) << 10) + (text[1] - 0xDC00);
  return text[0];
}

void TfrmEditMacro::txtShortcutKeyDown(WPARAM key) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  CaptureShortCut(FForm, static_cast<unsigned>(key), shift, GetKeyState(VK_CONTROL) < 0,
                  GetKeyState(VK_MENU) < 0);
  SetControlText(idMacroShortCut, FForm.ShortCutText);
  if (!ShortCutMayTypeWithAltGr(FForm.ShortCutValue)) return;
  // The shortcut is kept; the user learns that AltGr will not run it.
  std::string note = AltGrNote(FForm.ShortCutValue, AltGrCharacter(static_cast<unsigned>(key), shift));
  if (!note.empty())
    MessageBoxW(Handle(), WideFromUtf8(note).c_str(), L"Shortcut", MB_OK | MB_ICONINFORMATION);
}

// Keys the dialog keeps for itself in the shortcut field: Tab and Shift+Tab
// move on, Enter and Escape alone press OK and Cancel. Every other key,
// Ctrl+Tab and Ctrl+Enter included, is a shortcut to capture.
bool IsNavigationKey(WPARAM key) {
  bool shift = GetKeyState(VK_SHIFT) < 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool alt = GetKeyState(VK_MENU) < 0;
  if (key == VK_TAB) return !ctrl && !alt;
  if (key == VK_RETURN || key == VK_ESCAPE) return !shift && !ctrl && !alt;
  return false;
}

LRESULT CALLBACK TfrmEditMacro::ShortCutEditProc(HWND edit, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TfrmEditMacro*>(data);
  LRESULT result = 0;
  if (HandleShortCutFieldMessage(edit, message, wParam, lParam, IsNavigationKey,
                                 [self](WPARAM key) { self->txtShortcutKeyDown(key); }, result))
    return result;
  return DefSubclassProc(edit, message, wParam, lParam);
}

void TfrmEditMacro::OptionButtonClick(TFormText field) {
  if (field == ftRunFile) cmdRunBrowseClick();
  else if (field == ftRunPath) cmdRunPathClick();
  else EditText(field);
}

void TfrmEditMacro::EditText(TFormText field) {
  std::string text = FieldToEditorText(ControlText(FieldId(field)));
  if (!TemplateEditor(Handle(), text)) return;
  SetControlText(FieldId(field), EditorTextToField(text));
}

// A picked path goes into the macro as it is in a UTF-8 folder; in an
// ANSI folder one that the code page cannot hold is refused rather than
// stored with "?".
void TfrmEditMacro::SetPathField(TFormText field, const std::string& path) {
  std::string unstorable;
  if (!FindUnstorableCharacter(path, FCodePage, unstorable)) {
    SetControlText(FieldId(field), path);
    return;
  }
  ShowInputError(Handle(), "\"" + path +
                               "\" holds characters that Windows' ANSI code page cannot hold, so a macro cannot "
                               "store it. Please choose another path, or rename the folder or file.");
}

void TfrmEditMacro::cmdRunBrowseClick() {
  std::string picked;
  if (PickFile(Handle(), false, "Executables (*.exe; *.com; *.bat)|*.exe;*.com;*.bat", 0, picked))
    SetPathField(ftRunFile, picked);
}

void TfrmEditMacro::cmdRunPathClick() {
  TComScope com;  // the folder browser wants COM on this thread
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.pidlRoot = nullptr;  // the desktop
  browse.lpszTitle = L"Select Path";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse)) {
    wchar_t path[MAX_PATH] = {};
    const bool known = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (known) SetPathField(ftRunPath, Utf8FromWide(path));
  }
}

}  // namespace

void SetMacroDialogTemplateEditor(TTemplateEditorCall editor) {
  TemplateEditor = editor ? editor : ShowTemplateEditor;
}

INT_PTR ExecuteMacroDialog(HWND owner, TMacro& macro, const TCatagories& catagories, int catagoryIndex,
                           int macroIndex) {
  TfrmEditMacro form(catagories);
  form.Load(macro, catagoryIndex, macroIndex);
  const std::string caption = MacroFormCaption(macro, StoreTextCodePage(catagories.Encoding()));
  if (form.ShowModalUnicode(owner, caption, kDialogStyle) != IDOK) return IDCANCEL;
  form.Store(macro);
  return IDOK;
}
