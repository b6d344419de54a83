#include "resident/TrayMenu_win.h"

#include <shellapi.h>

#include <stdexcept>
#include <string>

#include "base/OsFile.h"
#include "base/WideText_win.h"

namespace {

// The shell's "open" of a UTF-8 path; empty parameters go as none.
void ShellOpen(const std::string& file, const std::string& parameters, int show) {
  const std::wstring wideFile = WideFromUtf8(file), wideParameters = WideFromUtf8(parameters);
  ShellExecuteW(nullptr, L"open", wideFile.c_str(), parameters.empty() ? nullptr : wideParameters.c_str(), nullptr,
                show);
}

}  // namespace

TPopupMenu::TPopupMenu() : FMenu(CreatePopupMenu()) {
  if (!FMenu) throw std::runtime_error("The tray menu could not be created.");
  for (const TMenuItemDef& item : kTrayMenuItems) {
    if (item.Tag == mtagNone)
      AppendMenuA(FMenu.Get(), MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuA(FMenu.Get(), MF_STRING, static_cast<UINT_PTR>(item.Tag), item.Caption);
  }
  SetMenuDefaultItem(FMenu.Get(), kMacroEditorPosition, TRUE);
  SetEnabledCheck(true);
}

void TPopupMenu::SetEnabledCheck(bool checked) {
  CheckMenuItem(FMenu.Get(), kEnabledPosition, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

int TPopupMenu::Popup(HWND owner, POINT at) const {
  // The owner must be in front, or the menu stays open when the user
  // clicks elsewhere.
  SetForegroundWindow(owner);
  return static_cast<int>(TrackPopupMenu(FMenu.Get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0,
                                         owner, nullptr));
}

void OpenHelpFile(const std::string& exeDir) {
  ShellOpen(PathJoin(exeDir, "zarvel.chm"), "", SW_SHOWDEFAULT);
}

bool StartUpdateCheck(const TProgramValues& values) {
  int answer = MessageBoxA(
      nullptr,
      "This will temporarily shutdown Zarvel and check for any new updates, are you sure you want to continue?",
      "Check for update...", MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) return false;
  // Without the updater there is nothing to hand over to: the program says
  // where new versions are found and stays.
  if (!FileExists(values.File("vornupdate.exe"))) {
    MessageBoxA(nullptr, kNoUpdaterMessage, "Check for update...", MB_OK | MB_ICONINFORMATION);
    return false;
  }
  ShellOpen(values.File("vornupdate.exe"), values.ExeName, SW_SHOWDEFAULT);
  return true;
}

void OpenBugReportPage(const std::string& exeDir) {
  TBugReportTarget target = BugReportTargetOf(kReportBugUrl, exeDir);
  ShellOpen(target.File, target.Parameters, SW_SHOWNORMAL);
}
