#include "resident/Picker_win.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <vector>

#include "base/WideText_win.h"
#include "resident/Messages.h"
#include "search/MacroRank.h"
#include "store/Settings.h"
#include "wingui/DialogBase_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "wingui/ForegroundWindow_win.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// What the main thread hands the picker's thread with each opening.
struct TPickerRequest {
  TDoneNotice Done;
  HWND Target = nullptr;
  std::shared_ptr<const TMacroIndex> Index;
};

struct TPickerShared {
  std::atomic<HWND> Window{nullptr};
  std::mutex Lock;
  bool Pending = false;
  TPickerRequest Request;
  // An index to make the hidden list ready with before any opening.
  std::shared_ptr<const TMacroIndex> Prepared;
};

namespace {

constexpr const wchar_t* kPickerClass = L"ZarvelPicker";
// Posted to the window: an opening waits in TPickerShared.
constexpr UINT WM_PICKEROPEN = WM_APP + 1;
// Posted to the window: an index to prepare the list with waits there.
constexpr UINT WM_PICKERPREPARE = WM_APP + 2;

// The designed window (client area), its margin and the edit box's height.
constexpr int kDesignWidth = 560;
constexpr int kDesignHeight = 300;
constexpr int kMargin = 4;
constexpr int kQueryHeight = 22;
// Category, kind and shortcut; the title takes what is left.
constexpr int kColumnWidths[] = {0, 130, 150, 100};
constexpr int kCaretGap = 2;

enum TCloseReason { crChosen, crEscape, crDeactivated };

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

// The window and what it shows; lives on the picker's thread only.
class TPickerWindow {
 public:
  TPickerWindow(std::shared_ptr<TPickerShared> shared, HWND appWindow, std::string exeDir)
      : FShared(std::move(shared)), FAppWindow(appWindow), FExeDir(std::move(exeDir)) {}
  ~TPickerWindow() {
    if (FFont) DeleteObject(FFont);
  }

  // Makes the hidden window; false when the system refuses.
  bool Create();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OpenPending();
  void Close(TCloseReason reason);
  void ApplyDpi(unsigned dpi);
  int Scale(int pixels) const { return ScaleForDpi(pixels, FDpi); }
  void PlaceNearCaret();
  void Layout();
  void Filter();
  void ClearQuery();
  void ReadRecentOnce();
  void Select(int row);
  int SelectedRow() const;
  void Choose(int row);
  void FillDisplayInfo(NMLVDISPINFOW& info) const;
  LRESULT PaintRow(NMLVCUSTOMDRAW& draw) const;
  bool QueryKey(WPARAM key);
  static LRESULT CALLBACK QueryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::shared_ptr<TPickerShared> FShared;
  HWND FAppWindow;
  std::string FExeDir;
  HWND FWindow = nullptr;
  HWND FQuery = nullptr;
  HWND FList = nullptr;
  WNDPROC FQueryProc = nullptr;
  HFONT FFont = nullptr;
  unsigned FDpi = 96;
  bool FRecentRead = false;
  bool FClearing = false;
  std::vector<TMacroKey> FRecent;

  // The opening being shown; Index is null while hidden.
  TDoneNotice FDone;
  std::shared_ptr<const TMacroIndex> FIndex;
  TTarget FTarget;
  // The rows (positions in FListIndex) and the selected one. After each
  // closing the list is made ready for the next opening with an empty box,
  // so that an opening over an unchanged store only shows it.
  std::shared_ptr<const TMacroIndex> FListIndex;
  bool FListReady = false;
  std::vector<int> FOrder;
  int FSelected = -1;
};

bool TPickerWindow::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kPickerClass;
  RegisterClassExW(&windowClass);  // already there from an earlier window: fine
  std::wstring caption = WideFromUtf8(kPickerCaption);
  FWindow = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPickerClass, caption.c_str(), WS_POPUP | WS_BORDER,
                            0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (FWindow == nullptr) return false;
  FQuery = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                           0, 0, FWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idPickerQuery)), instance,
                           nullptr);
  FList = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                              LVS_NOSORTHEADER,
                          0, 0, 0, 0, FWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idPickerList)), instance,
                          nullptr);
  if (FQuery == nullptr || FList == nullptr) return false;
  SendMessageW(FQuery, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"Type part of a macro's title"));
  // The keys that move through the list go there; the focus stays here.
  SetWindowLongPtrW(FQuery, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FQueryProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(FQuery, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TPickerWindow::QueryProc)));
  ListView_SetExtendedListViewStyle(FList, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const wchar_t* captions[] = {L"Title", L"Catagory", L"Kind", L"Shortcut"};
  for (int column = pcTitle; column <= pcShortCut; ++column) {
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = const_cast<wchar_t*>(captions[column]);
    SendMessageW(FList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  }
  ApplyDpi(DpiOfWindow(FWindow));
  return true;
}

LRESULT CALLBACK TPickerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TPickerWindow* self;
  if (message == WM_NCCREATE) {
    self = static_cast<TPickerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<TPickerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr || self->FWindow == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // Nothing thrown may reach the system: shown, and the picker closes.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    ReportException(ebDialog, nullptr, std::current_exception());
    if (self->FIndex) self->Close(crDeactivated);
  }
  return 0;
}

