// Drives the template editor as the properties dialog and a user do: it runs
// modally on a thread of its own, its toolbar commands arrive as the toolbar
// sends them, and the name questions, message boxes and file dialogs it opens
// are answered by finding them.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <future>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <utility>

#include <filesystem>

#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "base/OsFile.h"
#include "editor/EndQuestion_win.h"
#include "editor/formEditor_win.h"

namespace {

using namespace wintest;

// Answers the name question with this caption: checks what it offers, types
// the answer (or cancels when there is none).
void AnswerQuestion(const char* caption, const std::string& expectedOffer, const std::string* answer) {
  HWND box = WaitForWindow(caption);
  ASSERT_TRUE(box) << "no question " << caption;
  HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
  ASSERT_TRUE(edit);
  EXPECT_TRUE(FindWindowExA(box, nullptr, "Static", "Please enter the variable name:")) << caption;
  EXPECT_EQ(TextOf(edit), expectedOffer) << caption;
  if (answer) SetWindowTextA(edit, answer->c_str());
  PostMessageA(box, WM_COMMAND, answer ? IDOK : IDCANCEL, 0);
  EXPECT_TRUE(WaitUntilGone(box));
}

constexpr const char* kKeepQuestion = "Do you want to keep the changes you've made to the template?";

// One template editor on its own thread; the destructor cancels one still open.
class TEditorRun {
 public:
  explicit TEditorRun(std::string text) : FText(std::move(text)) {
    FThread = std::thread([this] { FResult = ShowTemplateEditor(nullptr, FText); });
    FWindow = WaitForWindow(kEditorCaption);
  }
  ~TEditorRun() {
    // A changed text asks first: No lets it go. Any other box a failed
    // test left open is cancelled.
    for (int tries = 0; FWindow && IsWindow(FWindow) && tries < 100; ++tries) {
      HWND owned = FindOwnedWindow(FWindow);
      if (!owned)
        PostMessageA(FWindow, WM_COMMAND, IDCANCEL, 0);
      else
        PostMessageA(owned, WM_COMMAND, MessageOf(owned) == kKeepQuestion ? IDNO : IDCANCEL, 0);
      WaitFor([&] { return !IsWindow(FWindow) || FindOwnedWindow(FWindow) != owned; }, 1000);
    }
    if (FThread.joinable()) FThread.join();
  }
  HWND Window() const { return FWindow; }
  HWND Control(int id) const { return GetDlgItem(FWindow, id); }
  HWND Edit() const { return Control(idEditorText); }
  std::string Text() const { return TextOf(Edit()); }
  void SetText(const std::string& text) const { SetWindowTextA(Edit(), text.c_str()); }
  void Select(int start, int end) const { SendMessageA(Edit(), EM_SETSEL, start, end); }
  std::pair<DWORD, DWORD> Selection() const {
    DWORD start = 0, end = 0;
    SendMessageA(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  // As a toolbar button sends it. Posted: many commands open a modal window.
  void Press(int id) const {
    PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(idEditorToolbar)));
  }
  // Pressed, and waited for when it opens nothing.
  void PressAndWait(int id) const {
    SendMessageA(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(idEditorToolbar)));
  }
  void Key(WPARAM key) const {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
    PostMessageA(Edit(), WM_KEYDOWN, key, scan | 1);
    PostMessageA(Edit(), WM_KEYUP, key, scan | 0xC0000001);
  }
  // Keys go through the editor's message loop: wait for their effect.
  bool WaitForText(const std::string& expected) const {
    return WaitFor([&] { return Text() == expected; }, 5000);
  }
  // Answers the question a changed text asks on Cancel; gives its message.
  std::string AnswerKeepQuestion(int answer) const {
    HWND box = WaitForOwnedWindow(FWindow);
    if (!box) return "(no question)";
    std::string message = MessageOf(box);
    PostMessageA(box, WM_COMMAND, answer, 0);
    WaitUntilGone(box);
    return message;
  }
  // Lets the editor's thread finish the command it is in.
  void Settle() const { SendMessageA(FWindow, WM_NULL, 0, 0); }
  bool Finish(std::string& text) {
    EXPECT_TRUE(WaitUntilGone(FWindow)) << "the editor did not close";
    FThread.join();
    text = FText;
    return FResult;
  }

