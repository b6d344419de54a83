#include "editor/formOptions_win.h"

#include <windows.h>

#include <commctrl.h>

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <vector>

#include "base/SafeFile.h"
#include "base/WideText_win.h"
#include "editor/MacroEditorActions.h"
#include "editor/MacroForm.h"
#include "editor/OptionsPictures_win.h"
#include "editor/WindowBounds.h"
#include "editor/formEditMacro_win.h"
#include "exchange/CatagoryExchange.h"
#include "search/MacroIndex.h"
#include "store/Settings.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"
#include "wingui/DialogBase_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "wingui/FileDialog_win.h"
#include "wingui/ForegroundWindow_win.h"
#include "wingui/InputBox_win.h"
#include "wingui/RecycleBin_win.h"

namespace {

// The designed window, outside border included; also its smallest size.
constexpr int kDesignWidth = 476;
constexpr int kDesignHeight = 320;
constexpr int kTitleColumnWidth = 250;
constexpr int kMacroButtonWidth = 71;
constexpr int kCatagoryButtonWidth = 92;
constexpr int kButtonHeight = 52;
constexpr int kToolbarPictureSize = 32;
constexpr int kListPictureSize = 16;
// Posted at creation: the window is brought forward once it is shown.
constexpr UINT WM_FORMSHOW = WM_APP + 1;
constexpr UINT_PTR kSearchSubclassId = 1;
constexpr UINT_PTR kToolbarSubclassId = 2;
// Tries a delayed reload again until the editor's dialog has closed.
constexpr UINT_PTR kFilesChangedTimer = 40;
constexpr UINT kFilesChangedRetryMs = 250;

const wchar_t* const kColumnCaptions[] = {L"Title", L"Type", L"Shortcut", L"Catagory"};
// Without a query; the category column comes only while searching.
constexpr int kColumnCount = 3;
constexpr int kMostColumns = 4;
constexpr const char* kJsonFilter = "Macro exports (*.json)|*.json|All files (*.*)|*.*";

class TfrmOptions;
// The editor of this thread, for the keyboard filter of its modal loop.
thread_local TfrmOptions* tKeyboardEditor = nullptr;

// A category name as a menu shows it: "&" would underline the next letter.
std::string MenuText(const std::string& name) {
  std::string text;
  for (char c : name) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

class TfrmOptions : public TDialogBase {
 public:
  TfrmOptions(TCatagories& catagories, const std::string& exeDir) : FCatagories(catagories), FExeDir(exeDir) {}
  // A key on its way to one of the window's controls; true when it was a
  // command of the window and goes no further.
  bool FilterKey(const MSG& message);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override;

 private:
  void FormCreate();
  void FormClose();
  INT_PTR Notify(const NMHDR& header);
  void Command(int id, int code);
  void CreateControls();
  HWND CreateToolbar(int id, const std::vector<std::pair<int, const char*>>& buttons);
  void MakePictures();
  void SizeToolbars();
  void Layout();
  void PlaceFromSettings();

  void FillCatagories();
  // Reads the folder again and shows what changed; see WM_MACROEDITORFILESCHANGED.
  void StoreFilesChanged();
  void cmbCatagoryChange();
  void UpdateControls();
  void lvMacrosColumnClick(int column);
  static int CALLBACK lvMacrosCompare(LPARAM item1, LPARAM item2, LPARAM self);
  std::string SortText(LPARAM param) const;
  void SetSortMark(int column);
  void SortList();

  void tbAddCatClick();
  void tbRemoveCatClick();
  void tbAddMacroClick();
  void EditMacro();
  void tbRemoveMacroClick();
  void DuplicateMacroClick();
  void MoveMacroClick(int target);
  void RenameCatClick();
  void ExportClick();
  void ImportClick();
  void UndoClick();

  // The search: the rows are the macros found in every category.
  void SearchChange();
  void ShowFound();
  void SetCatagoryColumn(bool shown);
  int ColumnCount() const { return FFiltering ? kMostColumns : kColumnCount; }
  // The store's category and macro a row's lParam stands for; false when
  // it stands for none (any more).
  bool MacroOfParam(LPARAM param, int& catagory, int& macro) const;
  bool SelectedMacro(int& catagory, int& macro) const;
  // After a change of the store: the rows anew, the given macro chosen
  // when it is among them.
  void ShowMacros(int catagory, int macro);
  void ChooseCatagory(int catagory);

  // Context menus, for the mouse and the keyboard.
  void ContextMenu(HWND control, LPARAM position);
  HMENU MacroMenu() const;
  HMENU CatagoryMenu() const;
  void AppendUndo(HMENU menu) const;
  static LRESULT CALLBACK SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR);
  static LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR);

  // The store's index of the chosen category; -1 for none.
  int SelectedCatagory() const;
  int SelectedRow() const;
  LPARAM MacroOfRow(int row) const;
  int AddRow(LPARAM param);
  void ShowRow(int row, LPARAM param);
  void SelectRow(int row);
  bool Ask(const std::string& caption, const std::string& question, UINT defaultButton = MB_DEFBUTTON1);
  // A message box of the window; texts UTF-8.
  int Message(const std::string& text, const std::string& caption, UINT type);
  // The code page of the store's texts, and a stored text as the window shows it (UTF-8).
  unsigned CodePage() const { return StoreTextCodePage(FCatagories.Encoding()); }
  std::string Shown(const std::string& stored) const { return ShownText(stored, CodePage()); }
  std::string SearchText() const { return Utf8FromWide(WindowTextW(Search())); }
  // Runs one store operation; a failure is shown and gives false, and the
  // caller then leaves its lists as they are.
  bool StoreStep(const std::function<void()>& step);

  HWND Control(int id) const { return GetDlgItem(Handle(), id); }
  HWND List() const { return Control(idOptionsMacros); }
  HWND Combo() const { return Control(idOptionsCatagory); }
  HWND Search() const { return Control(idOptionsSearch); }

