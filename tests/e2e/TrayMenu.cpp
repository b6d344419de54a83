#include "TrayMenu.h"

#include <sstream>

#include "E2eSupport.h"
#include "MenuProbe.h"
#include "resident/Messages.h"
#include "resident/TrayNotice.h"

namespace {

constexpr const char* kAnswerClass = "ZarvelE2EMenuAnswer";
constexpr const char* kProbeLibrary = "zarvel-e2e-menuprobe.dll";

// A report in the fourth version's encoding: the event and the icon id (0)
// in lParam, the anchor point in wParam.
void PostTrayEvent(HWND app, unsigned event, POINT anchor) {
  PostMessageA(app, WM_TRAYNOTIFY, MAKEWPARAM(anchor.x, anchor.y), MAKELPARAM(event, 0));
}

std::vector<TMenuItemSeen> ParseAnswer(const std::string& answer) {
  std::vector<TMenuItemSeen> items;
  std::istringstream lines(answer);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    unsigned id = 0, type = 0, state = 0;
    fields >> id >> type >> state;
    std::string caption;
    if (fields.peek() == '\t') fields.get();
    std::getline(fields, caption);
    items.push_back({id, caption, (type & MFT_SEPARATOR) != 0, (state & MFS_CHECKED) != 0,
                     (state & MFS_DEFAULT) != 0});
  }
  return items;
}

}  // namespace

TTrayMenu::TTrayMenu(HWND appWindow) : FApp(appWindow) {
  DWORD threadId = GetWindowThreadProcessId(appWindow, &FProcessId);
  Check(threadId != 0, "the program's application window is gone");
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = AnswerProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kAnswerClass;
  RegisterClassA(&windowClass);
  FAnswerWindow = CreateWindowExA(0, kAnswerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  Check(FAnswerWindow != nullptr, "the driver could not create its answer window");
  SetWindowLongPtrA(FAnswerWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  FProbe = LoadLibraryA(kProbeLibrary);
  Check(FProbe != nullptr, std::string(kProbeLibrary) + " is missing beside the driver");
  auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(FProbe, kMenuProbeHookName)));
  Check(hook != nullptr, std::string(kProbeLibrary) + " has no " + kMenuProbeHookName);
  FHook = SetWindowsHookExA(WH_CALLWNDPROC, hook, FProbe, threadId);
  Check(FHook != nullptr, "the menu probe could not hook the program's main thread");
}

void TTrayMenu::DropKeyboardHook() {
  static const UINT dropHookMessage = RegisterWindowMessageA(kDropHookMessage);
  DWORD_PTR ignored = 0;
  Check(SendMessageTimeoutA(FApp, dropHookMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0,
        "the program's window did not take the message that drops its hook");
}

TTrayMenu::~TTrayMenu() {
  if (IsOpen()) Close();
  if (FHook) UnhookWindowsHookEx(FHook);
  if (FProbe) FreeLibrary(FProbe);
  if (FAnswerWindow) DestroyWindow(FAnswerWindow);
}

LRESULT CALLBACK TTrayMenu::AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TTrayMenu*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_COPYDATA && self) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData == kMenuProbeAnswer && data->cbData > 0) {
      self->FAnswer.assign(static_cast<const char*>(data->lpData), data->cbData - 1);
      self->FAnswered = true;
      return TRUE;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND TTrayMenu::FindMenuWindow() const {
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.Visible && info.ClassName == "#32768" && info.ProcessId == FProcessId) return info.Window;
  return nullptr;
}

bool TTrayMenu::IsOpen() const { return FindMenuWindow() != nullptr; }

void TTrayMenu::WaitForMenu(const char* how) {
  bool opened = WaitFor([this] { return (FMenuWindow = FindMenuWindow()) != nullptr; },
                        std::chrono::milliseconds(5000));
  Check(opened, std::string(how) + " on the tray icon opens no menu");
}

void TTrayMenu::Open() {
  Check(IsWindow(FApp), "the program's application window is gone");
  // What the notification area sends for a right click: the button's own
  // messages, then the context menu, each with the pointer's place.
  POINT at{};
  GetCursorPos(&at);
  PostTrayEvent(FApp, WM_RBUTTONDOWN, at);
  PostTrayEvent(FApp, kTrayRightButtonUp, at);
  PostTrayEvent(FApp, kTrayContextMenu, at);
  WaitForMenu("a right click");
}

void TTrayMenu::OpenFromKeyboard(POINT iconPlace) {
  Check(IsWindow(FApp), "the program's application window is gone");
  PostTrayEvent(FApp, kTrayContextMenu, iconPlace);
  WaitForMenu("the menu key");
}

std::vector<TMenuItemSeen> TTrayMenu::Read() {
  Check(FMenuWindow != nullptr && IsWindow(FMenuWindow), "the tray menu is not open");
  FAnswered = false;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(FMenuWindow, RegisterWindowMessageA(kMenuProbeMessage),
                      reinterpret_cast<WPARAM>(FAnswerWindow), 0, SMTO_NORMAL, 5000, &result);
  WaitFor([this] { return FAnswered; }, std::chrono::milliseconds(2000));
  Check(FAnswered, "the open tray menu did not describe itself to the probe");
  return ParseAnswer(FAnswer);
}

std::vector<TMenuItemSeen> TTrayMenu::OpenAndRead() {
  Open();
  std::vector<TMenuItemSeen> items = Read();
  Close();
  return items;
}

void TTrayMenu::Choose(const std::string& caption) {
  std::size_t amp = caption.find('&');
  Check(amp != std::string::npos && amp + 1 < caption.size(), "'" + caption + "' has no keyboard letter");
  Check(FMenuWindow != nullptr && IsWindow(FMenuWindow), "the tray menu is not open");
  char letter = static_cast<char>(tolower(static_cast<unsigned char>(caption[amp + 1])));
  PostMessageA(FMenuWindow, WM_CHAR, static_cast<WPARAM>(letter), 1);
  bool closed = WaitFor([this] { return !IsOpen(); }, std::chrono::milliseconds(3000));
  Check(closed, "choosing '" + caption + "' did not close the tray menu");
}

void TTrayMenu::Close() {
  if (!FMenuWindow || !IsWindow(FMenuWindow)) return;
  PostMessageA(FMenuWindow, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(FMenuWindow, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  bool closed = WaitFor([this] { return !IsOpen(); }, std::chrono::milliseconds(3000));
  Check(closed, "Escape does not close the tray menu");
  FMenuWindow = nullptr;
}

bool EnabledChecked(const std::vector<TMenuItemSeen>& items) {
  Check(items.size() > 1, "the tray menu has no item at position 1");
  return items[1].Checked;
}
