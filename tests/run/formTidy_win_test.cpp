// The Tidy report, shown on its own thread as a run shows it.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "run/RunDialogDriver.h"
#include "run/TidyHtml.h"
#include "run/formTidy_win.h"
#include "wingui/DialogBase_win.h"

using rundialog::FontOf;
using rundialog::PlaceOf;
using rundialog::TDialogRun;

namespace {

TDialogRun ShowReport(const std::string& title, const std::string& report, unsigned codePage = 0) {
  return TDialogRun([=] { ShowTidyReport(title, report, codePage); }, kTidyCaption);
}

}  // namespace

TEST(TidyReport, ShowsTheTitleInQuotesAndTheWholeReport) {
  std::string report = TidyReportText(
      "line 1 column 1 - Warning: missing <!DOCTYPE> declaration\n"
      "line 3 column 5 - Warning: <b> is probably intended as </b>\n"
      "Info: Document content looks like HTML 4.01\n"
      "2 warnings, 0 errors were found!\n\n\n\n");
  TDialogRun dialog = ShowReport("Check & tidy", report);
  ASSERT_TRUE(dialog.Window());
  EXPECT_EQ(dialog.Text(idTidyMacroName), L"\"Check & tidy\"");
  EXPECT_GE(FontOf(dialog.Control(idTidyMacroName)).lfWeight, FW_BOLD);
  EXPECT_EQ(dialog.Text(idTidyRunning), L"Running macro:");
  EXPECT_EQ(dialog.Text(idTidyVars), L"Below are the errors reported by Tidy HTML:");
  std::wstring shown = dialog.Text(idTidyErrors);
  EXPECT_NE(shown.find(L"line 1 column 1 - Warning: missing <!DOCTYPE> declaration\r\n"), std::wstring::npos);
  EXPECT_NE(shown.find(L"<b> is probably intended as </b>"), std::wstring::npos);

  HWND errors = dialog.Control(idTidyErrors);
  LONG style = GetWindowLongW(errors, GWL_STYLE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE((style & WS_VSCROLL) && (style & WS_HSCROLL));
  EXPECT_TRUE(GetWindowLongW(dialog.Control(idTidyOK), GWL_STYLE) & BS_DEFPUSHBUTTON);

  RECT client;
  GetClientRect(dialog.Window(), &client);
  EXPECT_EQ(MulDiv(client.right, 96, static_cast<int>(DpiOfWindow(dialog.Window()))), 498);
  EXPECT_EQ(MulDiv(client.bottom, 96, static_cast<int>(DpiOfWindow(dialog.Window()))), 310);
  RECT box = PlaceOf(errors);
  RECT ok = PlaceOf(dialog.Control(idTidyOK));
  EXPECT_LT(box.bottom, ok.top);
  EXPECT_LE(ok.bottom, client.bottom);

  dialog.Click(idTidyOK);
  EXPECT_TRUE(dialog.WaitUntilClosed());
}

TEST(TidyReport, EscapeClosesAlsoFromTheTextBox) {
  for (bool inTextBox : {false, true}) {
    TDialogRun dialog = ShowReport("t", TidyReportText(""));
    ASSERT_TRUE(dialog.Window());
    EXPECT_EQ(dialog.Text(idTidyErrors), L"No errors detected!");
    if (inTextBox) {
      HWND box = dialog.Control(idTidyErrors);
      PostMessageW(dialog.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
      Sleep(100);
    }
    dialog.PressKey(VK_ESCAPE);
    EXPECT_TRUE(dialog.WaitUntilClosed()) << inTextBox;
  }
}

TEST(TidyReport, Utf8AndLongReportsAreShownWhole) {
  // "Überschrift ✓" and more text than an edit control takes by default.
  std::string title = "\xC3\x9C" "berschrift \xE2\x9C\x93";
  std::string report;
  for (int i = 0; i < 4000; ++i) report += "line " + std::to_string(i) + " column 1 - Warning: x\r\n";
  ASSERT_GT(report.size(), 100000u);
  TDialogRun dialog = ShowReport(title, report, CP_UTF8);
  ASSERT_TRUE(dialog.Window());
  EXPECT_EQ(dialog.Text(idTidyMacroName), L"\"\u00DCberschrift \u2713\"");
  EXPECT_EQ(dialog.Text(idTidyErrors).size(), report.size());
  dialog.Click(idTidyOK);
  EXPECT_TRUE(dialog.WaitUntilClosed());
}
