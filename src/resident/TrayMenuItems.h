#pragma once
// The tray menu, top to bottom. Each item's tag is also its command id. The
// positions of Macro Editor (0) and Enabled (1) are fixed: the window
// procedure and the dispatcher act through them.

#include <cstddef>

enum TMenuTag : int {
  mtagNone = 0,  // separator
  mtagMacroEditor = 1,
  mtagEnabled = 2,
  mtagExit = 3,
  mtagAbout = 4,
  mtagCheckForUpdate = 5,
  mtagHelp = 6,
  mtagSettings = 7,
  mtagReportBug = 8,
  mtagRunMacro = 9,
};

struct TMenuItemDef {
  const char* Caption;  // "-" for a separator
  TMenuTag Tag;
};

constexpr TMenuItemDef kTrayMenuItems[] = {
    {"&Macro Editor", mtagMacroEditor},     // default item
    {"&Enabled", mtagEnabled},              // checked while shortcuts are on
    {"&Settings", mtagSettings},
    {"R&un a macro...", mtagRunMacro},     // the macro picker
    {"-", mtagNone},
    {"&About...", mtagAbout},
    {"&Help", mtagHelp},
    {"-", mtagNone},
    {"&Check for update...", mtagCheckForUpdate},
    {"&Report a bug...", mtagReportBug},
    {"E&xit", mtagExit},
};
constexpr std::size_t kTrayMenuItemCount = sizeof kTrayMenuItems / sizeof kTrayMenuItems[0];
constexpr int kMacroEditorPosition = 0;
constexpr int kEnabledPosition = 1;

constexpr const char* kNoUpdaterMessage =
    "The updater (vornupdate.exe) is not installed, so Zarvel keeps running. New versions are "
    "published with the release downloads on the project's download page.";

// The page for bug reports, set at build time (ZARVEL_REPORT_BUG_URL); empty
// when the build names none.
#ifdef ZARVEL_REPORT_BUG_URL
constexpr const char* kReportBugUrl = ZARVEL_REPORT_BUG_URL;
#else
constexpr const char* kReportBugUrl = "";
#endif