LRESULT TPickerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PICKEROPEN: OpenPending(); return 0;
    case WM_PICKERPREPARE: {
      std::shared_ptr<const TMacroIndex> index;
      {
        std::lock_guard<std::mutex> lock(FShared->Lock);
        index = std::move(FShared->Prepared);
      }
      if (!index || FIndex) return 0;
      ReadRecentOnce();
      ClearQuery();
      FListIndex = std::move(index);
      Filter();
      FListReady = true;
      return 0;
    }
    case WM_ACTIVATE:
      // A click on another window closes the picker, doing nothing.
      if (LOWORD(wParam) == WA_INACTIVE && FIndex) Close(crDeactivated);
      else if (LOWORD(wParam) != WA_INACTIVE) SetFocus(FQuery);
      return 0;
    case WM_SIZE: Layout(); return 0;
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(FWindow, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == idPickerQuery && HIWORD(wParam) == EN_CHANGE && FIndex && !FClearing) Filter();
      return 0;
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.idFrom != static_cast<UINT_PTR>(idPickerList)) return 0;
      if (header.code == LVN_GETDISPINFOW) {
        FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      } else if (header.code == LVN_ITEMCHANGED) {
        // A click on a row selects it: Enter then runs that one.
        const NMLISTVIEW& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED)) FSelected = change.iItem;
      } else if (header.code == NM_CUSTOMDRAW) {
        return PaintRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
      } else if (header.code == NM_CLICK) {
        SetFocus(FQuery);  // typing goes on in the box
      } else if (header.code == NM_DBLCLK) {
        Choose(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
      }
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(FWindow);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(FWindow, message, wParam, lParam);
}

void TPickerWindow::OpenPending() {
  TPickerRequest request;
  {
    std::lock_guard<std::mutex> lock(FShared->Lock);
    if (!FShared->Pending) return;
    FShared->Pending = false;
    request = std::move(FShared->Request);
  }
  if (FIndex) Close(crDeactivated);  // never two openings at once; the core prevents it
  FDone = request.Done;
  FIndex = std::move(request.Index);
  FTarget = ReadTarget(request.Target);
  ReadRecentOnce();
  if (!FListReady || FListIndex != FIndex) {
    ClearQuery();
    FListIndex = FIndex;
    Filter();
  }
  FListReady = false;
  PlaceNearCaret();  // and shows it
  ForceForegroundWindow(FWindow);
  SetFocus(FQuery);
}

void TPickerWindow::Close(TCloseReason reason) {
  if (!FIndex) return;
  int chosen = -1;
  if (reason == crChosen) {
    int row = SelectedRow();
    if (row >= 0 && static_cast<std::size_t>(row) < FOrder.size()) chosen = FOrder[static_cast<std::size_t>(row)];
  }
  std::shared_ptr<const TMacroIndex> index = std::move(FIndex);
  FIndex.reset();
  ShowWindow(FWindow, SW_HIDE);
  // Clicked away: the user went elsewhere on purpose, and keeps it.
  if (reason != crDeactivated) GiveBack(FTarget);
  if (chosen >= 0) {
    // The run starts once the program is in front again, so that it takes
    // that program's selection.
    PostMessageW(FAppWindow, WM_PICKERRUN, static_cast<WPARAM>(chosen), 0);
    FRecent = WithRecentUse(FRecent, MacroKeyOf(index->Entries()[static_cast<std::size_t>(chosen)]));
    WriteRecentMacros(FExeDir, FRecent);  // a failed write costs only the order
  }
  FDone.Post();
  // Ready for the next opening, off its way.
  ClearQuery();
  FListIndex = index;
  Filter();
  FListReady = true;
}

void TPickerWindow::ReadRecentOnce() {
  if (FRecentRead) return;
  FRecent = ReadRecentMacros(FExeDir);
  FRecentRead = true;
}

