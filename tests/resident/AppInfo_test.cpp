#include "resident/AppInfo.h"

#include <gtest/gtest.h>

#include "resident/TrayMenuItems.h"

TEST(VersionStrings, FromTheFileVersionHalves) {
  // 1.1.0.82
  EXPECT_EQ(VersionShortOf(0x00010001, 0x00000052), "1.1");
  EXPECT_EQ(VersionLongOf(0x00010001, 0x00000052), "1.1.0 build 82");
  // Every field at its largest, no sign and no leading zeros.
  EXPECT_EQ(VersionLongOf(0xFFFF000A, 0x0007FFFF), "65535.10.7 build 65535");
  EXPECT_EQ(VersionShortOf(0, 0), "0.0");
}

TEST(VersionStrings, TrayTip) {
  EXPECT_EQ(TrayTipOf("1.1"), "Zarvel 1.1");
  EXPECT_EQ(TrayTipOf(""), "Zarvel ");
  // The notification area shows at most 127 characters of a tip.
  EXPECT_EQ(TrayTipWithoutHook("1.1.0 build 82"), "Zarvel 1.1.0 build 82 - shortcuts off: no keyboard hook");
  EXPECT_LT(TrayTipWithoutHook("65535.65535.65535 build 65535").size(), 128u);
}

TEST(OldNt, OnlyNtThreeAndFourSkipTheIncludeList) {
  EXPECT_TRUE(SkipIncludeFilterOn(2, 3));
  EXPECT_TRUE(SkipIncludeFilterOn(2, 4));
  EXPECT_FALSE(SkipIncludeFilterOn(2, 5));
  EXPECT_FALSE(SkipIncludeFilterOn(2, 10));
  EXPECT_FALSE(SkipIncludeFilterOn(1, 4));  // Windows 95
}

TEST(TrayMenu, FixedPositionsAndEveryTagOnce) {
  EXPECT_EQ(kTrayMenuItems[kMacroEditorPosition].Tag, mtagMacroEditor);
  EXPECT_EQ(kTrayMenuItems[kEnabledPosition].Tag, mtagEnabled);
  int seen[10] = {};
  for (const TMenuItemDef& item : kTrayMenuItems) {
    ++seen[item.Tag];
    EXPECT_EQ(item.Tag == mtagNone, std::string(item.Caption) == "-") << item.Caption;
  }
  EXPECT_EQ(seen[mtagNone], 2);
  for (int tag = 1; tag <= 9; ++tag) EXPECT_EQ(seen[tag], 1) << tag;
}

TEST(InstanceMutex, ExistingOrRefusedMeansAnotherCopy) {
  EXPECT_TRUE(CopyAlreadyRunning(183));  // ERROR_ALREADY_EXISTS
  EXPECT_TRUE(CopyAlreadyRunning(5));    // ERROR_ACCESS_DENIED: the first copy runs as administrator
  EXPECT_FALSE(CopyAlreadyRunning(0));   // made afresh
  // Any other failure is no sign of a copy: the program starts as before.
  EXPECT_FALSE(CopyAlreadyRunning(6));
  EXPECT_FALSE(CopyAlreadyRunning(1450));
}

TEST(ReportBug, TheHelpFilesTroubleshootingPageUnlessAPageIsConfigured) {
  TBugReportTarget help = BugReportTargetOf("", "C:\\Programs\\Zarvel");
  EXPECT_EQ(help.File, "hh.exe");
  EXPECT_EQ(help.Parameters, "C:\\Programs\\Zarvel\\zarvel.chm::/troubleshooting.html");
  TBugReportTarget page = BugReportTargetOf("https://example.org/bugs", "C:\\Programs\\Zarvel");
  EXPECT_EQ(page.File, "https://example.org/bugs");
  EXPECT_TRUE(page.Parameters.empty());
  // A build that names no page opens no placeholder.
  EXPECT_STREQ(kReportBugUrl, "");
}
