#pragma once
// The running program between start-up and shutdown: the state of the
// resident core and the things it shows (tray icon and menu). It answers the
// application window's messages and carries out the tray menu's commands.

#include <windows.h>

#include <functional>
#include <memory>

#include "resident/AppInfo.h"
#include "resident/AppWindow_win.h"
#include "resident/FolderWatch_win.h"
#include "resident/HookWatch.h"
#include "resident/IncludeSnapshot.h"
#include "resident/Picker_win.h"
#include "resident/Resident.h"
#include "resident/TrayIcon_win.h"
#include "resident/TrayMenu_win.h"
#include "wingui/WinHandles_win.h"
#include "store/Catagories.h"
#include "store/IncludeList.h"

class TResidentProgram : public TAppMessageHandler, private TResidentPorts {
 public:
  TResidentProgram(HINSTANCE instance, HWND appWindow, UINT newInstanceMessage, const TProgramValues& values,
                   TCatagories& catagories, TIncludeList& includeList);
  ~TResidentProgram() override;

  void BuildPopupMenu();
  void ShowTrayIcon(const std::string& tip);
  // After the keyboard hook is installed (again): no modifier it did not see go down is held.
  void HookInstalled() { FCore.ResetModifiers(); }
  // Watches the installed hook with the system's raw keyboard input and
  // installs it again (install) when the system removed it; eventsSeen is
  // the hook's count of events. Without raw input there is no watch.
  void WatchHook(std::function<bool()> install, std::function<std::uint32_t()> eventsSeen);
  // Watches the program's folder for changes by other programs and keeps
  // the daily backup; stopped (and waited for) at shutdown.
  void StartFolderWatch();
  void StopFolderWatch() { FFolderWatch.reset(); }
  // At shutdown: the icon leaves the notification area, then the menu goes.
  void FreeTrayIconAndMenu();

  // The one click handler of every menu item.
  void MenuClick(int tag);

  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  // Some window thread still runs and may use the store or the include list.
  bool WindowThreadsRunning() const;
  const TResident& Core() const { return FCore; }
  const TTrayIcon* TrayIcon() const { return FTrayIcon.get(); }
  const TPopupMenu* PopupMenu() const { return FPopupMenu.get(); }
  int TrayIconSize() const { return FTrayIconSize; }

 private:
  void ShowEnabled(bool enabled) override;
  bool StartWindowThread(TThreadDoneCode kind) override;
  bool ForegroundExeName(std::string& exeName) override;
  bool PostRunMacro(int catagory, int macro) override;
  bool StartRunMacro(const TMacro& macro, bool utf8Texts) override;
  bool ModifierDown(unsigned keyCode) override;
  void MaskAltRelease() override;
  void BringMacroEditorToFront() override;
  void RefreshStore() override;
  void ReloadIncludeList() override;
  void TellMacroEditorFilesChanged() override;
  void TellSettingsWindowFilesChanged(unsigned files) override;
  // Whether the program may end now. A dialog of the macro editor that
  // holds changes asks first, in front; meanwhile the session's end waits
  // with a reason. False when the user keeps working.
  bool MayEnd(int reason);
  void ShowBackupProblem();
  void RawInput(LPARAM input);
  void CheckHook();
  void TrayNotify(WPARAM wParam, LPARAM lParam);
  void ShowTrayMenu(bool hasAnchor, POINT anchor);
  // The tray pictures at the small-icon size of the notification area's
  // DPI; reloaded, and the icon changed, only when that size changed.
  void LoadTrayIcons();
  bool StartPicker(const std::shared_ptr<const TMacroIndex>& index, bool fromTray) override;
  bool PreviousProgramExeName(std::string& exeName) override;

  HINSTANCE FInstance;
  HWND FAppWindow;
  const TProgramValues FValues;
  UINT FNewInstanceMessage;
  // Sent to every top-level window when the notification area is made anew.
  UINT FTaskbarCreatedMessage;
  TCatagories& FCatagories;  // changed only by the macro editor's thread
  TIncludeList& FIncludeList;
  TIncludeSnapshot FIncludeSnapshot;
  TIconHandle FIconEnabled;
  TIconHandle FIconDisabled;
  int FTrayIconSize = 0;
  std::unique_ptr<TPopupMenu> FPopupMenu;
  std::unique_ptr<TTrayIcon> FTrayIcon;
  std::unique_ptr<TPickerHost> FPicker;
  TResident FCore;
  std::string FTrayTip;  // without the backup's line
  std::unique_ptr<TFolderWatch> FFolderWatch;
  THookWatch FHookWatch;
  std::function<bool()> FInstallHook;
  std::function<std::uint32_t()> FHookEventsSeen;
};
