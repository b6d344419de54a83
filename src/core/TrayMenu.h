#pragma once
// The tray menu (its items are in TrayMenuItems.h) and the commands that
// only start something outside the program.

#include <windows.h>

#include "core/TrayMenuItems.h"
#include "support/WinHandles.h"

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

// Help: ExeDir\zarvel.chm opened by the shell. The result is not checked.
void OpenHelpFile();
// Check for update: asks; on Yes starts ExeDir\vornupdate.exe with the
// program's path and returns true (the caller then ends the program).
bool StartUpdateCheck();
// Report a bug: the project's issue page in the default browser.
void OpenBugReportPage();
