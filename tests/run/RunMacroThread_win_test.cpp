// Whole runs on the run thread against an edit control of this process
// (and against a window of a terminal's class, which must never get Ctrl+C):
// the selection is taken, transformed and pasted back, the rest of the
// text and the user's clipboard stay as they were, every dialog of the run
// appears on the run thread, and every way out ends with the end notice.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/NonAsciiName.h"
#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "resident/Messages.h"
#include "run/MAPIControl_win.h"
#include "run/RunMacroThread_win.h"
#include "run/RunTestUtil.h"
#include "store/Settings.h"
#include "run/Clipboard_win.h"

namespace {

using namespace std::chrono;

bool GotEndNotice = false;

LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_THREADDONE && wParam == tdRunMacro) GotEndNotice = true;
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeNotifyWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = NotifyProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"RunTestNotify";
  RegisterClassW(&windowClass);
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"RunTestNotify", L"notify", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

std::wstring Wide(const std::string& utf8) {
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

// Another program's window with its text field: a top-level window of this
// thread with a multi-line Unicode edit that has the focus.
class TTarget {
 public:
  TTarget() {
    FWindow = CreateWindowExW(0, L"STATIC", L"target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 200, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    FEdit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 380, 150,
                            FWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(FEdit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(FEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTarget::EditProc)));
    SetForegroundWindow(FWindow);
    SetFocus(FEdit);
  }
  // The control then copies and pastes only on Ctrl+C and Ctrl+V, as the
  // text controls of browsers do, and ignores the messages.
  void TakeKeysOnly() { FKeysOnly = true; }
  int KeyPresses() const { return FKeyPresses; }
  // Whether the text the control last pasted was marked for clipboard
  // history to leave out.
  bool PastedPrivately() const { return FPastedPrivately; }
  ~TTarget() { DestroyWindow(FWindow); }
  // Sets the text and selects the part between the markers [ and ].
  void SetSelected(const std::wstring& before, const std::wstring& selected, const std::wstring& after) {
    SetWindowTextW(FEdit, (before + selected + after).c_str());
    SendMessageW(FEdit, EM_SETSEL, before.size(), before.size() + selected.size());
    SetForegroundWindow(FWindow);
    SetFocus(FEdit);
  }
  std::wstring Text() const { return wintest::TextOfW(FEdit); }

 private:
  static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (message == WM_KEYDOWN && (wParam == 'C' || wParam == 'V')) ++self->FKeyPresses;
    if (message == WM_PASTE || (message == WM_KEYDOWN && ctrl && wParam == 'V'))
      self->FPastedPrivately =
          IsClipboardFormatAvailable(RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing")) != 0;
    if (self->FKeysOnly) {
      if (message == WM_COPY || message == WM_PASTE) return 0;
      if (message == WM_CHAR && (wParam == 3 || wParam == 22)) return 0;
      if (message == WM_KEYDOWN && ctrl && (wParam == 'C' || wParam == 'V'))
        return CallWindowProcW(self->FEditProc, window, wParam == 'C' ? WM_COPY : WM_PASTE, 0, 0);
    }
    return CallWindowProcW(self->FEditProc, window, message, wParam, lParam);
  }

  HWND FWindow = nullptr;
  HWND FEdit = nullptr;
  WNDPROC FEditProc = nullptr;
  bool FKeysOnly = false;
  int FKeyPresses = 0;
  bool FPastedPrivately = false;
};

std::wstring ClipboardText(HWND owner) {
  TOpenClipboard clipboard(owner);
  std::wstring text;
  clipboard.ReadText(text);
  return text;
}

void SetClipboardText(HWND owner, const std::wstring& text) {
  TOpenClipboard clipboard(owner);
  clipboard.WriteText(text);
}

// A top-level window of this process but of another thread (the run's).
HWND FindRunWindow(const char* caption) {
  HWND window = wintest::FindOwnWindow(caption);
  if (window == nullptr || GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) return nullptr;
  return window;
}

std::vector<HWND> VisibleChildren(HWND parent, const char* className) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[64] = {0};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, className) == 0 && IsWindowVisible(child)) found.push_back(child);
    std::vector<HWND> inner = VisibleChildren(child, className);
    found.insert(found.end(), inner.begin(), inner.end());
  }
  return found;
}