void TPickerWindow::ClearQuery() {
  FClearing = true;  // one filling, not one more for the emptied box
  SetWindowTextW(FQuery, L"");
  FClearing = false;
}

void TPickerWindow::ApplyDpi(unsigned dpi) {
  FDpi = dpi;
  // The system's message font: it has the characters of the user's language.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) font = metrics.lfMessageFont;
  else lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
  font.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr) return;
  if (FFont) DeleteObject(FFont);
  FFont = made;
  SendMessageW(FQuery, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
  SendMessageW(FList, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
  for (int column = pcCatagory; column <= pcShortCut; ++column)
    SendMessageW(FList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(Scale(kColumnWidths[column]), 0));
  Layout();
}

void TPickerWindow::PlaceNearCaret() {
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
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  POINT corner{anchor.left, anchor.bottom};
  HMONITOR where = MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST);
  if (!GetMonitorInfoW(where, &monitor)) {
    ShowWindow(FWindow, SW_SHOW);
    return;
  }
  // Onto that monitor first, so that its DPI sizes the window.
  if (MonitorFromWindow(FWindow, MONITOR_DEFAULTTONEAREST) != where)
    SetWindowPos(FWindow, HWND_TOPMOST, monitor.rcWork.left, monitor.rcWork.top, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE);
  unsigned dpi = DpiOfWindow(FWindow);
  if (dpi != FDpi) ApplyDpi(dpi);
  RECT outer{0, 0, Scale(kDesignWidth), Scale(kDesignHeight)};
  AdjustWindowRectEx(&outer, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  const RECT& area = monitor.rcWork;
  int width = std::min<int>(outer.right - outer.left, area.right - area.left);
  int height = std::min<int>(outer.bottom - outer.top, area.bottom - area.top);
  int left = std::max<int>(area.left, std::min<int>(anchor.left, area.right - width));
  int top = anchor.bottom + kCaretGap;
  if (top + height > area.bottom) top = anchor.top - kCaretGap - height;
  top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
  SetWindowPos(FWindow, HWND_TOPMOST, left, top, width, height, SWP_SHOWWINDOW);
}

void TPickerWindow::Layout() {
  RECT client;
  GetClientRect(FWindow, &client);
  const int margin = Scale(kMargin);
  const int inner = std::max<int>(0, client.right - 2 * margin);
  const int queryHeight = Scale(kQueryHeight);
  MoveWindow(FQuery, margin, margin, inner, queryHeight, TRUE);
  const int listTop = 2 * margin + queryHeight;
  MoveWindow(FList, margin, listTop, inner, std::max<int>(0, client.bottom - listTop - margin), TRUE);
  RECT listClient;
  GetClientRect(FList, &listClient);
  int others = 0;
  for (int column = pcCatagory; column <= pcShortCut; ++column)
    others += static_cast<int>(SendMessageW(FList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  int title = std::max<int>(Scale(80), listClient.right - others - GetSystemMetrics(SM_CXVSCROLL));
  SendMessageW(FList, LVM_SETCOLUMNWIDTH, pcTitle, MAKELPARAM(title, 0));
}

void TPickerWindow::Filter() {
  // The index holds every text as UTF-8, whatever the folder holds.
  FOrder = RankMacros(*FListIndex, Utf8FromWide(WindowTextW(FQuery)), FRecent);
  if (FSelected >= static_cast<int>(FOrder.size())) FSelected = -1;  // gone with its row
  SendMessageW(FList, LVM_SETITEMCOUNT, FOrder.size(), LVSICF_NOSCROLL);
  InvalidateRect(FList, nullptr, FALSE);
  Select(FOrder.empty() ? -1 : 0);
}

void TPickerWindow::Select(int row) {
  // Only the row that has it: clearing every row costs a call per row.
  const int old = FSelected;
  FSelected = row;
  if (old >= 0) {
    ListView_SetItemState(FList, old, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_RedrawItems(FList, old, old);
  }
  if (row < 0) return;
  ListView_SetItemState(FList, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(FList, row, FALSE);
}

int TPickerWindow::SelectedRow() const {
  return FSelected >= 0 && static_cast<std::size_t>(FSelected) < FOrder.size() ? FSelected : -1;
}

void TPickerWindow::Choose(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= FOrder.size()) return;
  Select(row);
  Close(crChosen);
}

// Up, Down, Page Up, Page Down, Home and End move through the list, Enter
// runs, Escape closes; Shift+Home and Shift+End still select in the box.
bool TPickerWindow::QueryKey(WPARAM key) {
  if (!FIndex) return false;
  if (key == VK_RETURN) {
    Choose(SelectedRow());
    return true;
  }
  if (key == VK_ESCAPE) {
    Close(crEscape);
    return true;
  }
  if ((key == VK_HOME || key == VK_END) && GetKeyState(VK_SHIFT) < 0) return false;
  if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT && key != VK_HOME && key != VK_END)
    return false;
  const int count = static_cast<int>(FOrder.size());
  if (count == 0) return true;
  const int page = std::max(1, static_cast<int>(SendMessageW(FList, LVM_GETCOUNTPERPAGE, 0, 0)) - 1);
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

LRESULT CALLBACK TPickerWindow::QueryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TPickerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    if (message == WM_KEYDOWN && self->QueryKey(wParam)) return 0;
  } catch (...) {
    ReportException(ebDialog, nullptr, std::current_exception());
    if (self->FIndex) self->Close(crDeactivated);
    return 0;
  }
  // Enter and Escape type nothing (a single-line box would beep).
  if (message == WM_CHAR && (wParam == L'\r' || wParam == 0x1B || wParam == L'\n')) return 0;
  return CallWindowProcW(self->FQueryProc, window, message, wParam, lParam);
}

// The chosen row in the selection's colours although the focus is in the
// edit box (the list would grey it).
LRESULT TPickerWindow::PaintRow(NMLVCUSTOMDRAW& draw) const {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  if (static_cast<int>(draw.nmcd.dwItemSpec) != FSelected) return CDRF_DODEFAULT;
  draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
  draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
  return CDRF_NEWFONT;
}

void TPickerWindow::FillDisplayInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  if (!FListIndex || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= FOrder.size()) return;
  const TMacroEntry& entry = FListIndex->Entries()[static_cast<std::size_t>(FOrder[static_cast<std::size_t>(item.iItem)])];
  const std::string* text = nullptr;
  switch (item.iSubItem) {
    case pcTitle: text = &entry.Title; break;
    case pcCatagory: text = &entry.CatagoryName; break;
    case pcKind: text = &entry.Kind; break;
    case pcShortCut: text = &entry.ShortCut; break;
    default: return;
  }
  std::wstring wide = WideFromUtf8(*text);
  lstrcpynW(item.pszText, wide.c_str(), item.cchTextMax);
}

class TPickerThread : public TOwnedThread {
 public:
  TPickerThread(std::shared_ptr<TPickerShared> shared, HWND appWindow, std::string exeDir)
      : FShared(std::move(shared)), FAppWindow(appWindow), FExeDir(std::move(exeDir)) {}

  void Run() noexcept override {
    try {
      TPickerWindow window(FShared, FAppWindow, FExeDir);
      if (!window.Create()) return;
      HWND made = FindOwnWindow();
      FShared->Window = made;
      PostMessageW(made, WM_PICKERPREPARE, 0, 0);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    } catch (...) {
      ReportException(ebThread, nullptr, std::current_exception());
    }
    FShared->Window = nullptr;
  }

 private:
  static BOOL CALLBACK FindPicker(HWND window, LPARAM found) {
    wchar_t name[32] = {0};
    GetClassNameW(window, name, 32);
    if (lstrcmpW(name, kPickerClass) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static HWND FindOwnWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindPicker, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  std::shared_ptr<TPickerShared> FShared;
  HWND FAppWindow;
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

TPickerHost::TPickerHost(HWND appWindow, const std::string& exeDir) : FShared(std::make_shared<TPickerShared>()) {
  // Without its thread the picker never opens; everything else works.
  StartOwnedThread(std::unique_ptr<TOwnedThread>(new TPickerThread(FShared, appWindow, exeDir)));
}

TPickerHost::~TPickerHost() {
  if (HWND window = FShared->Window) PostMessageW(window, WM_CLOSE, 0, 0);
}

void TPickerHost::Prepare(std::shared_ptr<const TMacroIndex> index) {
  if (!index) return;
  {
    std::lock_guard<std::mutex> lock(FShared->Lock);
    FShared->Prepared = std::move(index);
  }
  // A window still in the making takes it up once it is there.
  if (HWND window = FShared->Window) PostMessageW(window, WM_PICKERPREPARE, 0, 0);
}

bool TPickerHost::Open(const TDoneNotice& done, HWND target, std::shared_ptr<const TMacroIndex> index) {
  HWND window = FShared->Window;
  if (window == nullptr || !index) return false;
  {
    std::lock_guard<std::mutex> lock(FShared->Lock);
    FShared->Request = TPickerRequest{done, target, std::move(index)};
    FShared->Pending = true;
  }
  return PostMessageW(window, WM_PICKEROPEN, 0, 0) != 0;
}
