#pragma once
// The running program between start-up and shutdown: the state of the
// resident core and the things it shows (tray icon and menu). It answers the
// application window's messages and carries out the tray menu's commands.

#include <windows.h>

#include <memory>

#include "resident/AppInfo.h"
#include "resident/AppWindow_win.h"
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

 private:
  void ShowEnabled(bool enabled) override;
  bool StartWindowThread(TThreadDoneCode kind) override;
  bool ForegroundExeName(std::string& exeName) override;
  bool PostRunMacro(int catagory, int macro) override;
  bool StartRunMacro(const TMacro& macro) override;
  bool ModifierDown(unsigned keyCode) override;
  void MaskAltRelease() override;
  void BringMacroEditorToFront() override;
  bool StartPicker(const std::shared_ptr<const TMacroIndex>& index, bool fromTray) override;
  bool PreviousProgramExeName(std::string& exeName) override;
  void TrayNotify(LPARAM mouseMessage);

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
  std::unique_ptr<TPopupMenu> FPopupMenu;
  std::unique_ptr<TTrayIcon> FTrayIcon;
  std::unique_ptr<TPickerHost> FPicker;
  TResident FCore;
};