void PressButton(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class RunMacroThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FNotify = MakeNotifyWindow();
    SetClipboardText(FOwner.Handle(), L"the user's own clipboard");
  }
  void TearDown() override { DestroyWindow(FNotify); }

  // Starts the run and pumps this thread's messages (the target's WM_COPY
  // and WM_PASTE arrive through them) until the end notice; `during` is
  // called on every round while the run goes on.
  bool Run(const TMacro& macro, const std::function<void()>& during = {}) {
    GotEndNotice = false;
    if (!TRunMacroThread::Start(TDoneNotice{FNotify, WM_THREADDONE, tdRunMacro}, macro, FFolder.Path())) return false;
    const auto limit = steady_clock::now() + seconds(20);
    while (!GotEndNotice && steady_clock::now() < limit) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      if (during) during();
      Sleep(5);
    }
    return GotEndNotice;
  }

  TTempFolder FFolder;
  TClipboardOwnerWindow FOwner;
  HWND FNotify = nullptr;
  TTarget FTarget;
};

}  // namespace

TEST_F(RunMacroThreadTest, BlockModeReplacesOnlyTheSelectionAndKeepsTheClipboard) {
  FTarget.SetSelected(L"one [", L"two", L"] three");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxFirstLine, "<p>"}, {mxLine1, "<b>{line}</b>"}})));
  EXPECT_EQ(FTarget.Text(), L"one [<p>\r\n<b>two</b>] three");
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, LineModeWorksLineByLine) {
  FTarget.SetSelected(L"x\r\n", L"a\r\nb", L"\r\ny");
  ASSERT_TRUE(Run(MacroWith(mtLineMode, {{mxLine1, "<li>{line}</li>"}})));
  // Every line the template makes ends with its line break.
  EXPECT_EQ(FTarget.Text(), L"x\r\n<li>a</li>\r\n<li>b</li>\r\n\r\ny");
}

TEST_F(RunMacroThreadTest, ReplacePairsRunBeforeTheStep) {
  FTarget.SetSelected(L"", L"a-b", L"");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "{line}"}, {mxReplace1, "-"}, {mxWith1, "+"}})));
  EXPECT_EQ(FTarget.Text(), L"a+b");
}

TEST_F(RunMacroThreadTest, ChangeCaseLeavesEveryCharacterOutsideAsciiAlone) {
  const std::wstring text = Wide("\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 \xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC abc");
  const std::wstring swapped = Wide("\xC3\x9CN\xC3\xAF" "C\xC3\xB6" "D\xC3\xA9 \xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC ABC");
  FTarget.SetSelected(L"keep ", text, L" keep");
  ASSERT_TRUE(Run(MacroWith(mtChangeCase, {})));
  EXPECT_EQ(FTarget.Text(), L"keep " + swapped + L" keep");
}

TEST_F(RunMacroThreadTest, StripTagsKeepsUnicodeTextAndATemplateInTheCodePage) {
  FTarget.SetSelected(L"", Wide("<b>\xE6\x97\xA5\xE6\x9C\xAC</b> \xE2\x9C\x93 <i\r\nclass=x>caf\xC3\xA9</i>"), L"");
  ASSERT_TRUE(Run(MacroWith(mtStripTags, {{mxLine1, "<(.*?)>"}})));
  EXPECT_EQ(FTarget.Text(), Wide("\xE6\x97\xA5\xE6\x9C\xAC \xE2\x9C\x93 caf\xC3\xA9"));
}

TEST_F(RunMacroThreadTest, UnicodeSelectionInATemplateWithAnsiText) {
  // The template's e-acute is a code-page byte; the selection needs UTF-8.
  FTarget.SetSelected(L"", Wide("\xE2\x9C\x93"), L"");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "caf\xE9 {line}"}})));
  EXPECT_EQ(FTarget.Text(), Wide("caf\xC3\xA9 \xE2\x9C\x93"));
}