 private:
  std::string FText;
  bool FResult = false;
  std::thread FThread;
  HWND FWindow = nullptr;
};

#define OPEN_EDITOR(name, text) \
  TEditorRun name(text);        \
  ASSERT_TRUE(name.Window()) << "the editor did not appear"

const std::string kTemplate = "<a href=\"{$url}\">\r\n\t{line}\r\n</a>\r\n";

// The hint the toolbar's tooltip gets for a button.
std::string HintOf(HWND editor, int id) {
  NMTTDISPINFOA info{};
  info.hdr.hwndFrom = nullptr;
  info.hdr.idFrom = static_cast<UINT_PTR>(id);
  info.hdr.code = TTN_GETDISPINFOA;
  SendMessageA(editor, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  return info.lpszText ? info.lpszText : "";
}

}  // namespace

TEST(TemplateEditor, OpensWithTheDesignedWindowToolbarAndFocus) {
  OPEN_EDITOR(editor, kTemplate);
  RECT outer;
  GetWindowRect(editor.Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 444);
  EXPECT_EQ(outer.bottom - outer.top, 323);
  LONG_PTR style = GetWindowLongPtrA(editor.Window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME) << "resizable";
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(editor.Text(), kTemplate);
  EXPECT_EQ(TextOf(editor.Control(idEditorOK)), "&OK");
  EXPECT_EQ(TextOf(editor.Control(idEditorCancel)), "&Cancel");
  EXPECT_EQ(GetWindowLongPtrA(editor.Control(idEditorOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(editor.Window(), nullptr), &info));
  EXPECT_EQ(info.hwndFocus, editor.Edit()) << "the text has the focus";

  HWND toolbar = editor.Control(idEditorToolbar);
  const int expected[] = {idEditorNew,          idEditorOpen,        idEditorSave,   0,
                          idEditorUndo,         idEditorCut,         idEditorCopy,   idEditorPaste,
                          0,                    idEditorLine,        idEditorVariable, idEditorFile,
                          idEditorImage,        idEditorImageWidth,  idEditorImageHeight, 0,
                          idEditorOptional};
  ASSERT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), static_cast<LRESULT>(std::size(expected)));
  for (int i = 0; i < static_cast<int>(std::size(expected)); ++i) {
    TBBUTTON button{};
    SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.idCommand, expected[i]) << "button " << i;
    EXPECT_EQ((button.fsStyle & BTNS_SEP) != 0, expected[i] == 0) << "button " << i;
  }
  // Each button shows its own picture, in the image list's order.
  TBBUTTON optional{};
  SendMessageA(toolbar, TB_GETBUTTON, 16, reinterpret_cast<LPARAM>(&optional));
  EXPECT_EQ(optional.iBitmap, 12);
  TBBUTTON undo{};
  SendMessageA(toolbar, TB_GETBUTTON, 4, reinterpret_cast<LPARAM>(&undo));
  EXPECT_EQ(undo.iBitmap, 13);
  auto* pictures = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
  ASSERT_TRUE(pictures);
  EXPECT_EQ(ImageList_GetImageCount(pictures), 14);
  int width = 0, height = 0;
  ImageList_GetIconSize(pictures, &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);

  EXPECT_EQ(HintOf(editor.Window(), idEditorNew), "New Macro");
  EXPECT_EQ(HintOf(editor.Window(), idEditorOpen), "Open Macro");
  EXPECT_EQ(HintOf(editor.Window(), idEditorSave), "Save Macro");
  EXPECT_EQ(HintOf(editor.Window(), idEditorUndo), "Undo");
  EXPECT_EQ(HintOf(editor.Window(), idEditorPaste), "Paste");
  EXPECT_EQ(HintOf(editor.Window(), idEditorLine), "Insert current line");
  EXPECT_EQ(HintOf(editor.Window(), idEditorVariable), "Insert variable");
  EXPECT_EQ(HintOf(editor.Window(), idEditorImageHeight), "Insert image height");
  EXPECT_EQ(HintOf(editor.Window(), idEditorOptional), "Make selected text optional");
}

