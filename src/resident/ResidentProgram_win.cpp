#include "resident/ResidentProgram_win.h"

#include <wtsapi32.h>

#include "editor/formInclude_win.h"
#include "editor/formOptions_win.h"
#include "resident/FileChanges.h"
#include "resident/ForegroundProgram_win.h"
#include "resident/HookKeys.h"
#include "resident/Messages.h"
#include "resident/Picker_win.h"
#include "resident/WindowThreads_win.h"
#include "editor/EndQuestion_win.h"
#include "resident/TrayNotice.h"
#include "run/ProcessInfo_win.h"
#include "run/RunMacroThread_win.h"
#include "store/Settings.h"
#include "wingui/DialogBase_win.h"
#include "wingui/ForegroundWindow_win.h"
#include "wingui/ProgramIcon_win.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

// The application window's timer that checks the hook a moment after the
// first key press the system reported since the last check.
constexpr UINT_PTR kHookCheckTimer = 1;
constexpr UINT kHookCheckDelayMs = 1000;

// Whether raw input describes a key going down.
bool IsRawKeyPress(LPARAM input) {
  RAWINPUT raw{};
  UINT size = sizeof raw;
  if (GetRawInputData(reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER)) ==
      static_cast<UINT>(-1))
    return false;
  return raw.header.dwType == RIM_TYPEKEYBOARD && (raw.data.keyboard.Flags & RI_KEY_BREAK) == 0;
}

}  // namespace

TResidentProgram::TResidentProgram(HINSTANCE instance, HWND appWindow, UINT newInstanceMessage,
                                   const TProgramValues& values, TCatagories& catagories, TIncludeList& includeList)
    : FInstance(instance), FAppWindow(appWindow), FValues(values), FNewInstanceMessage(newInstanceMessage),
      FTaskbarCreatedMessage(RegisterWindowMessageA("TaskbarCreated")), FCatagories(catagories),
      FIncludeList(includeList),
      FIncludeSnapshot(includeList.Items), FCore(*this, catagories, FIncludeSnapshot, values.SkipIncludeFilter) {
  LoadTrayIcons();
  // Lock and unlock reach the window; when they cannot (no session
  // service), the system's key state still corrects stuck modifiers.
  WTSRegisterSessionNotification(FAppWindow, NOTIFY_FOR_THIS_SESSION);
  FCore.SetPickerShortCut(ReadPickerSettings(FValues.ExeDir).ActiveShortCut());
  // The picker's list is made ready now, not when its shortcut is pressed.
  FPicker = std::make_unique<TPickerHost>(FAppWindow, FValues.ExeDir);
  FPicker->Prepare(FCore.MacroSnapshot());
}

TResidentProgram::~TResidentProgram() {
  FPicker.reset();
  WTSUnRegisterSessionNotification(FAppWindow);
  FreeTrayIconAndMenu();
}

void TResidentProgram::BuildPopupMenu() { FPopupMenu = std::make_unique<TPopupMenu>(); }

void TResidentProgram::LoadTrayIcons() {
  // The notification area is on the main monitor's taskbar, where the
  // hidden application window is too.
  int size = IconSizeForDpi(SM_CXSMICON, DpiOfWindow(FAppWindow));
  if (size == FTrayIconSize && FIconEnabled && FIconDisabled) return;
  TIconHandle enabled = LoadIconOfSize(FInstance, L"TI", size);
  TIconHandle disabled = LoadIconOfSize(FInstance, L"TIDisabled", size);
  if (!enabled || !disabled) return;  // the pictures of the old size stay
  if (FTrayIcon) FTrayIcon->SetIcon(FCore.Enabled() ? enabled.Get() : disabled.Get());
  // The notification area shows the new picture now: the old ones can go.
  FIconEnabled = std::move(enabled);
  FIconDisabled = std::move(disabled);
  FTrayIconSize = size;
}

void TResidentProgram::ShowTrayIcon(const std::string& tip) {
  FTrayIcon = std::make_unique<TTrayIcon>(FAppWindow);
  FTrayIcon->SetIcon(FCore.Enabled() ? FIconEnabled.Get() : FIconDisabled.Get());
  FTrayTip = tip;
  FTrayIcon->SetTip(tip);
  FTrayIcon->SetVisible(true);
}

