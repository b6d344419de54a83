#include "DriverWindow.h"

#include <vector>

#include "E2eSupport.h"

namespace {

constexpr const char* kDriverClass = "ZarvelE2EDriver";
// The marker that closes ChordReachesEdit: F12 alone is no macro shortcut in
// the fixture and means nothing to an edit control.
constexpr WORD kMarkerKey = VK_F12;

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

INPUT AltGrInput(WORD key, WORD scan, DWORD flags, DWORD time) {
  INPUT input = KeyInput(key, (flags & KEYEVENTF_KEYUP) != 0);
  input.ki.wScan = scan;
  input.ki.dwFlags = flags;
  input.ki.time = time;
  return input;
}

}  // namespace

LRESULT CALLBACK TDriverWindow::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TDriverWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && GetMenu(window)) {
    ++self->FMenuActivations;
    return 0;  // counted, not entered: the menu's loop would hold the driver
  }
  // As a program's main window does, the frame passes the focus on to its
  // text control when it becomes active again.
  if (self && message == WM_SETFOCUS && self->FEdit) {
    SetFocus(self->FEdit);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TDriverWindow::TDriverWindow(bool keysOnly, bool withMenu) : FKeysOnly(keysOnly) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = FrameProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kDriverClass;
  RegisterClassA(&windowClass);
  HMENU menu = nullptr;
  if (withMenu) {
    menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1, "&Close");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  }
  FWindow = CreateWindowExA(0, kDriverClass, "Zarvel end-to-end driver", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            700, 40, 420, 160, nullptr, menu, instance, nullptr);
  Check(FWindow != nullptr, "the driver could not create its window");
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // A Unicode control, as most programs' are: what a run pastes into it
  // must keep every character.
  FEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL,
                          8, 8, 390, 100, FWindow, nullptr, instance, nullptr);
  Check(FEdit != nullptr, "the driver could not create its edit control");
  SetWindowLongPtrW(FEdit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(FEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDriverWindow::EditProc)));
  Pump(std::chrono::milliseconds(50));
}

TDriverWindow::~TDriverWindow() {
  if (FWindow) DestroyWindow(FWindow);
}

LRESULT CALLBACK TDriverWindow::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TDriverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) ++self->FKeyDowns[static_cast<unsigned>(wParam)];
  if (message == WM_COPY) ++self->FCopies;
  if (message == WM_PASTE) ++self->FPastes;
  if (self->FKeysOnly) {
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (message == WM_COPY || message == WM_PASTE) return 0;  // not answered
    if (message == WM_CHAR && (wParam == 3 || wParam == 22)) return 0;
    if (message == WM_KEYDOWN && ctrl && (wParam == 'C' || wParam == 'V')) {
      // The control's own copy and paste, as the messages would do them.
      CallWindowProcW(self->FEditProc, window, wParam == 'C' ? WM_COPY : WM_PASTE, 0, 0);
      return 0;
    }
  }
  return CallWindowProcW(self->FEditProc, window, message, wParam, lParam);
}

void TDriverWindow::Activate() {
  ShowWindow(FWindow, SW_SHOW);
  SetForegroundWindow(FWindow);
  SetFocus(FEdit);
  bool active = WaitFor([this] { return GetForegroundWindow() == FWindow && GetFocus() == FEdit; },
                        std::chrono::milliseconds(3000));
  Check(active, "the driver's window could not take the foreground");
}

void TDriverWindow::SetText(const std::string& text) { SetWindowTextA(FEdit, text.c_str()); }

std::string TDriverWindow::Text() const { return TextOf(FEdit); }

void TDriverWindow::SetUnicodeText(const std::string& utf8) { SetWindowTextW(FEdit, Utf8ToWide(utf8).c_str()); }

std::string TDriverWindow::UnicodeText() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(FEdit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(FEdit, &text[0], static_cast<int>(text.size()))));
  return WideToUtf8(text);
}

void TDriverWindow::SelectUnicode(const std::string& utf8Part) {
  const std::wstring text = Utf8ToWide(UnicodeText());
  const std::wstring part = Utf8ToWide(utf8Part);
  std::size_t at = text.find(part);
  Check(at != std::wstring::npos, "the driver's text does not hold '" + utf8Part + "'");
  SendMessageW(FEdit, EM_SETSEL, at, at + part.size());
}

void TDriverWindow::Select(const std::string& part) {
  std::size_t at = Text().find(part);
  Check(at != std::string::npos, "the driver's text does not hold '" + part + "'");
  SendMessageA(FEdit, EM_SETSEL, at, at + part.size());
}

int TDriverWindow::KeyDowns(unsigned keyCode) const {
  auto found = FKeyDowns.find(keyCode);
  return found == FKeyDowns.end() ? 0 : found->second;
}

void TDriverWindow::SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
  std::vector<INPUT> inputs;
  for (const auto& key : keys) inputs.push_back(KeyInput(key.first, !key.second));
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Check(sent == inputs.size(), "SendInput took " + std::to_string(sent) + " of " +
                                   std::to_string(inputs.size()) + " key events");
}

void TDriverWindow::PressChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) inputs.push_back(KeyInput(key, false));
  for (auto key = keys.end(); key != keys.begin();) inputs.push_back(KeyInput(*--key, true));
  UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Check(sent == inputs.size(), "SendInput took " + std::to_string(sent) + " of " +
                                   std::to_string(inputs.size()) + " key events");
}

bool TDriverWindow::ChordReachesEdit(std::initializer_list<WORD> keys) {
  WORD last = *(keys.end() - 1);
  int lastBefore = KeyDowns(last);
  int markerBefore = KeyDowns(kMarkerKey);
  PressChord(keys);
  PressChord({kMarkerKey});
  bool markerCame = WaitFor([&] { return KeyDowns(kMarkerKey) > markerBefore; }, std::chrono::milliseconds(5000));
  Check(markerCame, "keys pressed with SendInput do not reach the driver's edit control");
  return KeyDowns(last) > lastBefore;
}

bool TDriverWindow::AltGrReachesEdit(WORD key) {
  int keyBefore = KeyDowns(key);
  int markerBefore = KeyDowns(kMarkerKey);
  const DWORD time = GetTickCount();
  INPUT inputs[] = {AltGrInput(VK_LCONTROL, 0x21D, 0, time),
                    AltGrInput(VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY, time),
                    KeyInput(key, false), KeyInput(key, true),
                    AltGrInput(VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, time + 50),
                    AltGrInput(VK_LCONTROL, 0x21D, KEYEVENTF_KEYUP, time + 50)};
  UINT sent = SendInput(6, inputs, sizeof(INPUT));
  Check(sent == 6, "SendInput took " + std::to_string(sent) + " of 6 key events");
  PressChord({kMarkerKey});
  bool markerCame = WaitFor([&] { return KeyDowns(kMarkerKey) > markerBefore; }, std::chrono::milliseconds(5000));
  Check(markerCame, "keys pressed with SendInput do not reach the driver's edit control");
  return KeyDowns(key) > keyBefore;
}
