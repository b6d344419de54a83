#include "resident/Picker_win.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <vector>

#include "resident/Messages.h"
#include "search/MacroRank.h"
#include "store/Settings.h"
#include "wingui/DialogBase_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "wingui/ForegroundWindow_win.h"

namespace {

// The designed window (client area), its margin and the edit box's height.
constexpr int kDesignWidth = 560;
constexpr int kDesignHeight = 300;
constexpr int kMargin = 4;
constexpr int kQueryHeight = 22;
// Category, kind and shortcut; the title takes what is left.
constexpr int kColumnWidths[] = {0, 130, 150, 100};
constexpr int kCaretGap = 2;
constexpr UINT WM_FORMSHOW = WM_APP + 1;
// The dialog's results besides IDOK and IDCANCEL (Escape).
constexpr INT_PTR kDeactivated = 100;

std::wstring WideOfAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// The typed text in the code page of the macros; false when it holds a
// character that code page lacks (then no macro can hold it either).
bool AnsiOfWide(const std::wstring& text, std::string& ansi) {
  ansi.clear();
  if (text.empty()) return true;
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  ansi.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), &ansi[0], length,
                      nullptr, &usedDefault);
  return !usedDefault;
}

// The recent list, read from zarvel.ini by the first picker of the program's
// life and kept here for the later ones.
std::mutex RecentLock;
bool RecentRead = false;
std::vector<TMacroKey> Recent;

std::vector<TMacroKey> RecentMacros(const std::string& exeDir) {
  std::lock_guard<std::mutex> lock(RecentLock);
  if (!RecentRead) {
    Recent = ReadRecentMacros(exeDir);
    RecentRead = true;
  }
  return Recent;
}

void RememberUse(const std::string& exeDir, const TMacroKey& key) {
  std::lock_guard<std::mutex> lock(RecentLock);
  Recent = WithRecentUse(Recent, key);
  WriteRecentMacros(exeDir, Recent);  // a failed write costs only the order
}

// What the picker needs of the program it opened over.
struct TTarget {
  HWND Window = nullptr;
  DWORD Thread = 0;
  HWND Focus = nullptr;
  bool HasCaret = false;
  RECT Caret{};  // on the screen
};

TTarget ReadTarget(HWND window) {
  TTarget target;
  target.Window = window;
  if (window == nullptr) return target;
  target.Thread = GetWindowThreadProcessId(window, nullptr);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (target.Thread == 0 || !GetGUIThreadInfo(target.Thread, &info)) return target;
  target.Focus = info.hwndFocus;
  if (info.hwndCaret != nullptr && info.rcCaret.bottom > info.rcCaret.top) {
    target.Caret = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&target.Caret), 2);
    target.HasCaret = true;
  }
  return target;
}

// The foreground and the focused control back to the program.
void GiveBack(const TTarget& target) {
  if (target.Window == nullptr || !IsWindow(target.Window)) return;
  ForceForegroundWindow(target.Window);
  if (target.Focus == nullptr || !IsWindow(target.Focus)) return;
  DWORD self = GetCurrentThreadId();
  if (target.Thread != 0 && target.Thread != self && AttachThreadInput(self, target.Thread, TRUE)) {
    SetFocus(target.Focus);
    AttachThreadInput(self, target.Thread, FALSE);
  }
}

class TfrmPicker : public TDialogBase {
 public:
  TfrmPicker(const TMacroIndex& index, std::vector<TMacroKey> recent, const TTarget& target)
      : FIndex(index), FRecent(std::move(recent)), FTarget(target) {}

  // The chosen entry's position in the index; -1 for none.
  int Chosen() const { return FChosen; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override { Layout(); }

 private:
  void FormCreate();
  void PlaceNearCaret();
  void Layout();
  void Filter();
  void Select(int row);
  int SelectedRow() const;
  void Choose(int row);
  void FillDisplayInfo(NMLVDISPINFOW& info) const;
  bool MoveSelection(WPARAM key);
  static LRESULT CALLBACK QueryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND Control(int id) const { return GetDlgItem(Handle(), id); }

  const TMacroIndex& FIndex;
  const std::vector<TMacroKey> FRecent;
  const TTarget FTarget;
  std::vector<int> FOrder;  // the rows: positions in the index
  int FChosen = -1;
  bool FClosing = false;
  bool FWasActive = false;
  WNDPROC FQueryProc = nullptr;
};

INT_PTR TfrmPicker::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the focus is in the edit box
    case WM_FORMSHOW:
      ForceForegroundWindow(Handle());
      SetFocus(Control(idPickerQuery));
      return TRUE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_ACTIVATE:
      // A click on another window closes the picker, doing nothing.
      if (LOWORD(wParam) != WA_INACTIVE) FWasActive = true;
      if (LOWORD(wParam) == WA_INACTIVE && FWasActive && !FClosing) {
        FClosing = true;
        EndDialog(Handle(), kDeactivated);
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: Choose(SelectedRow()); return TRUE;
        case IDCANCEL:
          FClosing = true;
          EndDialog(Handle(), IDCANCEL);
          return TRUE;
        case idPickerQuery:
          if (HIWORD(wParam) == EN_CHANGE) Filter();
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.idFrom != static_cast<UINT_PTR>(idPickerList)) return FALSE;
      if (header.code == LVN_GETDISPINFOW) FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      else if (header.code == NM_DBLCLK) Choose(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
      return TRUE;
    }
  }
  return FALSE;
}