void TResidentProgram::StartFolderWatch() {
  FFolderWatch = std::make_unique<TFolderWatch>(FAppWindow, FValues.ExeDir, FCatagories.Directory());
}

void TResidentProgram::ShowBackupProblem() {
  if (!FTrayIcon || !FFolderWatch) return;
  std::string problem = FFolderWatch->BackupProblem();
  FTrayIcon->SetTip(problem.empty() ? FTrayTip : FTrayTip + "\n" + problem);
}

void TResidentProgram::FreeTrayIconAndMenu() {
  FTrayIcon.reset();
  FPopupMenu.reset();
}

bool TResidentProgram::WindowThreadsRunning() const {
  return FCore.OptionsThread() || FCore.AboutThread() || FCore.IncludeThread() || FCore.RunMacroThread() ||
         FCore.PickerThread();
}

void TResidentProgram::MenuClick(int tag) {
  switch (tag) {
    case mtagMacroEditor: FCore.MacroEditorCommand(); break;
    case mtagEnabled: FCore.EnabledCommand(); break;
    case mtagSettings: FCore.SettingsCommand(); break;
    case mtagAbout: FCore.AboutCommand(); break;
    case mtagRunMacro: FCore.PickerCommand(); break;
    case mtagHelp: OpenHelpFile(FValues.ExeDir); break;
    case mtagCheckForUpdate:
      if (MayEnd(erExit) && StartUpdateCheck(FValues)) PostQuitMessage(0);
      break;
    case mtagReportBug: OpenBugReportPage(FValues.ExeDir); break;
    case mtagExit:
      if (MayEnd(erExit)) PostQuitMessage(0);
      break;
    default: break;
  }
}

