// The variable prompt, shown on its own thread as a run shows it, read and
// answered through its controls.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "run/RunDialogDriver.h"
#include "run/UserVarsLayout.h"
#include "run/formUserVars_win.h"
#include "wingui/DialogBase_win.h"

using rundialog::FontOf;
using rundialog::PlaceOf;
using rundialog::TDialogRun;
using rundialog::TextOf;

namespace {

// "日本 ✓" in UTF-8 and as wide text.
const std::string kJapaneseUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC \xE2\x9C\x93";
const std::wstring kJapaneseWide = L"\u65E5\u672C \u2713";

// One prompt on its thread; the result is read after it has closed.
struct TPromptRun {
  TUserVarsPrompt Prompt;
  TUserVarsAnswer Answer;
  std::atomic<int> Result{-1};

  TDialogRun Start() {
    return TDialogRun([this] { Result = ShowUserVarsDialog(Prompt, Answer) ? 1 : 0; }, kUserVarsCaption);
  }
};

int ClientHeightInDesign(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return MulDiv(client.bottom, 96, static_cast<int>(DpiOfWindow(window)));
}

}  // namespace

TEST(UserVarsDialog, RowsShowNamesDefaultsAndSectionsInItalics) {
  TPromptRun run;
  run.Prompt.MacroTitle = "Link & image";
  run.Prompt.Selection = "abcdefghijklmnopqrs\r\nABCDEFGHIJKLMNOPQRS";
  run.Prompt.Names = {"name", "!greeting", "url"};
  run.Prompt.Defaults = {"Ann", "", "http://x/"};
  {
    TDialogRun dialog = run.Start();
    ASSERT_TRUE(dialog.Window());
    EXPECT_EQ(dialog.Text(idUserVarsMacroName), L"\"Link & image\"");
    EXPECT_GE(FontOf(dialog.Control(idUserVarsMacroName)).lfWeight, FW_BOLD);
    EXPECT_EQ(dialog.Text(idUserVarsSel), L"abcdefghijklmnopqrs ABCDEFGHIJKLMNO...");
    EXPECT_EQ(dialog.Text(UserVarsLabelId(0)), L"name");
    EXPECT_EQ(dialog.Text(UserVarsLabelId(1)), L"greeting");
    EXPECT_FALSE(FontOf(dialog.Control(UserVarsLabelId(0))).lfItalic);
    EXPECT_TRUE(FontOf(dialog.Control(UserVarsLabelId(1))).lfItalic);
    EXPECT_FALSE(FontOf(dialog.Control(UserVarsLabelId(2))).lfItalic);
    EXPECT_EQ(dialog.Text(UserVarsEditId(0)), L"Ann");
    EXPECT_EQ(dialog.Text(UserVarsEditId(1)), L"");
    EXPECT_EQ(dialog.Text(UserVarsEditId(2)), L"http://x/");
    EXPECT_EQ(dialog.Control(UserVarsEditId(3)), nullptr);
    EXPECT_EQ(dialog.Control(idUserVarsBrowse), nullptr) << "no directory rows, no \"...\"";
    EXPECT_EQ(ClientHeightInDesign(dialog.Window()), kUserVarsClientHeight + 48);
    // Rows are one step apart.
    EXPECT_EQ(PlaceOf(dialog.Control(UserVarsEditId(1))).top - PlaceOf(dialog.Control(UserVarsEditId(0))).top,
              ScaleForDpi(24, DpiOfWindow(dialog.Window())));

    dialog.SetText(UserVarsEditId(1), L"Hello");
    dialog.Click(idUserVarsOK);
    ASSERT_TRUE(dialog.WaitUntilClosed());
  }
  EXPECT_EQ(run.Result, 1);
  EXPECT_EQ(run.Answer.Values, (std::vector<std::string>{"Ann", "Hello", "http://x/"}));
}

TEST(UserVarsDialog, DirectoryRowsComeFirstWithTheBrowseButton) {
  TPromptRun run;
  run.Prompt.MacroTitle = "Pictures";
  run.Prompt.UsesRelDir = true;
  run.Prompt.WorkDir = "C:\\web\\";
  run.Prompt.RelDir = "images/";
  {
    TDialogRun dialog = run.Start();
    ASSERT_TRUE(dialog.Window());
    EXPECT_EQ(dialog.Text(UserVarsLabelId(0)), L"Working dir:");
    EXPECT_EQ(dialog.Text(UserVarsLabelId(1)), L"Relative dir:");
    EXPECT_EQ(dialog.Text(UserVarsEditId(0)), L"C:\\web\\");
    EXPECT_EQ(dialog.Text(UserVarsEditId(1)), L"images/");
    EXPECT_EQ(dialog.Text(idUserVarsSel), L"") << "nothing selected";
    HWND browse = dialog.Control(idUserVarsBrowse);
    ASSERT_TRUE(browse);
    EXPECT_TRUE(IsWindowVisible(browse));
    EXPECT_EQ(dialog.Text(idUserVarsBrowse), L"...");
    RECT work = PlaceOf(dialog.Control(UserVarsEditId(0)));
    RECT rel = PlaceOf(dialog.Control(UserVarsEditId(1)));
    RECT button = PlaceOf(browse);
    EXPECT_LT(work.right, button.left) << "the button sits right of the working directory";
    EXPECT_EQ(button.right, rel.right);
    EXPECT_EQ(button.top, work.top);
    EXPECT_EQ(ClientHeightInDesign(dialog.Window()), kUserVarsClientHeight + 24);

    dialog.SetText(UserVarsEditId(1), L"pics/");
    dialog.Click(idUserVarsOK);
    ASSERT_TRUE(dialog.WaitUntilClosed());
  }
  EXPECT_EQ(run.Result, 1);
  EXPECT_TRUE(run.Answer.Values.empty());
  EXPECT_EQ(run.Answer.WorkDir, "C:\\web\\");
  EXPECT_EQ(run.Answer.RelDir, "pics/");
}