  TCatagories& FCatagories;
  std::string FExeDir;
  TImageList FToolbarNormal;
  TImageList FToolbarHot;
  TImageList FListPictures;
  int FSortColumn = 0;
  bool FSortAscending = true;
  int FColumnImage[kMostColumns] = {-1, -1, -1, -1};
  // Built again only when the store's generation moved on.
  TMacroIndex FIndex;
  bool FIndexBuilt = false;
  bool FFiltering = false;
  std::vector<int> FFound;  // positions in FIndex.Entries()
  TDeleteUndo FUndo;
  HHOOK FKeyFilter = nullptr;
};

// Keys pass here before the dialog's own handling (Tab, Enter, Escape).
LRESULT CALLBACK KeyFilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && tKeyboardEditor && tKeyboardEditor->FilterKey(*reinterpret_cast<MSG*>(lParam)))
    return TRUE;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR TfrmOptions::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the focus was set to the list
    case WM_FORMSHOW:
      ForceForegroundWindow(Handle());
      SetFocus(List());
      return TRUE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_NOTIFY:
      SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, Notify(*reinterpret_cast<const NMHDR*>(lParam)));
      return TRUE;
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CONTEXTMENU:
      ContextMenu(reinterpret_cast<HWND>(wParam), lParam);
      return TRUE;
    case WM_CLOSE:
      // The close box closes even while a query is shown; Escape first clears it.
      FormClose();
      return TRUE;
    case WM_DESTROY:
      if (FKeyFilter) UnhookWindowsHookEx(FKeyFilter);
      FKeyFilter = nullptr;
      if (tKeyboardEditor == this) tKeyboardEditor = nullptr;
      RemoveWindowSubclass(Search(), SearchProc, kSearchSubclassId);
      for (int id : {idOptionsToolbar, idOptionsCatToolbar})
        RemoveWindowSubclass(Control(id), ToolbarProc, kToolbarSubclassId);
      return FALSE;
    case WM_MACROEDITORFILESCHANGED:
      StoreFilesChanged();
      return TRUE;
    case WM_TIMER:
      if (wParam != kFilesChangedTimer) return FALSE;
      StoreFilesChanged();
      return TRUE;
  }
  return FALSE;
}

bool TfrmOptions::FilterKey(const MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  if (!message.hwnd || GetAncestor(message.hwnd, GA_ROOT) != Handle()) return false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
  bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  // The menu key and Shift+F10 open the focused list's menu; their key-ups
  // go too, so that the system does not open it a second time.
  bool menuKey = message.wParam == VK_APPS || (message.wParam == VK_F10 && shift && !ctrl && !alt);
  if (menuKey) {
    if (down) PostMessageA(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetFocus()), -1);
    return down || up;
  }
  if (!down || alt) return false;
  int command = 0;
  switch (message.wParam) {
    case 'N': if (ctrl) command = shift ? idOptionsAddCat : idOptionsAddMacro; break;
    case 'D': if (ctrl && !shift) command = idOptionsDuplicateMacro; break;
    case 'F': if (ctrl && !shift) command = idOptionsFind; break;
    // In the search box Ctrl+Z takes back typing.
    case 'Z': if (ctrl && !shift && GetFocus() != Search()) command = idOptionsUndo; break;
    case VK_F2: if (!ctrl && !shift) command = idOptionsRenameCat; break;
  }
  // Posted: a command may open a modal window, which the filter must not wait for.
  if (command) PostMessageA(Handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return command != 0;
}

void TfrmOptions::Command(int id, int code) {
  switch (id) {
    case idOptionsClose:
      // Escape clears a query first; the next one closes the window.
      if (GetWindowTextLengthW(Search()) > 0)
        SetWindowTextW(Search(), L"");
      else
        FormClose();
      return;
    case IDOK: {
      // Enter: the dialog's default command; in the list and in the search
      // box it opens the chosen macro, on a toolbar it presses the button
      // shown as chosen.
      HWND focus = GetFocus();
      if (focus == List() || focus == Search()) {
        EditMacro();
      } else if (focus == Control(idOptionsToolbar) || focus == Control(idOptionsCatToolbar)) {
        int hot = static_cast<int>(SendMessageA(focus, TB_GETHOTITEM, 0, 0));
        TBBUTTON button{};
        if (hot >= 0 && SendMessageA(focus, TB_GETBUTTON, hot, reinterpret_cast<LPARAM>(&button)) &&
            SendMessageA(focus, TB_ISBUTTONENABLED, button.idCommand, 0))
          Command(button.idCommand, 0);
      }
      return;
    }
    case idOptionsCatagory:
      if (code != CBN_SELCHANGE) return;
      // Choosing a category ends a search: the list shows that category.
      if (FFiltering)
        SetWindowTextW(Search(), L"");
      else
        cmbCatagoryChange();
      return;
    case idOptionsSearch:
      if (code == EN_CHANGE) SearchChange();
      return;
    case idOptionsAddCat: tbAddCatClick(); return;
    case idOptionsRemoveCat: tbRemoveCatClick(); return;
    case idOptionsAddMacro: tbAddMacroClick(); return;
    case idOptionsEditMacro: EditMacro(); return;
    case idOptionsRemoveMacro: tbRemoveMacroClick(); return;
    case idOptionsDuplicateMacro: DuplicateMacroClick(); return;
    case idOptionsRenameCat: RenameCatClick(); return;
    case idOptionsExport: ExportClick(); return;
    case idOptionsImport: ImportClick(); return;
    case idOptionsUndo: UndoClick(); return;
    case idOptionsFind:
      SetFocus(Search());
      SendMessageA(Search(), EM_SETSEL, 0, -1);
      return;
  }
  if (id >= idOptionsMoveMacro) MoveMacroClick(id - idOptionsMoveMacro);
}

INT_PTR TfrmOptions::Notify(const NMHDR& header) {
  if (header.idFrom != static_cast<UINT_PTR>(idOptionsMacros)) return 0;
  switch (header.code) {
    case LVN_ITEMCHANGED: UpdateControls(); return 0;
    case LVN_COLUMNCLICK: lvMacrosColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem); return 0;
    case NM_DBLCLK: EditMacro(); return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) tbRemoveMacroClick();
      return 0;
  }
  return 0;
}