TEST(TemplateEditor, TheTextStretchesWithTheWindowAndTheButtonsStayBottomRight) {
  OPEN_EDITOR(editor, "");
  RECT before, after;
  GetWindowRect(editor.Edit(), &before);
  SetWindowPos(editor.Window(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(editor.Edit(), &after);
  EXPECT_EQ((after.right - after.left) - (before.right - before.left), 700 - 444);
  EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), 500 - 323);
  RECT window, cancel, ok;
  GetWindowRect(editor.Window(), &window);
  GetWindowRect(editor.Control(idEditorCancel), &cancel);
  GetWindowRect(editor.Control(idEditorOK), &ok);
  EXPECT_LT(window.right - cancel.right, 30);
  EXPECT_LT(window.bottom - cancel.bottom, 30);
  EXPECT_LT(ok.right, cancel.left) << "OK left of Cancel";
  EXPECT_GT(cancel.top, after.bottom) << "buttons below the text";
}

TEST(TemplateEditor, OKGivesBackTabsAndLineBreaksUnchanged) {
  OPEN_EDITOR(editor, kTemplate);
  editor.Select(0, 0);
  editor.PressAndWait(idEditorLine);
  editor.PressAndWait(idEditorOK);
  std::string text;
  EXPECT_TRUE(editor.Finish(text));
  EXPECT_EQ(text, "{line}" + kTemplate);
}

TEST(TemplateEditor, TabKeyWritesATabAndEscapeCancels) {
  OPEN_EDITOR(editor, "ab");
  editor.Select(1, 1);
  editor.Key(VK_TAB);
  EXPECT_TRUE(editor.WaitForText("a\tb")) << "Tab stays in the text: " << editor.Text();
  editor.Key(VK_ESCAPE);
  EXPECT_EQ(editor.AnswerKeepQuestion(IDNO), kKeepQuestion);
  std::string text;
  EXPECT_FALSE(editor.Finish(text));
  EXPECT_EQ(text, "ab") << "Cancel leaves the caller's text";
}