void TfrmPicker::FormCreate() {
  HWND query = AddControlW(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, idPickerQuery, WS_EX_CLIENTEDGE);
  SendMessageW(query, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"Type part of a macro's title"));
  // The keys that move through the list go there; the focus stays here.
  SetWindowLongPtrW(query, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FQueryProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(query, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfrmPicker::QueryProc)));
  HWND list = AddControlW(WC_LISTVIEWW, L"",
                          LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                          idPickerList, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const wchar_t* captions[] = {L"Title", L"Catagory", L"Kind", L"Shortcut"};
  for (int column = pcTitle; column <= pcShortCut; ++column) {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = const_cast<wchar_t*>(captions[column]);
    info.cx = Scale(kColumnWidths[column]);
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  }
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
  PlaceNearCaret();
  Filter();
  SetFocus(query);
  PostMessageW(Handle(), WM_FORMSHOW, 0, 0);
}

void TfrmPicker::PlaceNearCaret() {
  // Below the caret's line, or above it where there is no room below; at
  // the mouse pointer when the program does not say where its caret is.
  RECT anchor;
  if (FTarget.HasCaret) {
    anchor = FTarget.Caret;
  } else {
    POINT pointer{};
    GetCursorPos(&pointer);
    anchor = RECT{pointer.x, pointer.y, pointer.x, pointer.y};
  }
  // Onto the anchor's monitor first, so that its DPI sizes the window.
  SetWindowPos(Handle(), HWND_TOPMOST, anchor.left, anchor.bottom, 1, 1, SWP_NOACTIVATE);
  SetClientSize(kDesignWidth, kDesignHeight);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  POINT corner{anchor.left, anchor.bottom};
  if (!GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& area = monitor.rcWork;
  RECT window;
  GetWindowRect(Handle(), &window);
  int width = std::min<int>(window.right - window.left, area.right - area.left);
  int height = std::min<int>(window.bottom - window.top, area.bottom - area.top);
  int left = std::max<int>(area.left, std::min<int>(anchor.left, area.right - width));
  int top = anchor.bottom + kCaretGap;
  if (top + height > area.bottom) top = anchor.top - kCaretGap - height;
  top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
  SetWindowPos(Handle(), HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE);
}

void TfrmPicker::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  int width = MulDiv(client.right, 96, static_cast<int>(Dpi()));
  int height = MulDiv(client.bottom, 96, static_cast<int>(Dpi()));
  int inner = std::max(0, width - 2 * kMargin);
  Place(idPickerQuery, kMargin, kMargin, inner, kQueryHeight);
  int listTop = kMargin + kQueryHeight + kMargin;
  Place(idPickerList, kMargin, listTop, inner, std::max(0, height - listTop - kMargin));
  HWND list = Control(idPickerList);
  RECT listClient;
  GetClientRect(list, &listClient);
  int others = 0;
  for (int column = pcCatagory; column <= pcShortCut; ++column)
    others += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  int title = std::max<int>(Scale(80), listClient.right - others - GetSystemMetrics(SM_CXVSCROLL));
  SendMessageW(list, LVM_SETCOLUMNWIDTH, pcTitle, MAKELPARAM(title, 0));
}

void TfrmPicker::Filter() {
  std::string query;
  if (AnsiOfWide(WindowTextW(Control(idPickerQuery)), query))
    FOrder = RankMacros(FIndex, query, FRecent);
  else
    FOrder.clear();
  HWND list = Control(idPickerList);
  SendMessageW(list, LVM_SETITEMCOUNT, FOrder.size(), 0);
  InvalidateRect(list, nullptr, FALSE);
  Select(FOrder.empty() ? -1 : 0);
}

void TfrmPicker::Select(int row) {
  HWND list = Control(idPickerList);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row < 0) return;
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, row, FALSE);
}

