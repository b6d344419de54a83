#include "wingui/DialogBase_win.h"

#include <exception>
#include <vector>

#include "wingui/ErrorPolicy_win.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

int ScaleForDpi(int pixels, unsigned dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

unsigned DpiOfWindow(HWND window) {
  // Windows 10 knows each monitor's DPI; older systems have one for all.
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    UINT dpi = getDpiForWindow(window);
    if (dpi) return dpi;
  }
  TScopedGetDC screen(nullptr);
  int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  return dpi > 0 ? static_cast<unsigned>(dpi) : 96;
}

namespace {

// DLGTEMPLATE, no menu, the default class, the caption; no controls. A
// Unicode dialog's caption is UTF-8, any other's ANSI.
std::vector<WORD> EmptyTemplate(const std::string& caption, DWORD style, bool unicode) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = style;
  header->dwExtendedStyle = 0;
  header->cdit = 0;
  words.push_back(0);  // menu
  words.push_back(0);  // window class
  const UINT codePage = unicode ? CP_UTF8 : CP_ACP;
  int length = MultiByteToWideChar(codePage, 0, caption.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, caption.c_str(), -1, wide.data(), length);
  for (wchar_t c : wide) words.push_back(static_cast<WORD>(c));
  return words;
}

}  // namespace

INT_PTR TDialogBase::ShowModal(HWND owner, const std::string& caption, DWORD style) {
  return Run(owner, caption, style, false);
}

INT_PTR TDialogBase::ShowModalUnicode(HWND owner, const std::string& caption, DWORD style) {
  return Run(owner, caption, style, true);
}

INT_PTR TDialogBase::Run(HWND owner, const std::string& caption, DWORD style, bool unicode) {
  std::vector<WORD> words = EmptyTemplate(caption, style, unicode);
  const auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
  LPARAM self = reinterpret_cast<LPARAM>(this);
  INT_PTR result =
      unicode ? DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog, owner, DialogProc, self)
              : DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog, owner, DialogProc, self);
  FFont.Reset();
  FHandle = nullptr;
  return result;
}

INT_PTR CALLBACK TDialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TDialogBase* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<TDialogBase*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->FHandle = window;
    self->FDpi = DpiOfWindow(window);
    self->MakeFont();
  } else {
    self = reinterpret_cast<TDialogBase*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  if (!self) return FALSE;
  // Nothing thrown may reach the system's dialog code: it is shown here and
  // the dialog carries on.
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    ReportException(ebDialog, window, std::current_exception());
  }
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

void TDialogBase::ShowProgramIcon() {
  FShowsProgramIcon = true;
  FIcons.Apply(FHandle, FDpi);
}

INT_PTR TDialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED) {
    FDpi = HIWORD(wParam);
    MakeFont();
    ApplyFontToControls();
    if (FShowsProgramIcon) FIcons.Apply(FHandle, FDpi);
    DpiChanged();
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(FHandle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
  }
  if (message == WM_GETMINMAXINFO && FMinWidth > 0) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = Scale(FMinWidth);
    info->ptMinTrackSize.y = Scale(FMinHeight);
    return TRUE;
  }
  return HandleMessage(message, wParam, lParam);
}

void TDialogBase::MakeFont() {
  LOGFONTA font{};
  font.lfHeight = -MulDiv(8, static_cast<int>(FDpi), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
  FFont.Reset(CreateFontIndirectA(&font));
}

HWND TDialogBase::AddControl(const char* className, const char* text, DWORD style, int id,
                             DWORD exStyle) {
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 FHandle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control && FFont) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
  return control;
}

HWND TDialogBase::AddControlW(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                              DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 FHandle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control && FFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
  return control;
}

void TDialogBase::Place(int id, int x, int y, int width, int height) {
  HWND control = GetDlgItem(FHandle, id);
  if (!control) return;
  MoveWindow(control, Scale(x), Scale(y), width > 0 ? Scale(width) : 0,
             height > 0 ? Scale(height) : 0, TRUE);
}

void TDialogBase::ApplyFontToControls() {
  for (HWND child = GetWindow(FHandle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), TRUE);
}

void TDialogBase::CenterOnMonitor(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return;
  RECT window;
  GetWindowRect(FHandle, &window);
  int width = window.right - window.left;
  int height = window.bottom - window.top;
  const RECT& area = info.rcWork;
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  // A window larger than the work area keeps its caption on screen.
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  SetWindowPos(FHandle, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialogBase::ShowError(const std::string& text) {
  ShowInputError(FHandle, text);
}

void TDialogBase::SetClientSize(int width, int height) {
  RECT outer{0, 0, Scale(width), Scale(height)};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_EXSTYLE)));
  SetWindowPos(FHandle, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialogBase::CenterOnPointerMonitor() {
  POINT cursor{};
  GetCursorPos(&cursor);
  CenterOnMonitor(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY));
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

std::wstring WindowTextW(HWND window) {
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, buffer.data(), length + 1);
  return std::wstring(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}