TEST(UserVarsDialog, VariablesFollowTheDirectoryRows) {
  TPromptRun run;
  run.Prompt.UsesRelDir = true;
  run.Prompt.Names = {"alt", "!caption"};
  run.Prompt.Defaults = {"logo", "x"};
  {
    TDialogRun dialog = run.Start();
    ASSERT_TRUE(dialog.Window());
    EXPECT_EQ(dialog.Text(UserVarsLabelId(2)), L"alt");
    EXPECT_EQ(dialog.Text(UserVarsLabelId(3)), L"caption");
    EXPECT_TRUE(FontOf(dialog.Control(UserVarsLabelId(3))).lfItalic);
    EXPECT_EQ(dialog.Text(UserVarsEditId(2)), L"logo");
    EXPECT_EQ(ClientHeightInDesign(dialog.Window()), kUserVarsClientHeight + 72);
    dialog.SetText(UserVarsEditId(0), L"D:\\site\\");
    dialog.Click(idUserVarsOK);
    ASSERT_TRUE(dialog.WaitUntilClosed());
  }
  EXPECT_EQ(run.Answer.WorkDir, "D:\\site\\");
  EXPECT_EQ(run.Answer.Values, (std::vector<std::string>{"logo", "x"}));
}

TEST(UserVarsDialog, Utf8TextsShowAndComeBackExactly) {
  TPromptRun run;
  run.Prompt.CodePage = CP_UTF8;
  run.Prompt.MacroTitle = kJapaneseUtf8;
  run.Prompt.Selection = kJapaneseUtf8;
  run.Prompt.Names = {kJapaneseUtf8, "plain"};
  run.Prompt.Defaults = {kJapaneseUtf8, ""};
  {
    TDialogRun dialog = run.Start();
    ASSERT_TRUE(dialog.Window());
    EXPECT_EQ(dialog.Text(idUserVarsMacroName), L"\"" + kJapaneseWide + L"\"");
    EXPECT_EQ(dialog.Text(idUserVarsSel), kJapaneseWide);
    EXPECT_EQ(dialog.Text(UserVarsLabelId(0)), kJapaneseWide);
    EXPECT_EQ(dialog.Text(UserVarsEditId(0)), kJapaneseWide);
    dialog.SetText(UserVarsEditId(1), L"Gr\u00FC\u00DFe " + kJapaneseWide + L" \U0001F600");
    dialog.Click(idUserVarsOK);
    ASSERT_TRUE(dialog.WaitUntilClosed());
  }
  EXPECT_EQ(run.Result, 1);
  ASSERT_EQ(run.Answer.Values.size(), 2u);
  EXPECT_EQ(run.Answer.Values[0], kJapaneseUtf8);
  EXPECT_EQ(run.Answer.Values[1], "Gr\xC3\xBC\xC3\x9F" "e " + kJapaneseUtf8 + " \xF0\x9F\x98\x80");
}