int TfrmPicker::SelectedRow() const {
  return static_cast<int>(SendMessageW(Control(idPickerList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TfrmPicker::Choose(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= FOrder.size()) return;
  FChosen = FOrder[static_cast<std::size_t>(row)];
  FClosing = true;
  EndDialog(Handle(), IDOK);
}

bool TfrmPicker::MoveSelection(WPARAM key) {
  const int count = static_cast<int>(FOrder.size());
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if ((key == VK_HOME || key == VK_END) && shift) return false;  // selects text in the box
  if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT && key != VK_HOME && key != VK_END)
    return false;
  if (count == 0) return true;
  const int page = std::max(1, static_cast<int>(SendMessageW(Control(idPickerList), LVM_GETCOUNTPERPAGE, 0, 0)) - 1);
  int row = SelectedRow();
  switch (key) {
    case VK_UP: row = row < 0 ? 0 : row - 1; break;
    case VK_DOWN: row = row + 1; break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row = row < 0 ? page : row + page; break;
    case VK_HOME: row = 0; break;
    case VK_END: row = count - 1; break;
  }
  Select(std::max(0, std::min(row, count - 1)));
  return true;
}

LRESULT CALLBACK TfrmPicker::QueryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TfrmPicker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_KEYDOWN && self->MoveSelection(wParam)) return 0;
  return CallWindowProcW(self->FQueryProc, window, message, wParam, lParam);
}

void TfrmPicker::FillDisplayInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= FOrder.size()) return;
  const TMacroEntry& entry = FIndex.Entries()[static_cast<std::size_t>(FOrder[static_cast<std::size_t>(item.iItem)])];
  const std::string* text = nullptr;
  switch (item.iSubItem) {
    case pcTitle: text = &entry.Title; break;
    case pcCatagory: text = &entry.CatagoryName; break;
    case pcKind: text = &entry.Kind; break;
    case pcShortCut: text = &entry.ShortCut; break;
    default: return;
  }
  std::wstring wide = WideOfAnsi(*text);
  lstrcpynW(item.pszText, wide.c_str(), item.cchTextMax);
}

class TPickerThread : public TOwnedThread {
 public:
  TPickerThread(const TDoneNotice& done, HWND appWindow, HWND target, std::shared_ptr<const TMacroIndex> index,
                std::string exeDir)
      : FDone(done), FAppWindow(appWindow), FTargetWindow(target), FIndex(std::move(index)),
        FExeDir(std::move(exeDir)) {}

  void Run() noexcept override {
    try {
      Execute();
    } catch (...) {
      ReportException(ebThread, nullptr, std::current_exception());
    }
    // Every path ends here: without it the picker could never open again.
    FDone.Post();
  }

 private:
  void Execute() {
    const TTarget target = ReadTarget(FTargetWindow);
    TfrmPicker form(*FIndex, RecentMacros(FExeDir), target);
    INT_PTR result = form.ShowModalUnicode(nullptr, kPickerCaption, WS_POPUP | WS_BORDER | DS_SETFOREGROUND);
    // Clicked away: the user went elsewhere on purpose, and keeps it.
    if (result == kDeactivated) return;
    GiveBack(target);
    if (result != IDOK || form.Chosen() < 0) return;
    // The run starts once the program is in front again, so that it takes
    // that program's selection.
    PostMessageW(FAppWindow, WM_PICKERRUN, static_cast<WPARAM>(form.Chosen()), 0);
    RememberUse(FExeDir, MacroKeyOf(FIndex->Entries()[static_cast<std::size_t>(form.Chosen())]));
  }

  TDoneNotice FDone;
  HWND FAppWindow;
  HWND FTargetWindow;
  std::shared_ptr<const TMacroIndex> FIndex;
  std::string FExeDir;
};

bool IsShellWindow(HWND window) {
  char name[64] = {0};
  GetClassNameA(window, name, sizeof name);
  for (const char* shell : {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow", "Progman",
                            "WorkerW", "#32768"})
    if (lstrcmpiA(name, shell) == 0) return true;
  return false;
}

}  // namespace

HWND PickerTargetWindow(bool fromTray) {
  if (!fromTray) return GetForegroundWindow();
  DWORD self = GetCurrentProcessId();
  for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == self || !IsWindowVisible(window) || IsIconic(window) || IsShellWindow(window)) continue;
    if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) continue;
    RECT rect;
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) continue;
    return window;
  }
  return nullptr;
}

bool StartPicker(const TDoneNotice& done, HWND appWindow, HWND target, std::shared_ptr<const TMacroIndex> index,
                 const std::string& exeDir) {
  if (!index) return false;
  return StartOwnedThread(std::unique_ptr<TOwnedThread>(new TPickerThread(done, appWindow, target, std::move(index), exeDir)));
}