TEST_F(RunMacroThreadTest, AnExpressionThatDoesNotCompileIsShownAndNothingIsPasted) {
  FTarget.SetSelected(L"", L"<b>x</b>", L"");
  std::string shown;
  ASSERT_TRUE(Run(MacroWith(mtStripTags, {{mxLine1, "(<b"}}), [&] {
    HWND box = FindRunWindow("Zarvel");
    if (box == nullptr || !shown.empty()) return;
    shown = wintest::MessageOf(box);
    PressButton(box, IDOK);
  }));
  EXPECT_FALSE(shown.empty()) << "no message box captioned Zarvel";
  EXPECT_EQ(FTarget.Text(), L"<b>x</b>");
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, AnUnknownKindTakesAndPastesNothing) {
  FTarget.SetSelected(L"", L"abc", L"");
  TMacro macro = MacroWith(mtBlockMode, {{mxLine1, "X{line}"}});
  macro.MacroType = 9;
  ASSERT_TRUE(Run(macro));
  EXPECT_EQ(FTarget.Text(), L"abc");
}

TEST_F(RunMacroThreadTest, ABitmapOnTheClipboardIsThereAfterTheRun) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 3);
  ReleaseDC(nullptr, screen);
  {
    TOpenClipboard clipboard(FOwner.Handle());
    clipboard.Empty();
    SetClipboardData(CF_BITMAP, bitmap);
  }
  FTarget.SetSelected(L"", L"abc", L"");
  ASSERT_TRUE(Run(MacroWith(mtChangeCase, {})));
  EXPECT_EQ(FTarget.Text(), L"ABC");
  TOpenClipboard clipboard(FOwner.Handle());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

namespace {
std::string MailedBody;
ULONG MailedFlags = 0;
ULONG RecordMail(LHANDLE, ULONG_PTR, MapiMessage* message, FLAGS flags, ULONG) {
  MailedBody = message->lpszNoteText ? message->lpszNoteText : "";
  MailedFlags = static_cast<ULONG>(flags);
  return 1;
}
}  // namespace

TEST_F(RunMacroThreadTest, EmailHandsTheSelectionToTheMailProgramAndPastesItBack) {
  TMapiSendMail saved = MapiSendMailHook;
  MapiSendMailHook = RecordMail;
  MailedBody.clear();
  FTarget.SetSelected(L"<", L"Dear Ann", L">");
  ASSERT_TRUE(Run(MacroWith(mtEmail, {})));
  MapiSendMailHook = saved;
  EXPECT_EQ(MailedBody, "Dear Ann");
  EXPECT_EQ(MailedFlags, 11u);
  EXPECT_EQ(FTarget.Text(), L"<Dear Ann>");
}

namespace {
ULONG gMailResult = 0;
ULONG AnswerMail(LHANDLE, ULONG_PTR, MapiMessage*, FLAGS, ULONG) { return gMailResult; }
}  // namespace

TEST_F(RunMacroThreadTest, EmailThatDoesNotStartIsShownButTheUsersCancelIsNot) {
  TMapiSendMail saved = MapiSendMailHook;
  MapiSendMailHook = AnswerMail;
  for (ULONG result : {kMapiUnavailable, static_cast<ULONG>(MAPI_E_FAILURE), static_cast<ULONG>(MAPI_USER_ABORT)}) {
    gMailResult = result;
    FTarget.SetSelected(L"<", L"Dear Ann", L">");
    std::string shown;
    EXPECT_TRUE(Run(MacroWith(mtEmail, {}), [&] {
      HWND box = FindRunWindow("Zarvel");
      if (box == nullptr || !shown.empty()) return;
      shown = wintest::MessageOf(box);
      PressButton(box, IDOK);
    }));
    EXPECT_EQ(shown.empty(), result == MAPI_USER_ABORT) << result << ": " << shown;
    EXPECT_EQ(FTarget.Text(), L"<Dear Ann>");
  }
  MapiSendMailHook = saved;
}