void TfrmOptions::FormCreate() {
  SetMinimumSize(kDesignWidth, kDesignHeight);
  ShowProgramIcon();
  MakePictures();
  CreateControls();
  PlaceFromSettings();
  Layout();
  FSortColumn = 0;
  // Changes made on disk while the editor was being opened reached no one.
  try {
    FCatagories.Refresh();
  } catch (const std::exception&) {
  }
  FillCatagories();
  UpdateControls();
  // Sorted by title, ascending, with the mark on "Title".
  lvMacrosColumnClick(ocTitle);
  if (ListView_GetItemCount(List()) > 0) SelectRow(0);
  SetFocus(List());
  tKeyboardEditor = this;
  FKeyFilter = SetWindowsHookExA(WH_MSGFILTER, KeyFilterProc, nullptr, GetCurrentThreadId());
  PostMessageA(Handle(), WM_FORMSHOW, 0, 0);
}

void TfrmOptions::FormClose() {
  TEditorBounds bounds;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  RECT rect;
  GetWindowRect(Handle(), &rect);
  if ((IsZoomed(Handle()) || IsIconic(Handle())) && GetWindowPlacement(Handle(), &placement)) {
    // The size to come back to, not the maximised one; the placement counts
    // from the work area's corner, the settings from the screen's.
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor))
      OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  }
  bounds.Left = rect.left;
  bounds.Top = rect.top;
  bounds.Width = rect.right - rect.left;
  bounds.Height = rect.bottom - rect.top;
  WriteEditorBounds(FExeDir, bounds);  // a failed write is not reported
  EndDialog(Handle(), IDCANCEL);
}

void TfrmOptions::CreateControls() {
  AddControl("STATIC", "Catagory:", SS_LEFT | SS_NOPREFIX, idOptionsCatagoryLabel);
  // Category names, titles and the query are shown and typed as Unicode, whatever the folder holds.
  AddControlW(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, idOptionsCatagory);
  HWND search =
      AddControlW(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, idOptionsSearch, WS_EX_CLIENTEDGE);
  SendMessageW(search, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(WideFromUtf8(kSearchCue).c_str()));
  SetWindowSubclass(search, SearchProc, kSearchSubclassId, reinterpret_cast<DWORD_PTR>(this));
  HWND list = AddControlW(WC_LISTVIEWW, L"",
                          LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_GROUP,
                          idOptionsMacros, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  ListView_SetImageList(list, FListPictures.Get(), LVSIL_SMALL);
  for (int column = 0; column < kColumnCount; ++column) {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = const_cast<wchar_t*>(kColumnCaptions[column]);
    info.cx = column == ocTitle ? Scale(kTitleColumnWidth) : Scale(80);
    info.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&info));
  }
  // The header shows the sort marks from the same pictures.
  Header_SetImageList(ListView_GetHeader(list), FListPictures.Get());

  CreateToolbar(idOptionsToolbar,
                {{idOptionsAddMacro, "Add Macro"}, {idOptionsEditMacro, "Edit Macro"},
                 {idOptionsRemoveMacro, "Delete Macro"}});
  CreateToolbar(idOptionsCatToolbar, {{idOptionsAddCat, "Add Catagory"}, {idOptionsRemoveCat, "Remove Catagory"}});
  SizeToolbars();
}

HWND TfrmOptions::CreateToolbar(int id, const std::vector<std::pair<int, const char*>>& buttons) {
  // In the tab order: the arrow keys choose a button, Enter or Space presses it.
  HWND bar = AddControl(TOOLBARCLASSNAMEA, "",
                        TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | CCS_TOP | WS_TABSTOP |
                            WS_GROUP,
                        id);
  SetWindowSubclass(bar, ToolbarProc, kToolbarSubclassId, 0);
  SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FToolbarNormal.Get()));
  SendMessageA(bar, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(FToolbarHot.Get()));
  for (const auto& [command, caption] : buttons) {
    TBBUTTON button{};
    switch (command) {
      case idOptionsAddMacro: button.iBitmap = tpAddMacro; break;
      case idOptionsEditMacro: button.iBitmap = tpEditMacro; break;
      case idOptionsRemoveMacro: button.iBitmap = tpDeleteMacro; break;
      case idOptionsAddCat: button.iBitmap = tpAddCatagory; break;
      default: button.iBitmap = tpRemoveCatagory; break;
    }
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.iString = reinterpret_cast<INT_PTR>(caption);
    SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
  }
  return bar;
}

void TfrmOptions::SizeToolbars() {
  for (int id : {idOptionsToolbar, idOptionsCatToolbar}) {
    HWND bar = Control(id);
    int width = Scale(id == idOptionsToolbar ? kMacroButtonWidth : kCatagoryButtonWidth);
    int size = Scale(kToolbarPictureSize);
    SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    SendMessageA(bar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    SendMessageA(bar, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, Scale(kButtonHeight)));
  }
}

void TfrmOptions::MakePictures() {
  FToolbarNormal = MakeToolbarPictures(Scale(kToolbarPictureSize), false);
  FToolbarHot = MakeToolbarPictures(Scale(kToolbarPictureSize), true);
  FListPictures = MakeListPictures(Scale(kListPictureSize));
}

void TfrmOptions::DpiChanged() {
  // The controls keep using the old pictures until they are given the new
  // ones: those go only afterwards.
  TImageList oldNormal = std::move(FToolbarNormal), oldHot = std::move(FToolbarHot),
             oldList = std::move(FListPictures);
  MakePictures();
  for (int id : {idOptionsToolbar, idOptionsCatToolbar}) {
    SendMessageA(Control(id), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FToolbarNormal.Get()));
    SendMessageA(Control(id), TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(FToolbarHot.Get()));
  }
  ListView_SetImageList(List(), FListPictures.Get(), LVSIL_SMALL);
  Header_SetImageList(ListView_GetHeader(List()), FListPictures.Get());
  SizeToolbars();
  ListView_SetColumnWidth(List(), ocTitle, Scale(kTitleColumnWidth));
  Layout();
}

