#include "resident/ResidentProgram_win.h"

#include <wtsapi32.h>

#include "resident/ForegroundProgram_win.h"
#include "resident/HookKeys.h"
#include "resident/Messages.h"
#include "resident/Picker_win.h"
#include "resident/WindowThreads_win.h"
#include "run/ProcessInfo_win.h"
#include "run/RunMacroThread_win.h"
#include "store/Settings.h"
#include "wingui/ForegroundWindow_win.h"

namespace {

HICON LoadProgramIcon(HINSTANCE instance, const char* name) {
  // Not shared: each is the program's to destroy at shutdown.
  return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

}  // namespace

TResidentProgram::TResidentProgram(HINSTANCE instance, HWND appWindow, UINT newInstanceMessage,
                                   const TProgramValues& values, TCatagories& catagories, TIncludeList& includeList)
    : FAppWindow(appWindow), FValues(values), FNewInstanceMessage(newInstanceMessage),
      FTaskbarCreatedMessage(RegisterWindowMessageA("TaskbarCreated")), FCatagories(catagories),
      FIncludeList(includeList),
      FIncludeSnapshot(includeList.Items), FIconEnabled(LoadProgramIcon(instance, "TI")),
      FIconDisabled(LoadProgramIcon(instance, "TIDisabled")),
      FCore(*this, catagories, FIncludeSnapshot, values.SkipIncludeFilter) {
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

void TResidentProgram::ShowTrayIcon(const std::string& tip) {
  FTrayIcon = std::make_unique<TTrayIcon>(FAppWindow);
  FTrayIcon->SetIcon(FIconEnabled.Get());
  FTrayIcon->SetTip(tip);
  FTrayIcon->SetVisible(true);
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
      if (StartUpdateCheck(FValues)) PostQuitMessage(0);
      break;
    case mtagReportBug: OpenBugReportPage(FValues.ExeDir); break;
    case mtagExit: PostQuitMessage(0); break;
    default: break;
  }
}

void TResidentProgram::TrayNotify(LPARAM mouseMessage) {
  if (mouseMessage == kTrayDoubleClick) {
    MenuClick(mtagMacroEditor);
  } else if (mouseMessage == kTrayRightUp && FPopupMenu) {
    POINT at = {};
    GetCursorPos(&at);
    int tag = FPopupMenu->Popup(FAppWindow, at);
    // The null message wakes the window's thread so that the menu's end is
    // noticed at once (a known need of menus shown from the tray).
    PostMessageA(FAppWindow, WM_NULL, 0, 0);
    MenuClick(tag);
  }
}

bool TResidentProgram::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (message == FNewInstanceMessage && FNewInstanceMessage != 0) {
    FCore.SecondStartCommand();
    return true;
  }
  if (message == FTaskbarCreatedMessage && FTaskbarCreatedMessage != 0) {
    if (FTrayIcon) FTrayIcon->Restore();
    return true;
  }
  switch (message) {
    case WM_TRAYNOTIFY: TrayNotify(lParam); return true;
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
    case WM_HOOKKEYDOWN: result = FCore.HookKeyDown(static_cast<unsigned>(wParam)); return true;
    case WM_HOOKKEYUP: result = FCore.HookKeyUp(static_cast<unsigned>(wParam)); return true;
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

bool TResidentProgram::ForegroundExeName(std::string& exeName) { return ::ForegroundExeName(exeName); }

bool TResidentProgram::PostRunMacro(int catagory, int macro) {
  return PostMessageA(FAppWindow, WM_RUNMACRO, static_cast<WPARAM>(catagory), static_cast<LPARAM>(macro));
}

bool TResidentProgram::StartRunMacro(const TMacro& macro) {
  return TRunMacroThread::Start(TDoneNotice{FAppWindow, WM_THREADDONE, tdRunMacro}, macro, FValues.ExeDir);
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
