#pragma once
// The tray menu (its items are in TrayMenuItems.h) and the commands that
// only start something outside the program.

#include <windows.h>

#include <string>

#include "resident/AppInfo.h"
#include "resident/TrayMenuItems.h"
#include "wingui/WinHandles_win.h"

class TPopupMenu {
 public:
  // Builds every item with its tag as command id; Macro Editor is the
  // default item and Enabled is checked.
  TPopupMenu();

  HMENU Handle() const { return FMenu.Get(); }
  void SetEnabledCheck(bool checked);
  // Shows the menu at the point with the window as its owner; the chosen
  // item's tag, or mtagNone when the menu was closed without a choice.
  int Popup(HWND owner, POINT at) const;

 private:
  TMenuHandle FMenu;
};

// Help: exeDir\zarvel.chm opened by the shell. The result is not checked.
void OpenHelpFile(const std::string& exeDir);
// Check for update: asks; on Yes starts vornupdate.exe from the program's
// folder with the program's path and returns true (the caller then ends
// the program). Without vornupdate.exe it says where new versions are
// found instead and returns false.
bool StartUpdateCheck(const TProgramValues& values);
// Report a bug: the configured page in the default browser, or the help
// file's troubleshooting page (BugReportTargetOf).
void OpenBugReportPage(const std::string& exeDir);