void TfrmOptions::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  int width = client.right;
  int height = client.bottom;
  auto atLeast0 = [](int v) { return v < 0 ? 0 : v; };
  int margin = Scale(8);

  RECT button{};
  SendMessageA(Control(idOptionsToolbar), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
  int barHeight = std::max<int>(button.bottom, Scale(kButtonHeight)) + Scale(2);
  int macroBarWidth = 3 * Scale(kMacroButtonWidth) + Scale(4);
  int catBarWidth = 2 * Scale(kCatagoryButtonWidth) + Scale(4);
  int barTop = height - barHeight;
  MoveWindow(Control(idOptionsToolbar), 0, barTop, macroBarWidth, barHeight, TRUE);
  MoveWindow(Control(idOptionsCatToolbar), atLeast0(width - catBarWidth), barTop, catBarWidth, barHeight, TRUE);

  int comboLeft = Scale(64);
  MoveWindow(Control(idOptionsCatagoryLabel), margin, Scale(11), comboLeft - margin - Scale(4), Scale(15), TRUE);
  MoveWindow(Combo(), comboLeft, Scale(8), atLeast0(width - comboLeft - margin), Scale(200), TRUE);
  MoveWindow(Search(), margin, Scale(36), atLeast0(width - 2 * margin), Scale(21), TRUE);
  int listTop = Scale(64);
  MoveWindow(List(), margin, listTop, atLeast0(width - 2 * margin), atLeast0(barTop - Scale(4) - listTop), TRUE);

  // "Type" and "Shortcut" (and while searching "Catagory") share what
  // "Title" leaves of the list's width.
  RECT listClient;
  GetClientRect(List(), &listClient);
  int rest = listClient.right - ListView_GetColumnWidth(List(), ocTitle);
  int shared = ColumnCount() - 1;
  int each = std::max(rest / shared, Scale(60));
  for (int column = 1; column < ColumnCount(); ++column)
    ListView_SetColumnWidth(List(), column,
                            column + 1 < ColumnCount() ? each : std::max(rest - each * (shared - 1), Scale(60)));
  InvalidateRect(Handle(), nullptr, TRUE);
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& work = info.rcWork;
    reinterpret_cast<std::vector<TScreenRect>*>(areas)->push_back({work.left, work.top, work.right, work.bottom});
  }
  return TRUE;
}

std::vector<TScreenRect> MonitorWorkAreas() {
  std::vector<TScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

void TfrmOptions::PlaceFromSettings() {
  POINT cursor{};
  GetCursorPos(&cursor);
  MONITORINFO home{};
  home.cbSize = sizeof home;
  GetMonitorInfoA(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &home);
  TScreenRect homeArea{home.rcWork.left, home.rcWork.top, home.rcWork.right, home.rcWork.bottom};
  TWindowDesign design{Scale(kDesignWidth), Scale(kDesignHeight), Scale(kDesignWidth), Scale(kDesignHeight)};
  TScreenRect place = PlaceStoredWindow(ReadStoredEditorBounds(FExeDir), design, homeArea, MonitorWorkAreas());
  SetWindowPos(Handle(), nullptr, place.Left, place.Top, place.Width(), place.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmOptions::FillCatagories() {
  HWND combo = Combo();
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const TCatagory& catagory : FCatagories.Items)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(Shown(catagory.Name)).c_str()));
}

void TfrmOptions::StoreFilesChanged() {
  // A dialog of the editor is open and an action holds indexes into the
  // store: the reload waits until the action has ended.
  if (!IsWindowEnabled(Handle())) {
    SetTimer(Handle(), kFilesChangedTimer, kFilesChangedRetryMs, nullptr);
    return;
  }
  KillTimer(Handle(), kFilesChangedTimer);
  // What is chosen now, to be chosen again where it still exists.
  int catagory = SelectedCatagory();
  std::string name = catagory >= 0 ? FCatagories.Items[catagory].Name : std::string();
  int row = SelectedRow();
  int macro = row >= 0 && catagory >= 0 ? MacroOfRow(row) : -1;
  std::string title = macro >= 0 ? GetTitle(FCatagories.Items[catagory].Macros[macro]) : std::string();
  TStoreRefresh found;
  try {
    found = FCatagories.Refresh();
  } catch (const std::exception&) {
    return;  // out of memory: the lists show the store as it still is
  }
  if (!found.Any()) return;  // the editor's own writes, or nothing of the store
  FillCatagories();
  catagory = name.empty() ? -1 : FindCatagory(FCatagories, name);
  SendMessageA(Combo(), CB_SETCURSEL, catagory >= 0 ? catagory : 0, 0);
  cmbCatagoryChange();
  if (catagory < 0 || macro < 0) return;
  // The same macro by title: at its old place when it is still there, else
  // the first of that title; else whatever now has its place.
  const TMacroList& macros = FCatagories.Items[catagory].Macros;
  int chosen = -1;
  if (static_cast<std::size_t>(macro) < macros.size() && GetTitle(macros[macro]) == title) chosen = macro;
  for (std::size_t m = 0; chosen < 0 && m < macros.size(); ++m)
    if (GetTitle(macros[m]) == title) chosen = static_cast<int>(m);
  if (chosen < 0 && static_cast<std::size_t>(macro) < macros.size()) chosen = macro;
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = chosen;
  int chosenRow = chosen < 0 ? -1 : ListView_FindItem(List(), -1, &find);
  if (chosenRow >= 0) SelectRow(chosenRow);
}

int TfrmOptions::SelectedCatagory() const {
  int entry = static_cast<int>(SendMessageA(Combo(), CB_GETCURSEL, 0, 0));
  if (entry < 0 || FCatagories.Items.empty() || static_cast<std::size_t>(entry) >= FCatagories.Items.size())
    return -1;
  return entry;
}

