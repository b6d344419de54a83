#include "picture/PictureDialog_win.h"
#include "base/PathParts.h"
#include "base/WideText_win.h"

#include <cderr.h>
#include <commdlg.h>
#include <objbase.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "wingui/DialogBase_win.h"
#include "wingui/WinHandles_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "picture/PicturePanel_win.h"

namespace {

// Room for the picked path; longer names are refused by the dialog itself.
constexpr DWORD kNameCapacity = 4096;
// The shell view of the open dialog: the panel's top lines up with it.
constexpr int idShellViewFrame = 0x0460;

// The child dialog the panel lives in: an empty in-memory template that
// the open dialog lays beside its own controls.
std::vector<WORD> ChildTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = WS_CHILD | WS_CLIPSIBLINGS | DS_3DLOOK | DS_CONTROL;
  words.push_back(0);  // menu
  words.push_back(0);  // window class
  words.push_back(0);  // caption
  return words;
}

// "Description|pattern|..." with the bars as the dialog's zero separators.
std::wstring DialogFilter(const std::string& filter) {
  std::wstring result = WideFromUtf8(filter);
  for (wchar_t& c : result)
    if (c == L'|') c = L'\0';
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

struct TDialogState {
  std::string InitialPath;
  TPicturePanel Panel;
};

std::string SelectedPath(HWND dialog) {
  std::vector<wchar_t> buffer(MAX_PATH, L'\0');
  for (int tries = 0; tries < 2; ++tries) {
    LRESULT needed = SendMessageW(dialog, CDM_GETFILEPATH, buffer.size(),
                                  reinterpret_cast<LPARAM>(buffer.data()));
    if (needed < 0) return {};
    if (static_cast<size_t>(needed) <= buffer.size()) return Utf8FromWide(buffer.data());
    buffer.assign(static_cast<size_t>(needed) + 1, L'\0');
  }
  return {};
}

// Widens the open dialog by the panel and puts the child dialog, with the
// panel in it, on the right.
void MakeRoomForPanel(HWND child, TDialogState& state) {
  HWND dialog = GetParent(child);
  unsigned dpi = DpiOfWindow(dialog);
  int panelWidth = ScaleForDpi(kPicturePanelWidth, dpi);
  int panelHeight = ScaleForDpi(kPicturePanelHeight, dpi);

  RECT client;
  GetClientRect(dialog, &client);
  int top = 0;
  if (HWND view = GetDlgItem(dialog, idShellViewFrame)) {
    RECT frame;
    GetWindowRect(view, &frame);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    top = std::max<int>(frame.top - ScaleForDpi(6, dpi), 0);
  }
  int height = std::max<int>(client.bottom, top + panelHeight);
  SetWindowPos(child, nullptr, client.right, 0, panelWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);

  RECT outer;
  GetWindowRect(dialog, &outer);
  SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left + panelWidth,
               outer.bottom - outer.top + (height - client.bottom),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  state.Panel.Create(child, 0, top, dpi, font);
  state.Panel.ShowFile(state.InitialPath);
}

void Notify(HWND child, TDialogState& state, const OFNOTIFYW& note) {
  switch (note.hdr.code) {
    case CDN_INITDONE:
      MakeRoomForPanel(child, state);
      break;
    case CDN_SELCHANGE:
      state.Panel.ShowFile(SelectedPath(GetParent(child)));
      break;
  }
}

UINT_PTR HandleHookMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* options = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    SetWindowLongPtrA(child, GWLP_USERDATA, static_cast<LONG_PTR>(options->lCustData));
    return TRUE;
  }
  auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(child, GWLP_USERDATA));
  if (!state) return FALSE;
  switch (message) {
    case WM_NOTIFY:
      Notify(child, *state, *reinterpret_cast<const OFNOTIFYW*>(lParam));
      return FALSE;
    case WM_DRAWITEM:
      return state->Panel.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_COMMAND:
      return state->Panel.Command(wParam, GetParent(child)) ? TRUE : FALSE;
  }
  return FALSE;
}

UINT_PTR CALLBACK PictureDialogHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing thrown may reach the system's dialog code.
  try {
    return HandleHookMessage(child, message, wParam, lParam);
  } catch (...) {
    ReportException(ebDialog, GetParent(child), std::current_exception());
  }
  return FALSE;
}

}  // namespace

bool TOpenPictureDialog::Execute(HWND owner) {
  TComScope com;
  std::vector<wchar_t> name(kNameCapacity, L'\0');
  // A preset name too long for the dialog is dropped rather than cut.
  const std::wstring preset = WideFromUtf8(FileName);
  if (preset.size() < name.size()) preset.copy(name.data(), preset.size());
  std::wstring filter = DialogFilter(Filter);
  std::wstring folder = WideFromUtf8(FolderOfPath(FileName));
  std::vector<WORD> childTemplate = ChildTemplate();
  TDialogState state;
  state.InitialPath = Utf8FromWide(name.data());

  OPENFILENAMEW options{};
  options.lStructSize = sizeof options;
  options.hwndOwner = owner;
  options.hInstance = reinterpret_cast<HINSTANCE>(childTemplate.data());
  options.lpstrFilter = filter.c_str();
  options.nFilterIndex = static_cast<DWORD>(FilterIndex > 0 ? FilterIndex : 1);
  options.lpstrFile = name.data();
  options.nMaxFile = kNameCapacity;
  options.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  options.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE | OFN_FILEMUSTEXIST |
                  OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  options.lpfnHook = PictureDialogHook;
  options.lCustData = reinterpret_cast<LPARAM>(&state);
  bool picked = GetOpenFileNameW(&options) != FALSE;
  if (!picked && name[0] != L'\0' && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
    // The system refuses to open at all with a preset name it cannot
    // parse; the user still gets the dialog, empty.
    std::fill(name.begin(), name.end(), L'\0');
    state.InitialPath.clear();
    options.lpstrInitialDir = nullptr;
    picked = GetOpenFileNameW(&options) != FALSE;
  }
  if (!picked) return false;
  FileName = Utf8FromWide(name.data());
  FilterIndex = static_cast<int>(options.nFilterIndex);
  return true;
}