TEST(TemplateEditor, CancelAndCloseLeaveTheText) {
  {
    OPEN_EDITOR(editor, kTemplate);
    editor.SetText("changed");
    editor.Press(idEditorCancel);
    EXPECT_EQ(editor.AnswerKeepQuestion(IDNO), kKeepQuestion);
    std::string text;
    EXPECT_FALSE(editor.Finish(text));
    EXPECT_EQ(text, kTemplate);
  }
  {
    OPEN_EDITOR(editor, kTemplate);
    editor.SetText("changed");
    PostMessageA(editor.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(editor.AnswerKeepQuestion(IDNO), kKeepQuestion);
    std::string text;
    EXPECT_FALSE(editor.Finish(text));
    EXPECT_EQ(text, kTemplate);
  }
}

TEST(TemplateEditor, InsertVariableReplacesTheSelectedWordAndLeavesTheCaretAfterIt) {
  OPEN_EDITOR(editor, "Hello who!");
  editor.Select(6, 9);
  editor.Press(idEditorVariable);
  std::string answer = "who";
  AnswerQuestion("Add variable", "", &answer);
  editor.Settle();
  EXPECT_EQ(editor.Text(), "Hello {$who}!");
  EXPECT_EQ(editor.Selection(), std::make_pair(DWORD{12}, DWORD{12}));

  editor.Press(idEditorFile);
  std::string file = "";
  AnswerQuestion("Add file variable", "", &file);
  editor.Settle();
  EXPECT_EQ(editor.Text(), "Hello {$who}{file:}!") << "an empty name goes in as typed";

  editor.Select(0, 5);
  editor.Press(idEditorVariable);
  AnswerQuestion("Add variable", "", nullptr);
  editor.Settle();
  EXPECT_EQ(editor.Text(), "Hello {$who}{file:}!") << "a cancelled question changes nothing";
}

TEST(TemplateEditor, ImageWidthAndHeightOfferTheLastImageName) {
  OPEN_EDITOR(editor, "");
  editor.Press(idEditorImageWidth);
  std::string none = "w";
  AnswerQuestion("Add image width", "", &none);
  editor.Press(idEditorImage);
  std::string pic = "pic";
  AnswerQuestion("Add image variable", "", &pic);
  editor.Press(idEditorImageWidth);
  AnswerQuestion("Add image width", "pic", &pic);
  editor.Press(idEditorImageHeight);
  std::string other = "other";
  AnswerQuestion("Add image height", "pic", &other);
  // Only an image question changes the name offered.
  editor.Press(idEditorImageHeight);
  AnswerQuestion("Add image height", "pic", &pic);
  editor.Settle();
  EXPECT_EQ(editor.Text(), "{width:w}{image:pic}{width:pic}{height:other}{height:pic}");
}

TEST(TemplateEditor, LineAndOptionalSections) {
  OPEN_EDITOR(editor, "Dear {$!name},\r\nBye");
  editor.Select(0, 14);
  editor.PressAndWait(idEditorOptional);
  EXPECT_EQ(editor.Text(), "{!Dear {$!name},!}\r\nBye");
  EXPECT_EQ(editor.Selection(), std::make_pair(DWORD{18}, DWORD{18}));
  editor.PressAndWait(idEditorOptional);
  EXPECT_EQ(editor.Text(), "{!Dear {$!name},!}{!!}\r\nBye") << "nothing selected gives an empty section";
  editor.Select(24, 27);
  editor.PressAndWait(idEditorLine);
  EXPECT_EQ(editor.Text(), "{!Dear {$!name},!}{!!}\r\n{line}");
  EXPECT_EQ(editor.Selection(), std::make_pair(DWORD{30}, DWORD{30}));
}

TEST(TemplateEditor, NewAsksOnlyAboutChangesAndNoKeepsThem) {
  {
    OPEN_EDITOR(editor, kTemplate);
    editor.PressAndWait(idEditorNew);
    EXPECT_EQ(editor.Text(), "") << "an unchanged text goes without a question";
  }
  OPEN_EDITOR(editor, "first");
  editor.Select(5, 5);
  editor.PressAndWait(idEditorLine);
  editor.Press(idEditorNew);
  HWND question = WaitForWindow("New Template");
  ASSERT_TRUE(question) << "a changed text is not emptied without asking";
  EXPECT_EQ(MessageOf(question), "The changes you've made will be lost, are you sure you want to continue?");
  PostMessageA(question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitUntilGone(question));
  editor.Settle();
  EXPECT_EQ(editor.Text(), "first{line}");

  editor.Press(idEditorNew);
  question = WaitForWindow("New Template");
  ASSERT_TRUE(question);
  PostMessageA(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntilGone(question));
  editor.Settle();
  EXPECT_EQ(editor.Text(), "");
  // Emptied counts as unchanged again.
  editor.PressAndWait(idEditorNew);
  EXPECT_EQ(editor.Text(), "");
}

TEST(TemplateEditor, UndoCutCopyPasteAreTheTextsOwn) {
  OPEN_EDITOR(editor, "one two");
  editor.Select(0, 4);
  editor.PressAndWait(idEditorCut);
  EXPECT_EQ(editor.Text(), "two");
  editor.Select(3, 3);
  editor.PressAndWait(idEditorPaste);
  EXPECT_EQ(editor.Text(), "twoone ");
  editor.Select(0, 3);
  editor.PressAndWait(idEditorCopy);
  EXPECT_EQ(editor.Text(), "twoone ");
  editor.Select(7, 7);
  editor.PressAndWait(idEditorPaste);
  EXPECT_EQ(editor.Text(), "twoone two");
}

TEST(TemplateEditor, AnInsertedTagIsUndoneLikeTyping) {
  OPEN_EDITOR(editor, "abc");
  editor.Select(1, 2);
  editor.PressAndWait(idEditorLine);
  EXPECT_EQ(editor.Text(), "a{line}c");
  editor.PressAndWait(idEditorUndo);
  EXPECT_EQ(editor.Text(), "abc");
}

namespace {

// Answers the open or save dialog with a path, and waits for it to close.
void PickFile(const char* caption, const std::string& path) {
  HWND picker = WaitForWindow(caption);
  ASSERT_TRUE(picker) << "no " << caption << " dialog";
  HWND nameBox = GetDlgItem(picker, 0x47C);  // the Explorer-style file name box
  ASSERT_TRUE(nameBox);
  SetWindowTextA(nameBox, path.c_str());
  SendMessageA(GetDlgItem(picker, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(picker));
}

void CancelPicker(const char* caption) {
  HWND picker = WaitForWindow(caption);
  ASSERT_TRUE(picker) << "no " << caption << " dialog";
  SendMessageA(GetDlgItem(picker, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilGone(picker));
}

}  // namespace

TEST(TemplateEditor, SaveWritesCrLfWithTheDefaultExtensionAndOpenReadsItBack) {
  TTempFolder folder;
  OPEN_EDITOR(editor, kTemplate);
  editor.Press(idEditorSave);
  PickFile("Save As", folder.File("link"));
  editor.Settle();
  EXPECT_EQ(ReadBytes(folder.File("link.txt")), kTemplate) << "a name without extension gets .txt";
  EXPECT_TRUE(IsWindow(editor.Window())) << "saving does not close the editor";

  editor.PressAndWait(idEditorNew);
  EXPECT_EQ(editor.Text(), "");
  editor.Press(idEditorOpen);
  PickFile("Open", folder.File("link.txt"));
  editor.Settle();
  EXPECT_EQ(editor.Text(), kTemplate);

  // Lines broken the Unix way or the old Mac way come in as CR LF.
  WriteBytes(folder.File("unix.txt"), "a\n\tb\rc");
  editor.Press(idEditorOpen);
  PickFile("Open", folder.File("unix.txt"));
  editor.Settle();
  EXPECT_EQ(editor.Text(), "a\r\n\tb\r\nc");
  editor.PressAndWait(idEditorOK);
  std::string text;
  EXPECT_TRUE(editor.Finish(text));
  EXPECT_EQ(text, "a\r\n\tb\r\nc");
}

TEST(TemplateEditor, CancelledPickersChangeNothing) {
  TTempFolder folder;
  OPEN_EDITOR(editor, "keep");
  editor.Press(idEditorOpen);
  CancelPicker("Open");
  editor.Press(idEditorSave);
  CancelPicker("Save As");
  editor.Settle();
  EXPECT_EQ(editor.Text(), "keep");
}

TEST(TemplateEditor, AFileThatCannotBeReadOrWrittenIsReportedAndTheTextStays) {
  TTempFolder folder;
  std::string binary = folder.File("binary.txt");
  WriteBytes(binary, std::string("ab\0cd", 5));
  OPEN_EDITOR(editor, "keep");
  editor.Press(idEditorOpen);
  PickFile("Open", binary);
  HWND error = WaitForWindow("Error");
  ASSERT_TRUE(error) << "a file the text box would cut short is refused";
  EXPECT_EQ(MessageOf(error).rfind("Cannot open file " + binary, 0), 0u) << MessageOf(error);
  PostMessageA(error, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(error));
  editor.Settle();
  EXPECT_EQ(editor.Text(), "keep");

  // A file another program holds without sharing cannot be created anew.
  std::string held = folder.File("held.txt");
  WriteBytes(held, "old");
  HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  editor.Press(idEditorSave);
  HWND picker = WaitForWindow("Save As");
  ASSERT_TRUE(picker);
  SetWindowTextA(GetDlgItem(picker, 0x47C), held.c_str());
  PostMessageA(GetDlgItem(picker, IDOK), BM_CLICK, 0, 0);
  // Replacing a file is asked first.
  HWND replace = WaitForOwnedWindow(picker);
  ASSERT_TRUE(replace) << "no question before replacing a file";
  PostMessageA(replace, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntilGone(picker));
  error = WaitForWindow("Error");
  ASSERT_TRUE(error);
  EXPECT_EQ(MessageOf(error).rfind("Cannot create file " + held, 0), 0u) << MessageOf(error);
  PostMessageA(error, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(error));
  CloseHandle(holder);
  EXPECT_EQ(ReadBytes(held), "old");
  EXPECT_EQ(editor.Text(), "keep");
}

TEST(TemplateEditor, ASaveThatFailsPartWayLeavesTheOldFileWholeAndNamesTheSystemsError) {
  TTempFolder folder;
  std::string path = folder.File("kept.txt");
  WriteBytes(path, "old");
  OPEN_EDITOR(editor, kTemplate);
  editor.Press(idEditorSave);
  HWND picker = WaitForWindow("Save As");
  ASSERT_TRUE(picker);
  SetWindowTextA(GetDlgItem(picker, 0x47C), path.c_str());
  FailNthWriteForTests(1, 2);  // the disk fills up after two bytes
  PostMessageA(GetDlgItem(picker, IDOK), BM_CLICK, 0, 0);
  HWND replace = WaitForOwnedWindow(picker);
  ASSERT_TRUE(replace);
  PostMessageA(replace, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntilGone(picker));
  HWND error = WaitForWindow("Error");
  FailNthWriteForTests(0, 0);
  ASSERT_TRUE(error);
  SetLastError(ERROR_DISK_FULL);
  EXPECT_EQ(MessageOf(error), "Cannot create file " + path + "\n\n" + LastOsErrorText());
  PostMessageA(error, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntilGone(error));
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "a new file was left";
}

namespace {

// Real key presses: the editor reads the keys held as the system has them.
void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void FocusText(const TEditorRun& editor) {
  SetForegroundWindow(editor.Window());
  SendMessageA(editor.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(editor.Edit()), TRUE);
  editor.Select(2, 2);
}

}  // namespace

TEST(TemplateEditor, CtrlEnterAndAltOConfirmWhileEnterAndTabStayInTheText) {
  {
    OPEN_EDITOR(editor, "ab");
    FocusText(editor);
    PressKeys({VK_RETURN});
    PressKeys({VK_TAB});
    ASSERT_TRUE(editor.WaitForText("ab\r\n\t")) << editor.Text();
    PressKeys({VK_CONTROL, VK_RETURN});
    std::string text;
    EXPECT_TRUE(editor.Finish(text)) << "Ctrl+Enter presses OK";
    EXPECT_EQ(text, "ab\r\n\t") << "and writes no line break of its own";
  }
  OPEN_EDITOR(editor, "ab");
  FocusText(editor);
  PressKeys({VK_MENU, 'O'});
  std::string text;
  EXPECT_TRUE(editor.Finish(text)) << "Alt+O presses OK";
  EXPECT_EQ(text, "ab");
}

TEST(TemplateEditor, CancelWithChangesAsksAndCanKeepWorkingOrKeepThem) {
  {
    // Typed and taken back: nothing to lose, nothing asked.
    OPEN_EDITOR(editor, "same");
    editor.SetText("other");
    editor.SetText("same");
    editor.Press(idEditorCancel);
    std::string text;
    EXPECT_FALSE(editor.Finish(text));
  }
  OPEN_EDITOR(editor, "first");
  editor.Select(5, 5);
  editor.PressAndWait(idEditorLine);
  editor.Key(VK_ESCAPE);
  EXPECT_EQ(editor.AnswerKeepQuestion(IDCANCEL), kKeepQuestion);
  editor.Settle();
  ASSERT_TRUE(IsWindow(editor.Window())) << "Cancel in the question keeps the editor";
  EXPECT_EQ(editor.Text(), "first{line}");
  editor.Key(VK_ESCAPE);
  EXPECT_EQ(editor.AnswerKeepQuestion(IDYES), kKeepQuestion);
  std::string text;
  EXPECT_TRUE(editor.Finish(text)) << "Yes keeps the changes as OK does";
  EXPECT_EQ(text, "first{line}");
}

TEST(TemplateEditor, OpenOverChangesAsksFirstAndASavedTextIsNoChange) {
  TTempFolder folder;
  WriteBytes(folder.File("other.txt"), "from the file");
  OPEN_EDITOR(editor, "typed");
  editor.Select(5, 5);
  editor.PressAndWait(idEditorLine);
  editor.Press(idEditorOpen);
  HWND question = WaitForWindow("Open Template");
  ASSERT_TRUE(question) << "a changed text is not replaced without asking";
  EXPECT_EQ(MessageOf(question), "The changes you've made will be lost, are you sure you want to continue?");
  PostMessageA(question, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(WaitUntilGone(question));
  editor.Settle();
  EXPECT_FALSE(FindOwnedWindow(editor.Window())) << "No opens no picker";
  EXPECT_EQ(editor.Text(), "typed{line}");

  // Saved, the text is kept in its file: New and Open ask no more.
  editor.Press(idEditorSave);
  PickFile("Save As", folder.File("typed.txt"));
  editor.Settle();
  editor.Press(idEditorOpen);
  PickFile("Open", folder.File("other.txt"));
  editor.Settle();
  EXPECT_EQ(editor.Text(), "from the file");
  editor.Press(idEditorCancel);
  std::string text;
  EXPECT_FALSE(editor.Finish(text)) << "an opened file unchanged goes without a question";
  EXPECT_EQ(text, "typed");
}

TEST(TemplateEditor, TheProgramsEndAsksInTheEditorOnlyWhenItHoldsChanges) {
  OPEN_EDITOR(editor, "kept");
  EXPECT_FALSE(DialogsHoldChanges(editor.Window()));
  EXPECT_EQ(AskDialogsBeforeEnd(editor.Window(), erExit), eaEnd) << "nothing to lose, nothing asked";
  editor.Select(4, 4);
  editor.PressAndWait(idEditorLine);
  EXPECT_TRUE(DialogsHoldChanges(editor.Window()));

  for (int answer : {IDNO, IDYES}) {
    auto asked = std::async(std::launch::async, [&] { return AskDialogsBeforeEnd(editor.Window(), erSessionEnd); });
    HWND box = WaitForOwnedWindow(editor.Window());
    ASSERT_TRUE(box) << "no question in the editor";
    EXPECT_EQ(TextOf(box), "Zarvel");
    EXPECT_NE(MessageOf(box).find("Windows is ending your session"), std::string::npos) << MessageOf(box);
    PostMessageA(box, WM_COMMAND, answer, 0);
    EXPECT_EQ(asked.get(), answer == IDYES ? eaEnd : eaKeepWorking);
    EXPECT_TRUE(IsWindow(editor.Window())) << "the question itself closes nothing";
    EXPECT_EQ(editor.Text(), "kept{line}");
  }
}

// The text is UTF-8 in and out and the window is Unicode: characters of any
// language show, survive a section put round them, and come back unchanged.
TEST(TemplateEditor, EveryCharacterShowsAndComesBackAsUtf8) {
  const std::string unicode = "\xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";  // → ✓ 日本 😀
  OPEN_EDITOR(editor, "a\t" + unicode);
  EXPECT_EQ(TextOfW(editor.Edit()), L"a\t\u2192 \u2713 \u65E5\u672C \U0001F600");
  editor.Select(2, 11);  // the whole of it, the emoji's two UTF-16 units included
  editor.PressAndWait(idEditorOptional);
  editor.PressAndWait(idEditorOK);
  std::string text;
  EXPECT_TRUE(editor.Finish(text));
  EXPECT_EQ(text, "a\t{!" + unicode + "!}");
}