bool TResidentProgram::MayEnd(int reason) {
  HWND editor = FCore.OptionsThread() ? MacroEditorWindow() : nullptr;
  if (editor == nullptr || !DialogsHoldChanges(editor)) return true;
  // The session's end waits, and says why, while the user is asked.
  const bool blocked = ShutdownBlockReasonCreate(FAppWindow, L"A macro has changes that are not saved.") != FALSE;
  TEndAnswer answer = AskDialogsBeforeEnd(editor, static_cast<TEndReason>(reason));
  if (blocked) ShutdownBlockReasonDestroy(FAppWindow);
  if (answer == eaNoAnswer && reason == erExit)
    MessageBoxA(nullptr,
                "The macro editor does not answer, so Zarvel keeps running: nothing typed there is lost. "
                "Close the editor first, then exit.",
                kAppTitle, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  return answer == eaEnd;
}

void TResidentProgram::TrayNotify(WPARAM wParam, LPARAM lParam) {
  TTrayNotice notice = DecodeTrayNotice(wParam, lParam, FTrayIcon && FTrayIcon->Version4());
  switch (notice.Action) {
    case TTrayAction::OpenEditor: MenuClick(mtagMacroEditor); break;
    case TTrayAction::OpenMenu: ShowTrayMenu(notice.HasAnchor, POINT{notice.X, notice.Y}); break;
    case TTrayAction::None: break;
  }
}

void TResidentProgram::ShowTrayMenu(bool hasAnchor, POINT anchor) {
  if (!FPopupMenu) return;
  // The anchor is where the click was, or the icon's place when the menu
  // key or Shift+F10 opened the menu; the old reports carry no point.
  POINT at = anchor;
  if (!hasAnchor) GetCursorPos(&at);
  int tag = FPopupMenu->Popup(FAppWindow, at);
  // The null message wakes the window's thread so that the menu's end is
  // noticed at once (a known need of menus shown from the tray).
  PostMessageA(FAppWindow, WM_NULL, 0, 0);
  // Closed without a choice, or with one that opens nothing: the keyboard
  // focus goes back to the icon, where a keyboard user left it.
  if (FTrayIcon && (tag == mtagNone || tag == mtagEnabled)) FTrayIcon->ReturnFocus();
  MenuClick(tag);
}

bool TResidentProgram::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (message == FNewInstanceMessage && FNewInstanceMessage != 0) {
    FCore.SecondStartCommand();
    return true;
  }
  if (message == FTaskbarCreatedMessage && FTaskbarCreatedMessage != 0) {
    // A new notification area may come with another DPI.
    LoadTrayIcons();
    if (FTrayIcon) FTrayIcon->Restore();
    return true;
  }
  switch (message) {
    case WM_TRAYNOTIFY: TrayNotify(wParam, lParam); return true;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
      // The main monitor's scale changed: pictures of the new size.
      LoadTrayIcons();
      return true;
    case WM_THREADDONE:
      result = FCore.ThreadDone(static_cast<std::intptr_t>(wParam));
      // The settings window may have changed the picker's shortcut.
      if (wParam == tdInclude) FCore.SetPickerShortCut(ReadPickerSettings(FValues.ExeDir).ActiveShortCut());
      // The editor may have changed the macros: the picker's list anew.
      if (wParam == tdOptions && FPicker) FPicker->Prepare(FCore.MacroSnapshot());
      return true;
    case WM_PICKERRUN: result = FCore.PickerRun(static_cast<std::intptr_t>(wParam)); return true;
    case WM_RUNMACRO:
      result = FCore.RunMacro(static_cast<std::intptr_t>(wParam), static_cast<std::intptr_t>(lParam));
      return true;
    case WM_FILESCHANGED: {
      unsigned files = static_cast<unsigned>(wParam);
      FCore.FilesChanged(files);
      // The picker's shortcut lives in zarvel.ini, and its list follows the
      // store; an open window takes its changes when it closes.
      if ((files & wfSettings) && !FCore.IncludeThread())
        FCore.SetPickerShortCut(ReadPickerSettings(FValues.ExeDir).ActiveShortCut());
      if ((files & wfMacros) && FPicker && !FCore.OptionsThread()) FPicker->Prepare(FCore.MacroSnapshot());
      return true;
    }
    case WM_BACKUPDONE: ShowBackupProblem(); return true;
    case WM_INPUT:
      RawInput(lParam);
      return false;  // the system's own handling frees the input
    case WM_TIMER:
      if (wParam != kHookCheckTimer) return false;
      CheckHook();
      return true;
    case WM_HOOKKEYDOWN: result = FCore.HookKeyDown(static_cast<unsigned>(wParam)); return true;
    case WM_HOOKKEYUP: result = FCore.HookKeyUp(static_cast<unsigned>(wParam)); return true;
    case WM_QUERYENDSESSION: result = MayEnd(erSessionEnd) ? TRUE : FALSE; return true;
    case WM_WTSSESSION_CHANGE:
      // The secure desktop keeps every release from the hook.
      if (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK) FCore.ResetModifiers();
      return true;
    default: return false;
  }
}

void TResidentProgram::ShowEnabled(bool enabled) {
  if (FPopupMenu) FPopupMenu->SetEnabledCheck(enabled);
  if (FTrayIcon) FTrayIcon->SetIcon(enabled ? FIconEnabled.Get() : FIconDisabled.Get());
}

bool TResidentProgram::StartWindowThread(TThreadDoneCode kind) {
  // The settings window refuses a picker shortcut that a macro holds.
  TShortCutHolder holder;
  if (kind == tdInclude)
    holder = [index = FCore.MacroSnapshot()](std::uint16_t word) {
      if (index)
        for (const TMacroEntry& entry : index->Entries())
          if (entry.ShortCutValue == word) return entry.Title;
      return std::string();
    };
  return StartWindowThreadOf(kind, FAppWindow, FValues, FCatagories, FIncludeList, FIncludeSnapshot,
                             std::move(holder));
}

void TResidentProgram::RefreshStore() {
  // On this thread, between two messages: dispatch reads the store here
  // too, and a running macro has its own copy.
  try {
    FCatagories.Refresh();
  } catch (const std::exception&) {
    // Out of memory: the store stays as it was until the next change.
  }
}

void TResidentProgram::ReloadIncludeList() {
  try {
    if (FIncludeList.Reload()) FIncludeSnapshot.Publish(FIncludeList.Items);
  } catch (const std::exception&) {
    // Damaged or unreadable now: the list in force stays, and the next
    // change of the file is read again.
  }
}