void TfrmOptions::UpdateControls() {
  HWND combo = Combo();
  if (SendMessageA(combo, CB_GETCOUNT, 0, 0) == 0)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(kNoCatagories).c_str()));
  if (SendMessageA(combo, CB_GETCURSEL, 0, 0) < 0) {
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    cmbCatagoryChange();
  }
  bool hasCatagory = !FCatagories.Items.empty();
  int catagory = -1, macro = -1;
  bool hasSelection = SelectedMacro(catagory, macro);
  auto enable = [&](int bar, int button, bool on) {
    SendMessageA(Control(bar), TB_ENABLEBUTTON, button, MAKELPARAM(on ? TRUE : FALSE, 0));
  };
  enable(idOptionsToolbar, idOptionsAddMacro, hasCatagory);
  enable(idOptionsCatToolbar, idOptionsRemoveCat, hasCatagory);
  enable(idOptionsToolbar, idOptionsEditMacro, hasCatagory && hasSelection);
  enable(idOptionsToolbar, idOptionsRemoveMacro, hasCatagory && hasSelection);
  enable(idOptionsCatToolbar, idOptionsAddCat, true);
}

void TfrmOptions::cmbCatagoryChange() {
  if (FFiltering) {
    ShowFound();
    return;
  }
  UpdateControls();
  HWND list = List();
  int catagory = SelectedCatagory();
  ListView_DeleteAllItems(list);
  if (catagory < 0) return;  // none, or the placeholder
  const TMacroList& macros = FCatagories.Items[catagory].Macros;
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCount(list, static_cast<int>(macros.size()));
  for (std::size_t macro = 0; macro < macros.size(); ++macro) AddRow(static_cast<int>(macro));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  UpdateControls();
  SortList();
  if (ListView_GetItemCount(list) > 0) SelectRow(0);
  InvalidateRect(list, nullptr, TRUE);
}

int TfrmOptions::AddRow(LPARAM param) {
  int catagory = -1, macro = -1;
  if (!MacroOfParam(param, catagory, macro)) return -1;
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = ListView_GetItemCount(List());
  std::wstring title = WideFromUtf8(Shown(GetTitle(FCatagories.Items[catagory].Macros[macro])));
  item.pszText = const_cast<wchar_t*>(title.c_str());
  item.iImage = lpMacro;
  item.lParam = param;
  int row = static_cast<int>(SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row >= 0) ShowRow(row, param);
  return row;
}

void TfrmOptions::ShowRow(int row, LPARAM param) {
  int catagory = -1, macro = -1;
  if (!MacroOfParam(param, catagory, macro)) return;
  const TMacro& record = FCatagories.Items[catagory].Macros[macro];
  std::string texts[kMostColumns] = {Shown(GetTitle(record)), MacroTypeName(record.MacroType),
                                     ShownShortCutText(record.ShortCut),
                                     Shown(FCatagories.Items[catagory].Name)};
  for (int column = 0; column < ColumnCount(); ++column) {
    std::wstring text = WideFromUtf8(texts[column]);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(List(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  }
}

int TfrmOptions::SelectedRow() const { return ListView_GetNextItem(List(), -1, LVNI_SELECTED); }

LPARAM TfrmOptions::MacroOfRow(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

bool TfrmOptions::MacroOfParam(LPARAM param, int& catagory, int& macro) const {
  if (FFiltering) {
    if (param < 0 || static_cast<std::size_t>(param) >= FFound.size()) return false;
    const TMacroEntry& entry = FIndex.Entries()[FFound[param]];
    catagory = entry.Catagory;
    macro = entry.Macro;
  } else {
    catagory = SelectedCatagory();
    macro = static_cast<int>(param);
  }
  return catagory >= 0 && static_cast<std::size_t>(catagory) < FCatagories.Items.size() && macro >= 0 &&
         static_cast<std::size_t>(macro) < FCatagories.Items[catagory].Macros.size();
}

bool TfrmOptions::SelectedMacro(int& catagory, int& macro) const {
  int row = SelectedRow();
  return row >= 0 && MacroOfParam(MacroOfRow(row), catagory, macro);
}

void TfrmOptions::SelectRow(int row) {
  UINT state = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(List(), row, state, state);
  ListView_EnsureVisible(List(), row, FALSE);
}

void TfrmOptions::lvMacrosColumnClick(int column) {
  if (column < 0 || column >= ColumnCount()) return;
  FSortColumn = column;
  for (int other = 0; other < kMostColumns; ++other)
    if (other == column)
      FColumnImage[other] = FColumnImage[other] == lpSortAscending ? lpSortDescending : lpSortAscending;
    else
      FColumnImage[other] = -1;
  for (int other = 0; other < ColumnCount(); ++other) SetSortMark(other);
  FSortAscending = FColumnImage[column] == lpSortAscending;
  SortList();
}

void TfrmOptions::SetSortMark(int column) {
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  item.fmt = HDF_LEFT | HDF_STRING;
  // A column without a mark shows no picture at all.
  if (FColumnImage[column] >= 0) item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
  item.iImage = FColumnImage[column];
  SendMessageA(ListView_GetHeader(List()), HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
}

std::string TfrmOptions::SortText(LPARAM param) const {
  int catagory = -1, macro = -1;
  if (!MacroOfParam(param, catagory, macro)) return std::string();
  const TMacro& record = FCatagories.Items[catagory].Macros[macro];
  switch (FSortColumn) {
    case ocType: return MacroTypeName(record.MacroType);
    case ocShortCut: return ShownShortCutText(record.ShortCut);
    case ocCatagory: return Shown(FCatagories.Items[catagory].Name);
    default: return Shown(GetTitle(record));
  }
}

int CALLBACK TfrmOptions::lvMacrosCompare(LPARAM item1, LPARAM item2, LPARAM self) {
  auto* form = reinterpret_cast<TfrmOptions*>(self);
  // The rows show their records as they are in the store, so the store's
  // texts are the rows' texts.
  std::wstring text1 = WideFromUtf8(form->SortText(item1));
  std::wstring text2 = WideFromUtf8(form->SortText(item2));
  int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text1.c_str(), -1, text2.c_str(), -1) - CSTR_EQUAL;
  if (!form->FSortAscending) order = -order;
  // Equal texts keep the file's order, so the list does not shuffle them.
  if (order == 0) order = item1 < item2 ? -1 : (item1 > item2 ? 1 : 0);
  return order;
}

void TfrmOptions::SortList() {
  if (!FFiltering && SelectedCatagory() < 0) return;
  ListView_SortItems(List(), lvMacrosCompare, reinterpret_cast<LPARAM>(this));
}

bool TfrmOptions::Ask(const std::string& caption, const std::string& question, UINT defaultButton) {
  return Message(question, caption, MB_YESNO | MB_ICONQUESTION | defaultButton) == IDYES;
}

int TfrmOptions::Message(const std::string& text, const std::string& caption, UINT type) {
  return MessageBoxW(Handle(), WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), type);
}

bool TfrmOptions::StoreStep(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const ECatagoryChanged& error) {
    // The store has read the category again: the rows show it as it is now.
    ShowError(error.what());
    cmbCatagoryChange();
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
  return false;
}

void TfrmOptions::tbAddCatClick() {
  std::string typed;  // UTF-8, as the box shows it
  std::string name;   // in the store's form
  int added = -1;
  // A name that cannot be taken is explained, and asked for again as typed.
  for (;;) {
    if (!InputQuery(Handle(), "Add Catagory", "Enter the new catagory's name:", typed) || typed.empty()) {
      UpdateControls();
      return;
    }
    std::string problem = TypedCatagoryNameProblem(FCatagories, typed, name);
    if (problem.empty() && StoreStep([&] { added = FCatagories.AddCatagory(name); })) {
      if (added >= 0) break;
      // A file of that name came since the store was read.
      problem = CatagoryNameTakenMessage(typed);
    }
    if (!problem.empty()) ShowInputError(Handle(), problem);
  }
  HWND combo = Combo();
  if (FCatagories.Items.size() == 1) SendMessageW(combo, CB_RESETCONTENT, 0, 0);  // the placeholder goes
  int entry = static_cast<int>(
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(Shown(name)).c_str())));
  SendMessageA(combo, CB_SETCURSEL, entry, 0);
  cmbCatagoryChange();
  UpdateControls();
}