TEST(UserVarsDialog, EscapeAndCloseCancel) {
  for (bool escape : {true, false}) {
    TPromptRun run;
    run.Prompt.Names = {"name"};
    run.Answer.Values = {"untouched"};
    TDialogRun dialog = run.Start();
    ASSERT_TRUE(dialog.Window());
    dialog.SetText(UserVarsEditId(0), L"typed");
    if (escape)
      dialog.PressKey(VK_ESCAPE);
    else
      PostMessageW(dialog.Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(dialog.WaitUntilClosed()) << escape;
    EXPECT_EQ(run.Result, 0) << escape;
    EXPECT_EQ(run.Answer.Values, std::vector<std::string>{"untouched"});
  }
}

TEST(UserVarsDialog, CancelButtonCancels) {
  TPromptRun run;
  run.Prompt.Names = {"name"};
  TDialogRun dialog = run.Start();
  ASSERT_TRUE(dialog.Window());
  dialog.Click(idUserVarsCancel);
  ASSERT_TRUE(dialog.WaitUntilClosed());
  EXPECT_EQ(run.Result, 0);
}

TEST(UserVarsDialog, AValueTheCodePageCannotHoldKeepsTheDialogOpen) {
  char ansi[8];
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u2713", 1, ansi, sizeof ansi, nullptr, &lost);
  if (!lost || GetACP() == CP_UTF8) GTEST_SKIP() << "the ANSI code page holds a check mark";
  TPromptRun run;
  run.Prompt.Names = {"name"};
  TDialogRun dialog = run.Start();
  ASSERT_TRUE(dialog.Window());
  dialog.SetText(UserVarsEditId(0), L"ok \u2713");
  dialog.Click(idUserVarsOK);
  HWND error = rundialog::WaitForWindow("Error");
  ASSERT_TRUE(error) << "the user is told why OK did nothing";
  EXPECT_TRUE(IsWindow(dialog.Window()));
  EXPECT_EQ(run.Result, -1);
  PostMessageW(error, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 250 && IsWindow(error); ++i) Sleep(20);
  EXPECT_EQ(dialog.Text(UserVarsEditId(0)), L"ok \u2713") << "the typed value is kept for correcting";
  dialog.SetText(UserVarsEditId(0), L"ok");
  dialog.Click(idUserVarsOK);
  ASSERT_TRUE(dialog.WaitUntilClosed());
  EXPECT_EQ(run.Result, 1);
  EXPECT_EQ(run.Answer.Values, std::vector<std::string>{"ok"});
}

TEST(UserVarsDialog, NothingToAskShowsNothing) {
  TUserVarsPrompt prompt;
  prompt.WorkDir = "C:\\w\\";
  TUserVarsAnswer answer;
  answer.Values = {"stale"};
  EXPECT_TRUE(ShowUserVarsDialog(prompt, answer));
  EXPECT_TRUE(answer.Values.empty());
  EXPECT_EQ(answer.WorkDir, "C:\\w\\");
}

namespace {

// The folder browser the prompt opens, owned by it.
using wintest::WaitForOwnedWindow;

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return folder;
}

}  // namespace

TEST(UserVarsDialog, BrowseStartsOnTheTypedFolderAndAddsABackslash) {
  TPromptRun run;
  run.Prompt.UsesRelDir = true;
  TDialogRun dialog = run.Start();
  ASSERT_TRUE(dialog.Window());
  std::wstring folder = SystemFolder();
  dialog.SetText(UserVarsEditId(0), folder);
  dialog.Click(idUserVarsBrowse);
  HWND browser = WaitForOwnedWindow(dialog.Window());
  ASSERT_TRUE(browser) << "the folder browser opens, owned by the prompt";
  Sleep(200);
  // Confirmed as it opened: the folder it started on comes back.
  PostMessageW(browser, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 250 && IsWindow(browser); ++i) Sleep(20);
  std::wstring chosen = dialog.Text(UserVarsEditId(0));
  EXPECT_EQ(CompareStringOrdinal(chosen.c_str(), -1, (folder + L"\\").c_str(), -1, TRUE), CSTR_EQUAL)
      << "got " << chosen.size() << " characters";

  // Cancelled: the edit keeps its text.
  dialog.SetText(UserVarsEditId(0), L"Q:\\no such folder");
  dialog.Click(idUserVarsBrowse);
  browser = WaitForOwnedWindow(dialog.Window());
  ASSERT_TRUE(browser);
  PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
  for (int i = 0; i < 250 && IsWindow(browser); ++i) Sleep(20);
  EXPECT_EQ(dialog.Text(UserVarsEditId(0)), L"Q:\\no such folder");
}

TEST(UserVarsDialog, ANewDpiKeepsItalicsAndScalesTheRows) {
  TPromptRun run;
  run.Prompt.Names = {"plain", "!section"};
  TDialogRun dialog = run.Start();
  ASSERT_TRUE(dialog.Window());
  RECT outer;
  GetWindowRect(dialog.Window(), &outer);
  RECT suggested{outer.left, outer.top, outer.left + (outer.right - outer.left) * 3 / 2,
                 outer.top + (outer.bottom - outer.top) * 3 / 2};
  SendMessageW(dialog.Window(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_TRUE(FontOf(dialog.Control(UserVarsLabelId(1))).lfItalic);
  EXPECT_FALSE(FontOf(dialog.Control(UserVarsLabelId(0))).lfItalic);
  EXPECT_GE(FontOf(dialog.Control(idUserVarsMacroName)).lfWeight, FW_BOLD);
  EXPECT_EQ(PlaceOf(dialog.Control(UserVarsEditId(1))).top - PlaceOf(dialog.Control(UserVarsEditId(0))).top, 36);
  RECT ok = PlaceOf(dialog.Control(idUserVarsOK));
  RECT client;
  GetClientRect(dialog.Window(), &client);
  EXPECT_LE(ok.bottom, client.bottom) << "the buttons stay inside the larger window";
  EXPECT_GT(ok.top, PlaceOf(dialog.Control(UserVarsEditId(1))).bottom);
}
