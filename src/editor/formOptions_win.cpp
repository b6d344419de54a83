#include "editor/formOptions_win.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <vector>

#include "editor/OptionsPictures_win.h"
#include "editor/WindowBounds.h"
#include "editor/formEditMacro_win.h"
#include "store/Settings.h"
#include "store/ShortCut.h"
#include "wingui/DialogBase_win.h"
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

const char* const kColumnCaptions[] = {"Title", "Type", "Shortcut"};
constexpr int kColumnCount = 3;

class TfrmOptions : public TDialogBase {
 public:
  TfrmOptions(TCatagories& catagories, const std::string& exeDir) : FCatagories(catagories), FExeDir(exeDir) {}

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
  void cmbCatagoryChange();
  void UpdateControls();
  void lvMacrosColumnClick(int column);
  static int CALLBACK lvMacrosCompare(LPARAM item1, LPARAM item2, LPARAM self);
  std::string SortText(int macro) const;
  void SetSortMark(int column);
  void SortList();

  void tbAddCatClick();
  void tbRemoveCatClick();
  void tbAddMacroClick();
  void EditMacro();
  void tbRemoveMacroClick();

  // The store's index of the chosen category; -1 for none.
  int SelectedCatagory() const;
  int SelectedRow() const;
  int MacroOfRow(int row) const;
  int AddRow(int macro);
  void ShowRow(int row, int macro);
  void SelectRow(int row);
  bool Ask(const std::string& caption, const std::string& question, UINT defaultButton = MB_DEFBUTTON1);
  // Runs one store operation; a failure is shown and gives false, and the
  // caller then leaves its lists as they are.
  bool StoreStep(const std::function<void()>& step);

  HWND Control(int id) const { return GetDlgItem(Handle(), id); }
  HWND List() const { return Control(idOptionsMacros); }
  HWND Combo() const { return Control(idOptionsCatagory); }

  TCatagories& FCatagories;
  std::string FExeDir;
  TImageList FToolbarNormal;
  TImageList FToolbarHot;
  TImageList FListPictures;
  int FSortColumn = 0;
  bool FSortAscending = true;
  int FColumnImage[kColumnCount] = {-1, -1, -1};
};

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
  }
  return FALSE;
}

void TfrmOptions::Command(int id, int code) {
  switch (id) {
    case idOptionsClose: FormClose(); return;
    case IDOK:
      // Enter: the dialog's default command; in the list it opens the macro.
      if (GetFocus() == List()) EditMacro();
      return;
    case idOptionsCatagory:
      if (code == CBN_SELCHANGE) cmbCatagoryChange();
      return;
    case idOptionsAddCat: tbAddCatClick(); return;
    case idOptionsRemoveCat: tbRemoveCatClick(); return;
    case idOptionsAddMacro: tbAddMacroClick(); return;
    case idOptionsEditMacro: EditMacro(); return;
    case idOptionsRemoveMacro: tbRemoveMacroClick(); return;
  }
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
  FillCatagories();
  UpdateControls();
  // Sorted by title, ascending, with the mark on "Title".
  lvMacrosColumnClick(ocTitle);
  if (ListView_GetItemCount(List()) > 0) SelectRow(0);
  SetFocus(List());
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
  AddControl("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, idOptionsCatagory);
  HWND list = AddControl(WC_LISTVIEWA, "",
                         LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_GROUP,
                         idOptionsMacros, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  ListView_SetImageList(list, FListPictures.Get(), LVSIL_SMALL);
  for (int column = 0; column < kColumnCount; ++column) {
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.pszText = const_cast<char*>(kColumnCaptions[column]);
    info.cx = column == ocTitle ? Scale(kTitleColumnWidth) : Scale(80);
    info.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
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
  HWND bar = AddControl(TOOLBARCLASSNAMEA, "",
                        TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | CCS_TOP, id);
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
  int listTop = Scale(36);
  MoveWindow(List(), margin, listTop, atLeast0(width - 2 * margin), atLeast0(barTop - Scale(4) - listTop), TRUE);

  // "Type" and "Shortcut" share what "Title" leaves of the list's width.
  RECT listClient;
  GetClientRect(List(), &listClient);
  int rest = listClient.right - ListView_GetColumnWidth(List(), ocTitle);
  int each = std::max(rest / 2, Scale(60));
  ListView_SetColumnWidth(List(), ocType, each);
  ListView_SetColumnWidth(List(), ocShortCut, std::max(rest - each, Scale(60)));
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
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const TCatagory& catagory : FCatagories.Items)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(catagory.Name.c_str()));
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
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNoCatagories));
  if (SendMessageA(combo, CB_GETCURSEL, 0, 0) < 0) {
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    cmbCatagoryChange();
  }
  bool hasCatagory = !FCatagories.Items.empty();
  bool hasSelection = SelectedRow() >= 0;
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