void TfrmOptions::tbRemoveCatClick() {
  int catagory = SelectedCatagory();
  if (catagory < 0) return;
  const std::string name = FCatagories.Items[catagory].Name;
  std::string question = "Are you sure you want to remove the catagory '" + Shown(name) + "'?\n\n";
  if (RecycleBinTakes(FCatagories.CatagoryFileName(name)))
    question += "Its file goes to the Recycle Bin.";
  else
    question += "Its folder has no Recycle Bin: the file will be deleted permanently.";
  // What it held, for Undo; a category whose file could not be read held
  // nothing the store saw, and its file stays where it is.
  TCatagory removed = FCatagories.Items[catagory];
  // No is the default, so that a stray Enter keeps the category.
  if (Ask("Delete Catagory", question, MB_DEFBUTTON2) &&
      StoreStep([&] { FCatagories.RemoveCatagory(catagory, RecycleFileOrFail); })) {
    if (!removed.LoadFailed) FUndo.CatagoryRemoved(removed);
    // The last category has moved into the freed place: the store's order anew.
    FillCatagories();
    if (FFiltering) ShowFound();
  }
  UpdateControls();
}

void TfrmOptions::tbAddMacroClick() {
  int catagory = SelectedCatagory();
  if (catagory < 0) return;
  TMacro macro{};
  SetTitle(macro, "untitled");
  int added = -1;
  // A macro the store could not take comes back in the dialog as typed.
  do {
    if (ExecuteMacroDialog(Handle(), macro, FCatagories, -1, -1) != IDOK) return;
  } while (!StoreStep([&] { added = FCatagories.AddMacro(catagory, macro); }));
  if (FFiltering) {
    ShowMacros(catagory, added);
  } else {
    // At the end of the list, however it is sorted, until the next reload.
    int row = AddRow(added);
    if (row >= 0) SelectRow(row);
  }
  SetFocus(List());
  UpdateControls();
}

void TfrmOptions::EditMacro() {
  int row = SelectedRow();
  int catagory = -1, index = -1;
  if (row < 0 || !MacroOfParam(MacroOfRow(row), catagory, index)) return;
  TMacro& stored = FCatagories.Items[catagory].Macros[index];
  // The dialog works on a copy: memory takes the new values only together
  // with the file, so a failed write leaves both as they were.
  TMacro edited = stored;
  if (ExecuteMacroDialog(Handle(), edited, FCatagories, catagory, index) == IDOK &&
      StoreStep([&] { FCatagories.UpdateMacro(catagory, index, edited); })) {
    ShowRow(row, MacroOfRow(row));
  }
  UpdateControls();
}

void TfrmOptions::tbRemoveMacroClick() {
  int row = SelectedRow();
  int catagory = -1, index = -1;
  if (row < 0 || !MacroOfParam(MacroOfRow(row), catagory, index)) return;
  TMacro removed = FCatagories.Items[catagory].Macros[index];
  std::string title = Shown(GetTitle(removed));
  if (Ask("Delete Macro", "Are you sure you want to remove the macro '" + title + "'?") &&
      StoreStep([&] { FCatagories.RemoveMacro(catagory, index); })) {
    FUndo.MacroDeleted(FCatagories.Items[catagory].Name, removed);
    // The last macro has moved into the freed index: every row anew.
    cmbCatagoryChange();
    if (row < ListView_GetItemCount(List())) SelectRow(row);
  }
  UpdateControls();
}

void TfrmOptions::DuplicateMacroClick() {
  int catagory = -1, macro = -1;
  if (!SelectedMacro(catagory, macro)) return;
  int copy = -1;
  if (StoreStep([&] { copy = FCatagories.DuplicateMacro(catagory, macro); })) ShowMacros(catagory, copy);
  UpdateControls();
}

void TfrmOptions::MoveMacroClick(int target) {
  int catagory = -1, macro = -1;
  if (!SelectedMacro(catagory, macro) || target == catagory || target < 0 ||
      static_cast<std::size_t>(target) >= FCatagories.Items.size())
    return;
  int row = SelectedRow();
  StoreStep([&] { FCatagories.MoveMacro(catagory, macro, target); });
  // Also after a failure: a macro that could not be taken out again is in
  // both categories, and the rows say so.
  cmbCatagoryChange();
  if (row >= 0 && row < ListView_GetItemCount(List())) SelectRow(row);
  UpdateControls();
}