TEST_F(RunMacroThreadTest, RunProgramStartsTheProgramWithItsParametersAndTakesNothing) {
  const std::string marker = FFolder.Path() + "\\started.txt";
  FTarget.SetSelected(L"", L"untouched", L"");
  ASSERT_TRUE(Run(MacroWith(mtRunProgram, {{mxLine1, "cmd.exe"},
                                            {mxLine2, FFolder.Path()},
                                            {mxLine3, "/c echo {line}> started.txt"}})));
  std::string written;
  for (int i = 0; i < 400 && written.size() < 6; ++i) {
    Sleep(25);
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) written = ReadBytes(marker);
  }
  EXPECT_EQ(written.substr(0, 6), "{line}") << "the program was not started with its parameters";
  EXPECT_EQ(FTarget.Text(), L"untouched");
}

namespace {

constexpr const char* kPromptCaption = "Zarvel - User Defined Variables";

// Answers the prompt once it shows: the values go into its edits in order,
// then OK (or Esc when `values` is empty).
std::function<void()> AnswerPrompt(std::vector<std::wstring> values, bool& answered) {
  return [values, &answered] {
    HWND prompt = FindRunWindow(kPromptCaption);
    if (prompt == nullptr || answered) return;
    std::vector<HWND> edits = VisibleChildren(prompt, "Edit");
    if (values.empty()) {
      PostMessageW(edits.empty() ? prompt : edits[0], WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
      for (std::size_t i = 0; i < values.size() && i < edits.size(); ++i)
        SendMessageW(edits[i], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(values[i].c_str()));
      PressButton(prompt, IDOK);
    }
    answered = true;
  };
}

}  // namespace

TEST_F(RunMacroThreadTest, APromptedValueOutsideTheCodePageReachesTheTextWhole) {
  FTarget.SetSelected(L"[", L"hello", L"]");
  bool answered = false;
  const std::wstring value = Wide("\xE6\x97\xA5\xE6\x9C\xAC \xE2\x9C\x93");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "caf\xE9 {$who=Ann}: {line}"}}), AnswerPrompt({value}, answered)));
  EXPECT_TRUE(answered) << "no prompt appeared";
  EXPECT_EQ(FTarget.Text(), L"[" + Wide("caf\xC3\xA9 ") + value + L": hello]");
}

namespace {

// Types `path` into the open dialog of a file variable once it shows.
std::function<void()> PickInOpenDialog(const std::wstring& path, bool& picked) {
  return [path, &picked] {
    HWND dialog = picked ? nullptr : FindRunWindow("Open");
    if (dialog == nullptr || !IsWindowVisible(dialog)) return;
    HWND name = GetDlgItem(dialog, 0x47C);  // the file name box
    if (name == nullptr) name = GetDlgItem(dialog, 0x480);
    if (name == nullptr) return;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    picked = true;
  };
}

}  // namespace

TEST_F(RunMacroThreadTest, APickedPathOutsideTheCodePageSwitchesTheRunToUtf8) {
  FTarget.SetSelected(L"[", L"hello", L"]");
  const std::string folder = NonAsciiFolderIn(FFolder.Path(), '\\');
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  const std::wstring path = Wide(folder + "\\\xE6\x97\xA5.txt");
  bool picked = false;
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "caf\xE9 <a href=\"{file:doc}\">{line}</a>"}}),
                  PickInOpenDialog(path, picked)));
  EXPECT_TRUE(picked) << "no open dialog appeared";
  EXPECT_EQ(FTarget.Text(), L"[" + Wide("caf\xC3\xA9 <a href=\"") + path + L"\">hello</a>]");
}

TEST_F(RunMacroThreadTest, APromptLeftWithEscPastesNothing) {
  FTarget.SetSelected(L"[", L"hello", L"]");
  bool answered = false;
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "{$who}: {line}"}}), AnswerPrompt({}, answered)));
  EXPECT_TRUE(answered) << "no prompt appeared";
  EXPECT_EQ(FTarget.Text(), L"[hello]");
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, TheWorkingDirectoryConfirmedInThePromptIsKept) {
  FTarget.SetSelected(L"", L"x", L"");
  bool answered = false;
  const std::wstring workDir = Wide(FFolder.Path() + "\\web\\");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "{reldir:img/}{line}"}}),
                  AnswerPrompt({workDir, L"pics/"}, answered)));
  EXPECT_TRUE(answered);
  EXPECT_NE(ReadBytes(FFolder.File("zarvel.ini")).find("web"), std::string::npos)
      << "the working directory is not in zarvel.ini";
  // Without an image variable the tag has nothing to stand for and stays.
  EXPECT_EQ(FTarget.Text(), L"{reldir:img/}x");
}