int TfrmOptions::AddRow(int macro) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = ListView_GetItemCount(List());
  std::string title = GetTitle(FCatagories.Items[SelectedCatagory()].Macros[macro]);
  item.pszText = const_cast<char*>(title.c_str());
  item.iImage = lpMacro;
  item.lParam = macro;
  int row = static_cast<int>(SendMessageA(List(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row >= 0) ShowRow(row, macro);
  return row;
}

void TfrmOptions::ShowRow(int row, int macro) {
  const TMacro& record = FCatagories.Items[SelectedCatagory()].Macros[macro];
  std::string texts[kColumnCount] = {GetTitle(record), MacroTypeName(record.MacroType),
                                     ShortCutText(record.ShortCut)};
  for (int column = 0; column < kColumnCount; ++column) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(texts[column].c_str());
    SendMessageA(List(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  }
}

int TfrmOptions::SelectedRow() const { return ListView_GetNextItem(List(), -1, LVNI_SELECTED); }

int TfrmOptions::MacroOfRow(int row) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<int>(item.lParam);
}

void TfrmOptions::SelectRow(int row) {
  UINT state = LVIS_SELECTED | LVIS_FOCUSED;
  ListView_SetItemState(List(), row, state, state);
  ListView_EnsureVisible(List(), row, FALSE);
}

void TfrmOptions::lvMacrosColumnClick(int column) {
  if (column < 0 || column >= kColumnCount) return;
  FSortColumn = column;
  for (int other = 0; other < kColumnCount; ++other)
    if (other == column)
      FColumnImage[other] = FColumnImage[other] == lpSortAscending ? lpSortDescending : lpSortAscending;
    else
      FColumnImage[other] = -1;
  for (int other = 0; other < kColumnCount; ++other) SetSortMark(other);
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

std::string TfrmOptions::SortText(int macro) const {
  const TMacro& record = FCatagories.Items[SelectedCatagory()].Macros[macro];
  switch (FSortColumn) {
    case ocType: return MacroTypeName(record.MacroType);
    case ocShortCut: return ShortCutText(record.ShortCut);
    default: return GetTitle(record);
  }
}

int CALLBACK TfrmOptions::lvMacrosCompare(LPARAM item1, LPARAM item2, LPARAM self) {
  auto* form = reinterpret_cast<TfrmOptions*>(self);
  // The rows show their records as they are in the store, so the store's
  // texts are the rows' texts.
  std::string text1 = form->SortText(static_cast<int>(item1));
  std::string text2 = form->SortText(static_cast<int>(item2));
  int order = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text1.c_str(), -1, text2.c_str(), -1) - CSTR_EQUAL;
  if (!form->FSortAscending) order = -order;
  // Equal texts keep the file's order, so the list does not shuffle them.
  if (order == 0) order = item1 < item2 ? -1 : (item1 > item2 ? 1 : 0);
  return order;
}

void TfrmOptions::SortList() {
  if (SelectedCatagory() < 0) return;
  ListView_SortItems(List(), lvMacrosCompare, reinterpret_cast<LPARAM>(this));
}

bool TfrmOptions::Ask(const std::string& caption, const std::string& question, UINT defaultButton) {
  return MessageBoxA(Handle(), question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | defaultButton) == IDYES;
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
  std::string name;
  if (!InputQuery(Handle(), "Add Catagory", "Enter the new catagory's name:", name) || name.empty()) {
    UpdateControls();
    return;
  }
  int added = -1;
  if (!StoreStep([&] { added = FCatagories.AddCatagory(name); }) || added < 0) {
    UpdateControls();
    return;
  }
  HWND combo = Combo();
  if (FCatagories.Items.size() == 1) SendMessageA(combo, CB_RESETCONTENT, 0, 0);  // the placeholder goes
  int entry = static_cast<int>(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str())));
  SendMessageA(combo, CB_SETCURSEL, entry, 0);
  cmbCatagoryChange();
  UpdateControls();
}