void TfrmOptions::RenameCatClick() {
  int catagory = SelectedCatagory();
  if (catagory < 0) return;
  const std::string old = FCatagories.Items[catagory].Name;
  const std::string shownOld = Shown(old);
  std::string typed = shownOld;
  if (!InputQuery(Handle(), "Rename Catagory", "Enter the catagory's new name:", typed) || typed.empty() ||
      typed == shownOld)
    return;
  // A name taken, a character the folder cannot hold or too long a name is
  // refused before anything is written.
  std::string name;
  std::string problem = TypedCatagoryNameProblem(FCatagories, typed, name, catagory);
  if (!problem.empty()) {
    ShowError(problem);
    return;
  }
  bool renamed = false;
  if (!StoreStep([&] { renamed = FCatagories.RenameCatagory(catagory, name); })) return;
  if (!renamed) {
    ShowError("Cannot rename the catagory '" + shownOld + "': a catagory or file named '" + typed +
              "' exists already.");
    return;
  }
  FUndo.CatagoryRenamed(old, name);
  ChooseCatagory(catagory);
}

void TfrmOptions::ExportClick() {
  if (FCatagories.Items.empty()) return;
  int catagory = SelectedCatagory();
  int chosen = -1;
  if (catagory >= 0 && FCatagories.Items.size() > 1) {
    const std::string name = Shown(FCatagories.Items[catagory].Name);
    std::string question = "Export only the catagory '" + name + "'?\n\nYes exports '" + name + "' alone, No all " +
                           std::to_string(FCatagories.Items.size()) + " catagories.";
    int answer = Message(question, "Export", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    if (answer == IDYES) chosen = catagory;
  }
  // Converted before a file is chosen: a text the code page cannot carry
  // is reported and no file is made. A UTF-8 folder's texts go as they are.
  std::string text;
  try {
    text = ExportText(FCatagories, chosen, CodePage());
  } catch (const std::exception& error) {
    ShowError(error.what());
    return;
  }
  std::string path;
  if (!PickFile(Handle(), true, kJsonFilter, OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT, path, "json")) return;
  try {
    WriteWholeFileSafely(path, text);
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
}

void TfrmOptions::ImportClick() {
  std::string path;
  if (!PickFile(Handle(), false, kJsonFilter, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path, "json")) return;
  TImportPlan plan;
  try {
    plan = PlanImport(FCatagories, ReadImportText(ReadWholeFile(path), CodePage(), path));
  } catch (const std::exception& error) {
    ShowError(error.what());
    return;
  }
  std::string question = ImportQuestion(plan, path, CodePage());
  if (question.empty()) {
    Message("\"" + path + "\" holds no macros; nothing was imported.", "Import", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (Message(question, "Import", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  bool imported = StoreStep([&] { ApplyImport(FCatagories, plan); });
  int first = plan.Catagories.empty() ? -1 : FindCatagory(FCatagories, plan.Catagories.front().Name);
  ChooseCatagory(imported && first >= 0 ? first : 0);
}

void TfrmOptions::UndoClick() {
  if (!FUndo.CanUndo()) return;
  std::pair<int, int> place(-1, -1);
  if (!StoreStep([&] { place = FUndo.Undo(FCatagories); })) return;
  if (place.second < 0) {
    FillCatagories();
    ChooseCatagory(place.first);
  } else {
    if (!FFiltering && place.first != SelectedCatagory()) ChooseCatagory(place.first);
    ShowMacros(place.first, place.second);
  }
  SetFocus(List());
}

void TfrmOptions::ChooseCatagory(int catagory) {
  FillCatagories();
  if (catagory >= 0 && static_cast<std::size_t>(catagory) < FCatagories.Items.size())
    SendMessageA(Combo(), CB_SETCURSEL, catagory, 0);
  UpdateControls();
  cmbCatagoryChange();
}

void TfrmOptions::ShowMacros(int catagory, int macro) {
  cmbCatagoryChange();
  int count = ListView_GetItemCount(List());
  for (int row = 0; row < count; ++row) {
    int c = -1, m = -1;
    if (MacroOfParam(MacroOfRow(row), c, m) && c == catagory && m == macro) {
      ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
      SelectRow(row);
      break;
    }
  }
  UpdateControls();
}

void TfrmOptions::SearchChange() {
  bool filtering = !SearchKey(SearchText()).empty();
  if (filtering != FFiltering) SetCatagoryColumn(filtering);
  cmbCatagoryChange();
}

void TfrmOptions::SetCatagoryColumn(bool shown) {
  FFiltering = shown;
  HWND list = List();
  ListView_DeleteAllItems(list);  // the rows' lParam changes its meaning
  if (shown) {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = const_cast<wchar_t*>(kColumnCaptions[ocCatagory]);
    info.cx = Scale(80);
    info.iSubItem = ocCatagory;
    SendMessageW(list, LVM_INSERTCOLUMNW, ocCatagory, reinterpret_cast<LPARAM>(&info));
    SetSortMark(ocCatagory);
  } else {
    ListView_DeleteColumn(list, ocCatagory);
    if (FSortColumn == ocCatagory) {
      // Back to the title, ascending.
      FColumnImage[ocCatagory] = -1;
      FColumnImage[ocTitle] = lpSortDescending;
      lvMacrosColumnClick(ocTitle);
    }
  }
  Layout();
}

void TfrmOptions::ShowFound() {
  if (!FIndexBuilt || FIndex.Generation() != FCatagories.Generation()) {
    FIndex = TMacroIndex(FCatagories);
    FIndexBuilt = true;
  }
  FFound = FilterMacros(FIndex, SearchText());
  HWND list = List();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  ListView_SetItemCount(list, static_cast<int>(FFound.size()));
  for (std::size_t found = 0; found < FFound.size(); ++found) AddRow(static_cast<LPARAM>(found));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  SortList();
  if (ListView_GetItemCount(list) > 0) SelectRow(0);
  InvalidateRect(list, nullptr, TRUE);
  UpdateControls();
}

void TfrmOptions::AppendUndo(HMENU menu) const {
  // The description quotes a stored name or title.
  std::string text = FUndo.CanUndo() ? "&Undo " + MenuText(Shown(FUndo.Description())) : std::string("&Undo");
  AppendMenuW(menu, MF_STRING | (FUndo.CanUndo() ? 0 : MF_GRAYED), idOptionsUndo,
              WideFromUtf8(text + "\tCtrl+Z").c_str());
}

HMENU TfrmOptions::MacroMenu() const {
  int catagory = -1, macro = -1;
  bool chosen = SelectedMacro(catagory, macro);
  UINT onMacro = chosen ? 0 : MF_GRAYED;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | (SelectedCatagory() >= 0 ? 0 : MF_GRAYED), idOptionsAddMacro, "&Add Macro\tCtrl+N");
  AppendMenuA(menu, MF_STRING | onMacro, idOptionsEditMacro, "&Edit Macro\tEnter");
  AppendMenuA(menu, MF_STRING | onMacro, idOptionsDuplicateMacro, "Dupli&cate Macro\tCtrl+D");
  HMENU targets = CreatePopupMenu();
  for (std::size_t other = 0; other < FCatagories.Items.size(); ++other)
    if (static_cast<int>(other) != catagory)
      AppendMenuW(targets, MF_STRING, idOptionsMoveMacro + static_cast<int>(other),
                  WideFromUtf8(MenuText(Shown(FCatagories.Items[other].Name))).c_str());
  bool canMove = chosen && FCatagories.Items.size() > 1;
  AppendMenuA(menu, MF_POPUP | (canMove ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(targets), "&Move to Catagory");
  AppendMenuA(menu, MF_STRING | onMacro, idOptionsRemoveMacro, "&Delete Macro\tDel");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendUndo(menu);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | (FCatagories.Items.empty() ? MF_GRAYED : 0), idOptionsExport, "E&xport...");
  AppendMenuA(menu, MF_STRING, idOptionsImport, "&Import...");
  return menu;
}

HMENU TfrmOptions::CatagoryMenu() const {
  UINT onCatagory = SelectedCatagory() >= 0 ? 0 : MF_GRAYED;
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, idOptionsAddCat, "&Add Catagory\tCtrl+Shift+N");
  AppendMenuA(menu, MF_STRING | onCatagory, idOptionsRenameCat, "&Rename Catagory...\tF2");
  AppendMenuA(menu, MF_STRING | onCatagory, idOptionsRemoveCat, "Re&move Catagory");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendUndo(menu);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | onCatagory, idOptionsExport, "E&xport...");
  AppendMenuA(menu, MF_STRING, idOptionsImport, "&Import...");
  return menu;
}

void TfrmOptions::ContextMenu(HWND control, LPARAM position) {
  HWND header = ListView_GetHeader(List());
  bool forCatagories = control == Combo() || control == Control(idOptionsCatagoryLabel) ||
                       control == Control(idOptionsCatToolbar);
  bool forMacros = control == List() || control == header || control == Search() ||
                   control == Control(idOptionsToolbar);
  if (!forCatagories && !forMacros) return;
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (at.x == -1 && at.y == -1) {
    // From the keyboard: below the chosen row, or below the control.
    RECT place{};
    int row = SelectedRow();
    if (control == List() && row >= 0 && ListView_GetItemRect(List(), row, &place, LVIR_LABEL)) {
      MapWindowPoints(List(), nullptr, reinterpret_cast<POINT*>(&place), 2);
    } else {
      GetWindowRect(control, &place);
    }
    at = {place.left, place.bottom};
  }
  HMENU menu = forCatagories ? CatagoryMenu() : MacroMenu();
  int command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0,
                               Handle(), nullptr);
  DestroyMenu(menu);
  if (command) Command(command, 0);
}

// Up and down in the search box walk the rows found, so that Enter opens
// the one wanted without leaving the box.
LRESULT CALLBACK TfrmOptions::SearchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
  if (message == WM_KEYDOWN &&
      (wParam == VK_DOWN || wParam == VK_UP || wParam == VK_NEXT || wParam == VK_PRIOR)) {
    SendMessageA(reinterpret_cast<TfrmOptions*>(self)->List(), WM_KEYDOWN, wParam, lParam);
    return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

namespace {

// The next enabled button from hot on in the direction step, or -1.
int NextEnabledButton(HWND bar, int hot, int step) {
  int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
  for (int tried = 0, at = hot; tried < count; ++tried) {
    at = (at + step + count) % count;
    TBBUTTON button{};
    if (SendMessageA(bar, TB_GETBUTTON, at, reinterpret_cast<LPARAM>(&button)) &&
        SendMessageA(bar, TB_ISBUTTONENABLED, button.idCommand, 0))
      return at;
  }
  return -1;
}

}  // namespace

// A toolbar with the focus shows one button as chosen (its hot button).
LRESULT CALLBACK TfrmOptions::ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_SETFOCUS:
      if (SendMessageA(window, TB_GETHOTITEM, 0, 0) < 0)
        SendMessageA(window, TB_SETHOTITEM, NextEnabledButton(window, -1, 1), 0);
      break;
    case WM_KILLFOCUS:
      SendMessageA(window, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
      break;
    case WM_KEYDOWN: {
      int hot = static_cast<int>(SendMessageA(window, TB_GETHOTITEM, 0, 0));
      if (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN) {
        int step = wParam == VK_LEFT || wParam == VK_UP ? -1 : 1;
        int next = NextEnabledButton(window, hot < 0 && step < 0 ? 0 : hot, step);
        if (next >= 0) SendMessageA(window, TB_SETHOTITEM, next, 0);
        return 0;
      }
      if (wParam == VK_SPACE) {
        TBBUTTON button{};
        if (hot >= 0 && SendMessageA(window, TB_GETBUTTON, hot, reinterpret_cast<LPARAM>(&button)) &&
            SendMessageA(window, TB_ISBUTTONENABLED, button.idCommand, 0))
          PostMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(button.idCommand, 0), 0);
        return 0;
      }
      break;
    }
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void ShowMacroEditor(TCatagories& catagories, const std::string& exeDir, const std::string& versionLong) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  TfrmOptions form(catagories, exeDir);
  form.ShowModalUnicode(nullptr, std::string(kMacroEditorCaption) + versionLong,
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX);
}