namespace {

bool ModifierDown() {
  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU})
    if (GetAsyncKeyState(key) & 0x8000) return true;
  return false;
}

std::string OwnExeName() {
  char path[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  return name.substr(name.find_last_of("\\/") + 1);
}

}  // namespace

TEST_F(RunMacroThreadTest, AControlThatIgnoresTheMessagesIsServedByKeysAndKeepsTheClipboard) {
  FTarget.TakeKeysOnly();
  FTarget.SetSelected(L"one [", L"two", L"] three");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "<b>{line}</b>"}})));
  EXPECT_EQ(FTarget.Text(), L"one [<b>two</b>] three");
  EXPECT_EQ(FTarget.KeyPresses(), 2) << "one Ctrl+C and one Ctrl+V";
  EXPECT_TRUE(FTarget.PastedPrivately()) << "the run's text was not kept out of clipboard history";
  EXPECT_FALSE(ModifierDown()) << "a modifier is left pressed";
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, AClassicEditGetsTheMessagesAndNoKeys) {
  FTarget.SetSelected(L"", L"two", L"");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "<b>{line}</b>"}})));
  EXPECT_EQ(FTarget.Text(), L"<b>two</b>");
  EXPECT_EQ(FTarget.KeyPresses(), 0);
  EXPECT_TRUE(FTarget.PastedPrivately());
}

TEST_F(RunMacroThreadTest, AProgramSetToMessagesOnlyGetsNoKeys) {
  ASSERT_TRUE(WriteTransferMethod(FFolder.Path(), OwnExeName(), tmMessages));
  FTarget.TakeKeysOnly();
  FTarget.SetSelected(L"", L"two", L"");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "<b>{line}</b>"}})));
  EXPECT_EQ(FTarget.KeyPresses(), 0);
  // Nothing was taken, so the empty selection's result replaces nothing visible
  // here but the selection itself: the control ignored the paste as well.
  EXPECT_EQ(FTarget.Text(), L"two");
}

TEST_F(RunMacroThreadTest, AProgramSetToKeystrokesGetsKeysEvenWhereMessagesWouldDo) {
  ASSERT_TRUE(WriteTransferMethod(FFolder.Path(), OwnExeName(), tmKeystrokes));
  FTarget.SetSelected(L"[", L"two", L"]");
  ASSERT_TRUE(Run(MacroWith(mtChangeCase, {})));
  EXPECT_EQ(FTarget.Text(), L"[TWO]");
  EXPECT_EQ(FTarget.KeyPresses(), 2);
  EXPECT_FALSE(ModifierDown());
}

TEST_F(RunMacroThreadTest, AnEmptySelectionInAControlThatIgnoresEverythingEndsTheRunQuickly) {
  FTarget.TakeKeysOnly();
  FTarget.SetSelected(L"abc", L"", L"");
  const auto start = steady_clock::now();
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "<{line}>"}})));
  EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 5000);
  EXPECT_EQ(FTarget.Text(), L"abc<>") << "the result goes in at the caret by Ctrl+V";
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, AnEmptySelectionInAClassicEditGetsTheResultAtTheCaret) {
  FTarget.SetSelected(L"abc", L"", L"");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "<{line}>"}})));
  EXPECT_EQ(FTarget.Text(), L"abc<>");
}