void TfrmOptions::tbRemoveCatClick() {
  int catagory = SelectedCatagory();
  if (catagory < 0) return;
  const std::string name = FCatagories.Items[catagory].Name;
  std::string question = "Are you sure you want to remove the catagory '" + name + "'?\n\n";
  if (RecycleBinTakes(FCatagories.CatagoryFileName(name)))
    question += "Its file goes to the Recycle Bin.";
  else
    question += "Its folder has no Recycle Bin: the file will be deleted permanently.";
  // No is the default, so that a stray Enter keeps the category.
  if (Ask("Delete Catagory", question, MB_DEFBUTTON2) &&
      StoreStep([&] { FCatagories.RemoveCatagory(catagory, RecycleFileOrFail); })) {
    // The last category has moved into the freed place: the store's order anew.
    FillCatagories();
  }
  UpdateControls();
}

void TfrmOptions::tbAddMacroClick() {
  int catagory = SelectedCatagory();
  if (catagory < 0) return;
  TMacro macro{};
  SetTitle(macro, "untitled");
  if (ExecuteMacroDialog(Handle(), macro, FCatagories, -1, -1) != IDOK) return;
  int added = -1;
  if (!StoreStep([&] { added = FCatagories.AddMacro(catagory, macro); })) return;
  // At the end of the list, however it is sorted, until the next reload.
  int row = AddRow(added);
  if (row >= 0) SelectRow(row);
  SetFocus(List());
  UpdateControls();
}

void TfrmOptions::EditMacro() {
  int row = SelectedRow();
  int catagory = SelectedCatagory();
  if (row < 0 || catagory < 0) return;
  int index = MacroOfRow(row);
  TMacro& stored = FCatagories.Items[catagory].Macros[index];
  // The dialog works on a copy: memory takes the new values only together
  // with the file, so a failed write leaves both as they were.
  TMacro edited = stored;
  if (ExecuteMacroDialog(Handle(), edited, FCatagories, catagory, index) == IDOK &&
      StoreStep([&] { FCatagories.UpdateMacro(catagory, index, edited); })) {
    ShowRow(row, index);
  }
  UpdateControls();
}

void TfrmOptions::tbRemoveMacroClick() {
  int row = SelectedRow();
  int catagory = SelectedCatagory();
  if (row < 0 || catagory < 0) return;
  char title[64] = {};
  ListView_GetItemText(List(), row, ocTitle, title, sizeof title);
  int index = MacroOfRow(row);
  if (Ask("Delete Macro", std::string("Are you sure you want to remove the macro '") + title + "'?") &&
      StoreStep([&] { FCatagories.RemoveMacro(catagory, index); })) {
    // The last macro has moved into the freed index: every row anew.
    cmbCatagoryChange();
  }
  UpdateControls();
}

}  // namespace

void ShowMacroEditor(TCatagories& catagories, const std::string& exeDir, const std::string& versionLong) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  TfrmOptions form(catagories, exeDir);
  form.ShowModal(nullptr, std::string(kMacroEditorCaption) + versionLong,
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX);
}