void TResidentProgram::TellMacroEditorFilesChanged() {
  HWND editor = MacroEditorWindow();
  // An editor that is not up yet reads the folder again as it opens.
  if (editor != nullptr) PostMessageA(editor, WM_MACROEDITORFILESCHANGED, 0, 0);
}

void TResidentProgram::TellSettingsWindowFilesChanged(unsigned files) {
  HWND settings = SettingsWindow();
  if (settings == nullptr) return;
  bool include = (files & wfInclude) != 0, ini = (files & wfSettings) != 0;
  PostMessageA(settings, WM_SETTINGSFILESCHANGED, include, ini);
}

bool TResidentProgram::ForegroundExeName(std::string& exeName) { return ::ForegroundExeName(exeName); }

bool TResidentProgram::PostRunMacro(int catagory, int macro) {
  return PostMessageA(FAppWindow, WM_RUNMACRO, static_cast<WPARAM>(catagory), static_cast<LPARAM>(macro));
}

bool TResidentProgram::StartRunMacro(const TMacro& macro, bool utf8Texts) {
  return TRunMacroThread::Start(TDoneNotice{FAppWindow, WM_THREADDONE, tdRunMacro}, macro, FValues.ExeDir,
                                utf8Texts);
}

bool TResidentProgram::ModifierDown(unsigned keyCode) { return GetAsyncKeyState(static_cast<int>(keyCode)) < 0; }

void TResidentProgram::BringMacroEditorToFront() {
  HWND editor = MacroEditorWindow();
  // The dialog the editor shows, when one is open, is what the user needs.
  if (editor != nullptr) ForceForegroundWindow(GetLastActivePopup(editor));
}

void TResidentProgram::MaskAltRelease() {
  INPUT inputs[2] = {};
  for (int i = 0; i < 2; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = static_cast<WORD>(kAltMaskKey);
    inputs[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
    inputs[i].ki.dwExtraInfo = kAltMaskExtraInfo;  // the hook lets it pass unheard
  }
  // Refused (a program of higher integrity in front): the menu may open, no more.
  SendInput(2, inputs, sizeof(INPUT));
}

bool TResidentProgram::StartPicker(const std::shared_ptr<const TMacroIndex>& index, bool fromTray) {
  return FPicker && FPicker->Open(TDoneNotice{FAppWindow, WM_THREADDONE, tdPicker}, PickerTargetWindow(fromTray), index);
}

bool TResidentProgram::PreviousProgramExeName(std::string& exeName) {
  HWND target = PickerTargetWindow(true);
  exeName = target != nullptr ? ExeNameOfWindow(target) : std::string();
  return !exeName.empty();
}

void TResidentProgram::WatchHook(std::function<bool()> install, std::function<std::uint32_t()> eventsSeen) {
  RAWINPUTDEVICE keyboard{};
  keyboard.usUsagePage = 0x01;  // generic desktop controls
  keyboard.usUsage = 0x06;      // keyboard
  keyboard.dwFlags = RIDEV_INPUTSINK;  // also while another program has the focus
  keyboard.hwndTarget = FAppWindow;
  if (!RegisterRawInputDevices(&keyboard, 1, sizeof keyboard)) return;
  FInstallHook = std::move(install);
  FHookEventsSeen = std::move(eventsSeen);
  FHookWatch.HookInstalled(FHookEventsSeen());
}

void TResidentProgram::RawInput(LPARAM input) {
  if (FInstallHook && IsRawKeyPress(input) && FHookWatch.RawKeyDown())
    SetTimer(FAppWindow, kHookCheckTimer, kHookCheckDelayMs, nullptr);
}

void TResidentProgram::CheckHook() {
  KillTimer(FAppWindow, kHookCheckTimer);
  if (!FInstallHook || !FHookWatch.HookLost(FHookEventsSeen())) return;
  // Installing anew costs nothing where the hook was still there after all.
  FInstallHook();
  HookInstalled();
  FHookWatch.HookInstalled(FHookEventsSeen());
}