namespace {

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// A terminal as the keys see it, in front with the focus: its window class
// is a terminal's, it has a selection on its screen and a prompt line, and
// no text control. Copy and paste messages mean nothing to it; Ctrl+Insert
// copies the selection, Shift+Insert types the clipboard's text at the
// prompt, and Ctrl+C interrupts (counted).
class TTerminal {
 public:
  TTerminal(const wchar_t* className, const std::wstring& selected) : FSelected(selected) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    FWindow = CreateWindowExW(0, className, L"terminal", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 400, 200,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetForegroundWindow(FWindow);
    SetFocus(FWindow);
  }
  ~TTerminal() { DestroyWindow(FWindow); }
  std::wstring Prompt() const { return FPrompt; }
  int Copies = 0, Pastes = 0, Interrupts = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TTerminal*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
      if (self != nullptr && message == WM_KEYDOWN) self->Key(wParam);
    } catch (const EClipboardError&) {
      // A clipboard that could not be opened shows as a wrong prompt.
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  void Key(WPARAM key) {
    if (KeyDown(VK_CONTROL) && key == 'C') ++Interrupts;
    if (key != VK_INSERT) return;
    if (KeyDown(VK_CONTROL)) {
      ++Copies;
      if (!FSelected.empty()) TOpenClipboard(FWindow).WriteText(FSelected);
    } else if (KeyDown(VK_SHIFT)) {
      ++Pastes;
      std::wstring text;
      if (TOpenClipboard(FWindow).ReadText(text)) FPrompt += text;
    }
  }

  HWND FWindow = nullptr;
  std::wstring FSelected;
  std::wstring FPrompt = L"$ ";
};

}  // namespace

TEST_F(RunMacroThreadTest, ATerminalCopiesWithCtrlInsertAndGetsTheResultAtItsPrompt) {
  TTerminal terminal(L"PuTTY", L"ls");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "{line} -la"}})));
  EXPECT_EQ(terminal.Prompt(), L"$ ls -la");
  EXPECT_EQ(terminal.Copies, 1);
  EXPECT_EQ(terminal.Pastes, 1);
  EXPECT_EQ(terminal.Interrupts, 0) << "Ctrl+C reached the terminal";
  EXPECT_FALSE(ModifierDown());
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, ATerminalWithNothingSelectedIsNotInterruptedAndGetsTheMacrosText) {
  TTerminal terminal(L"WineConsoleClass", L"");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "echo {line}done"}})));
  EXPECT_EQ(terminal.Prompt(), L"$ echo done");
  EXPECT_EQ(terminal.Interrupts, 0) << "Ctrl+C reached the terminal";
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}

TEST_F(RunMacroThreadTest, ATerminalSetToMessagesOnlyGetsNoKeys) {
  ASSERT_TRUE(WriteTransferMethod(FFolder.Path(), OwnExeName(), tmMessages));
  TTerminal terminal(L"ConsoleWindowClass", L"ls");
  ASSERT_TRUE(Run(MacroWith(mtBlockMode, {{mxLine1, "{line} -la"}})));
  EXPECT_EQ(terminal.Copies + terminal.Pastes + terminal.Interrupts, 0);
  EXPECT_EQ(terminal.Prompt(), L"$ ");
}

namespace {

const unsigned char kOwnBytes[] = {1, 2, 0, 3};

UINT OwnFormat() { return RegisterClipboardFormatA("ZarvelTestFormat"); }

// The user's clipboard with text and a program's own format beside it.
void SetUsersClipboard(HWND owner) {
  TOpenClipboard clipboard(owner);
  clipboard.WriteText(L"the user's own clipboard");
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof kOwnBytes);
  std::memcpy(GlobalLock(memory), kOwnBytes, sizeof kOwnBytes);
  GlobalUnlock(memory);
  SetClipboardData(OwnFormat(), memory);
}

bool OwnFormatIsBack(HWND owner) {
  TOpenClipboard clipboard(owner);
  HANDLE data = GetClipboardData(OwnFormat());
  if (data == nullptr || GlobalSize(data) < sizeof kOwnBytes) return false;
  const bool same = std::memcmp(GlobalLock(data), kOwnBytes, sizeof kOwnBytes) == 0;
  GlobalUnlock(data);
  return same;
}

// A program's window on a thread of its own, made by `make`, that stops
// answering messages once made, until released; then it answers them again
// till it goes.
class THungWindowThread {
 public:
  explicit THungWindowThread(std::function<HWND()> make) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this, make, ready] {
      FWindow = make();
      SetEvent(ready);
      WaitForSingleObject(FRelease, 30000);
      while (!FQuit) {
        wintest::PumpMessages();
        Sleep(5);
      }
      DestroyWindow(FWindow);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
  }
  ~THungWindowThread() {
    Release();
    FQuit = true;
    FThread.join();
    CloseHandle(FRelease);
  }
  void Release() { SetEvent(FRelease); }
  HWND Window() const { return FWindow; }

 private:
  HANDLE FRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> FQuit{false};
  HWND FWindow = nullptr;
  std::thread FThread;
};

}  // namespace

TEST_F(RunMacroThreadTest, AResultTheClipboardRefusesIsShownAndTheUsersClipboardComesBackWhole) {
  SetUsersClipboard(FOwner.Handle());
  FTarget.SetSelected(L"[", L"two", L"]");
  std::string shown;
  FailClipboardWrites(cwResult, 1);
  ASSERT_TRUE(Run(MacroWith(mtChangeCase, {}), [&] {
    HWND box = FindRunWindow("Zarvel");
    if (box == nullptr || !shown.empty()) return;
    shown = wintest::MessageOf(box);
    PressButton(box, IDOK);
  }));
  FailClipboardWrites(cwResult, 0);
  EXPECT_NE(shown.find("memory"), std::string::npos) << shown;
  EXPECT_EQ(FTarget.Text(), L"[two]");
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
  EXPECT_TRUE(OwnFormatIsBack(FOwner.Handle()));
}

TEST_F(RunMacroThreadTest, AClipboardOwnerThatDoesNotAnswerStopsTheRunBeforeTheClipboardIsTouched) {
  THungWindowThread owner([] {
    HWND window = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (OpenClipboard(window)) {
      EmptyClipboard();
      SetClipboardData(OwnFormat(), nullptr);  // rendered only when asked
      CloseClipboard();
    }
    return window;
  });
  FTarget.SetSelected(L"[", L"two", L"]");
  std::string shown;
  const auto start = steady_clock::now();
  ASSERT_TRUE(Run(MacroWith(mtChangeCase, {}), [&] {
    HWND box = FindRunWindow("Zarvel");
    if (box == nullptr || !shown.empty()) return;
    shown = wintest::MessageOf(box);
    PressButton(box, IDOK);
  }));
  EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 8000);
  EXPECT_NE(shown.find("does not answer"), std::string::npos) << shown;
  EXPECT_EQ(FTarget.Text(), L"[two]");
  EXPECT_EQ(GetClipboardOwner(), owner.Window());
  EXPECT_TRUE(IsClipboardFormatAvailable(OwnFormat()));
}

TEST_F(RunMacroThreadTest, ATargetThatDoesNotAnswerTheCopyKeysGetsNoPasteAndItsLateCopyIsUndone) {
  ASSERT_TRUE(WriteTransferMethod(FFolder.Path(), OwnExeName(), tmKeystrokes));
  HWND edit = nullptr;
  THungWindowThread target([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"hung", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300, 150, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    edit = CreateWindowExW(0, L"EDIT", L"[two]", WS_CHILD | WS_VISIBLE, 0, 0, 280, 100, window, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, EM_SETSEL, 1, 4);
    SetForegroundWindow(window);
    SetFocus(edit);
    return window;
  });
  // Once the run has put the user's clipboard back, the target wakes up and
  // copies on the keys it was given long ago. Watched from a thread of its
  // own: this one may wait on the hung window meanwhile.
  std::atomic<bool> stop{false};
  std::thread waker([&] {
    while (!stop) {
      HWND clipboardOwner = GetClipboardOwner();
      if (clipboardOwner != nullptr && clipboardOwner != FOwner.Handle() &&
          IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        target.Release();
        return;
      }
      Sleep(5);
    }
  });
  std::string shown;
  const bool ended = Run(MacroWith(mtBlockMode, {{mxLine1, "<{line}>"}}), [&] {
    HWND box = FindRunWindow("Zarvel");
    if (box == nullptr || !shown.empty()) return;
    shown = wintest::MessageOf(box);
    PressButton(box, IDOK);
  });
  stop = true;
  waker.join();
  ASSERT_TRUE(ended);
  EXPECT_NE(shown.find("did not answer"), std::string::npos) << shown;
  target.Release();
  Sleep(300);
  EXPECT_EQ(wintest::TextOfW(edit), L"[two]");
  EXPECT_EQ(ClipboardText(FOwner.Handle()), L"the user's own clipboard");
}
