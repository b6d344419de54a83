// Drives the macro properties dialog the way a user would: it runs on a
// thread of its own, as on the macro editor's thread, is found by its
// caption, and its controls are filled, keys pressed and OK or Cancel
// clicked; the record handed in is read afterwards.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "editor/EndQuestion_win.h"
#include "editor/MacroForm.h"
#include "editor/formEditMacro_win.h"
#include "editor/formEditor_win.h"
#include "store/Catagories.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"

namespace {

using namespace wintest;

int FieldId(TFormText field) { return idMacroFieldBase + field; }
int ButtonId(TFormText field) { return FieldId(field) + idMacroButtonOffset; }
int LabelId(TFormText field) { return FieldId(field) + idMacroLabelOffset; }

// The first edit control inside a window, at any depth.
HWND FindEdit(HWND parent) {
  if (!parent) return nullptr;
  if (ClassOf(parent) == "Edit") return parent;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (HWND edit = FindEdit(child)) return edit;
  return nullptr;
}

void PressKeys(const std::vector<std::pair<WORD, bool>>& keys) {
  std::vector<INPUT> inputs;
  for (const auto& key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.first;
    input.ki.dwFlags = key.second ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

std::wstring TextOfWide(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
  return wide;
}

// The editor that the "Edit" buttons open, replaced for the tests.
std::string EditorReceived;
std::string EditorAnswer;
bool EditorConfirms = true;
bool FakeTemplateEditor(HWND, std::string& text) {
  EditorReceived = text;
  if (EditorConfirms) text = EditorAnswer;
  return EditorConfirms;
}

// The dialog shown on its own thread; Cancel on leaving unless closed.
class TMacroDialogRun {
 public:
  TMacroDialogRun(TMacro& macro, const TCatagories& store, int catagory, int index)
      : FThread([&macro, &store, catagory, index, this] {
          FResult = ExecuteMacroDialog(nullptr, macro, store, catagory, index);
          FDone = true;
        }) {
    // As an ANSI look at the Unicode caption reads it.
    std::wstring wide = TextOfWide(MacroFormCaption(macro, StoreTextCodePage(store.Encoding())));
    std::string caption(wide.size() * 2 + 1, '\0');
    caption.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &caption[0],
                                                                static_cast<int>(caption.size()), nullptr, nullptr) - 1));
    WaitFor([&] { return (FWindow = FindOwnWindow(caption)) != nullptr; });
  }
  ~TMacroDialogRun() {
    // A box or browser a failed test left open would hold the dialog.
    for (int tries = 0; FWindow && tries < 50; ++tries) {
      HWND owned = FindOwnedWindow(FWindow);
      if (!owned) break;
      PostMessageA(owned, WM_COMMAND, IDCANCEL, 0);
      Sleep(40);
    }
    if (FWindow && IsWindow(FWindow)) PostMessageA(FWindow, WM_COMMAND, IDCANCEL, 0);
    FThread.join();
  }

  HWND Window() const { return FWindow; }
  HWND Control(int id) const { return GetDlgItem(FWindow, id); }
  std::string Text(int id) const { return TextOf(Control(id)); }
  void SetText(int id, const std::string& text) const {
    SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
  int SelectedType() const { return static_cast<int>(SendMessageA(Control(idMacroType), CB_GETCURSEL, 0, 0)); }
  void ChooseType(int index) const {
    SendMessageA(Control(idMacroType), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(FWindow, WM_COMMAND, MAKEWPARAM(idMacroType, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(idMacroType)));
  }
  void Click(int id) const {
    SendMessageA(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }
  // Posted, for clicks that open another modal window.
  void PostClick(int id) const {
    PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }
  // Posted: OK may open a message box, which would hold a sent message.
  void PostOK() const { PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
  void KeyDownInShortCut(WPARAM key) const { SendMessageA(Control(idMacroShortCut), WM_KEYDOWN, key, 0); }
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(FWindow, nullptr), &info);
    return info.hwndFocus;
  }
  void FocusControl(int id) const {
    SetForegroundWindow(FWindow);
    SendMessageA(FWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
    WaitFor([&] { return Focus() == Control(id); }, 3000);
  }

  bool WaitClosed() const { return WaitFor([&] { return FDone.load(); }); }
  INT_PTR Result() const { return FResult; }

  // Clicks OK, expects the error box, returns its text, closes it and
  // waits until the dialog takes input again.
  std::string OKRefused() const {
    PostOK();
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindOwnedWindow(FWindow, "Error")) != nullptr || FDone; }))
      return "(neither a message box nor closed)";
    if (!box) return "";  // accepted: the dialog closed
    std::string text = MessageOf(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); });
    return text;
  }

 private:
  std::atomic<bool> FDone{false};
  INT_PTR FResult = -2;
  HWND FWindow = nullptr;
  std::thread FThread;
};

class MacroDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Store.AddCatagory("Web"), 0);
    Store.AddMacro(0, Named("Bold", 0x4042));
    Store.AddMacro(0, Named("Toggle", kToggleShortCut));  // written by hand, as an old file might hold
    EditorReceived.clear();
    EditorConfirms = true;
    SetMacroDialogTemplateEditor(FakeTemplateEditor);
  }
  void TearDown() override { SetMacroDialogTemplateEditor(nullptr); }

  static TMacro Named(const std::string& title, std::uint16_t shortCut) {
    TMacro macro = NewMacro();
    SetTitle(macro, title);
    macro.ShortCut = shortCut;
    return macro;
  }
  static bool Same(const TMacro& a, const TMacro& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

  TTempFolder Folder;
  TCatagories Store{Folder.File("Macros")};
  TMacro Macro = NewMacro();
};

#define OPEN_DIALOG(name, catagory, index)                 \
  TMacroDialogRun name(Macro, Store, catagory, index); \
  ASSERT_TRUE(name.Window()) << "the macro properties dialog did not appear"

}  // namespace

TEST_F(MacroDialog, NewMacroOpensAsDesigned) {
  OPEN_DIALOG(dialog, -1, -1);
  EXPECT_EQ(TextOf(dialog.Window()), "Edit Macro 'untitled'");
  EXPECT_EQ(dialog.Text(idMacroTitle), "untitled");
  EXPECT_EQ(dialog.Text(idMacroShortCut), "") << "a shortcut of 0 shows as an empty field";
  EXPECT_EQ(dialog.SelectedType(), 0);
  EXPECT_EQ(dialog.Text(FieldId(ftStripExpr)), "<(.*?)>");

  RECT client;
  GetClientRect(dialog.Window(), &client);
  EXPECT_EQ(client.right, 442);
  EXPECT_EQ(client.bottom, 371);
  LONG style = GetWindowLongA(dialog.Window(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(WaitFor([&] { return dialog.Focus() == dialog.Control(idMacroTitle); }, 3000))
      << "the title has the focus";

  HWND type = dialog.Control(idMacroType);
  ASSERT_EQ(SendMessageA(type, CB_GETCOUNT, 0, 0), 7);
  char item[64] = {};
  SendMessageA(type, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, "Pre-defined function: Change case");
  EXPECT_TRUE(GetWindowLongA(type, GWL_STYLE) & CBS_DROPDOWNLIST);
  EXPECT_TRUE(GetWindowLongA(dialog.Control(idMacroShortCut), GWL_STYLE) & ES_READONLY);

  EXPECT_EQ(dialog.Text(idMacroTitleLabel), "&Title:");
  EXPECT_EQ(dialog.Text(idMacroTypeLabel), "T&ype:");
  EXPECT_EQ(dialog.Text(idMacroShortCutLabel), "&Shortcut:");
  EXPECT_EQ(dialog.Text(idMacroOK), "OK");
  EXPECT_EQ(dialog.Text(idMacroCancel), "Cancel");
  EXPECT_EQ(GetWindowLongA(dialog.Control(idMacroOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
}

TEST_F(MacroDialog, OneGroupBoxForEachKindOnTheSamePlace) {
  OPEN_DIALOG(dialog, -1, -1);
  const struct {
    int Group;
    const char* Caption;
  } groups[] = {{idMacroGroupBlock, "Block Mode Options"},   {idMacroGroupLine, "Line Mode Options"},
                {idMacroGroupRun, "Run Program Options"},    {idMacroGroupStrip, "Strip Tags Options"},
                {idMacroGroupChangeCase, "Change Case Options"}, {idMacroGroupTidy, "Tidy HTML Options"},
                {idMacroGroupEmail, "Email Options"}};
  RECT first;
  GetWindowRect(dialog.Control(idMacroGroupBlock), &first);
  EXPECT_EQ(first.right - first.left, 433);
  EXPECT_EQ(first.bottom - first.top, 249);
  for (int kind = 0; kind < 7; ++kind) {
    SCOPED_TRACE(groups[kind].Caption);
    dialog.ChooseType(kind);
    EXPECT_EQ(dialog.Text(groups[kind].Group), groups[kind].Caption);
    for (int other = 0; other < 7; ++other)
      EXPECT_EQ(dialog.Visible(groups[other].Group), other == kind) << groups[other].Caption;
    RECT place;
    GetWindowRect(dialog.Control(groups[kind].Group), &place);
    EXPECT_TRUE(EqualRect(&place, &first));
  }
  EXPECT_EQ(dialog.Text(idMacroNoOptionsEmail), "[no options available]");
  EXPECT_FALSE(IsWindowEnabled(dialog.Control(idMacroNoOptionsEmail)));
  EXPECT_TRUE(dialog.Visible(idMacroNoOptionsEmail));
  EXPECT_FALSE(dialog.Visible(FieldId(ftStripExpr)));

  dialog.ChooseType(mtBlockMode);
  EXPECT_EQ(dialog.Text(LabelId(ftLineLine)), "&Line:");
  EXPECT_EQ(dialog.Text(ButtonId(ftLineLine)), "Edit");
  EXPECT_EQ(dialog.Text(idMacroBlockReplaceHeading), "&Replace:");
  EXPECT_EQ(dialog.Text(idMacroBlockWithHeading), "&With:");
  EXPECT_TRUE(dialog.Visible(FieldId(ftLineWith3)));
  EXPECT_FALSE(dialog.Visible(FieldId(ftBlockWith3)));
  dialog.ChooseType(mtLineMode);
  EXPECT_EQ(dialog.Text(LabelId(ftBlockLine3)), "Line &3:");
  EXPECT_EQ(dialog.Text(LabelId(ftLineLast)), "L&ast line:");
  dialog.ChooseType(mtRunProgram);
  EXPECT_EQ(dialog.Text(LabelId(ftRunParameters)), "P&arameters:");
  EXPECT_EQ(dialog.Text(ButtonId(ftRunFile)), "...");
  EXPECT_EQ(dialog.Text(ButtonId(ftRunPath)), "...");
  EXPECT_FALSE(dialog.Control(ButtonId(ftRunParameters)));
  dialog.ChooseType(mtStripTags);
  EXPECT_EQ(dialog.Text(LabelId(ftStripExpr)), "&Expression:");
}

TEST_F(MacroDialog, TabOrderRunsTitleTypeShortCutVisibleGroupOkCancel) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.ChooseType(mtStripTags);
  std::vector<int> order;
  HWND at = dialog.Control(idMacroTitle);
  for (int step = 0; step < 8; ++step) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog.Window(), at, FALSE);
  }
  std::vector<int> expected = {idMacroTitle, idMacroType, idMacroShortCut, FieldId(ftStripExpr),
                               ButtonId(ftStripExpr), idMacroOK, idMacroCancel, idMacroTitle};
  EXPECT_EQ(order, expected);
}

TEST_F(MacroDialog, KeysInTheShortCutFieldBecomeTheShortCut) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.KeyDownInShortCut('T');
  EXPECT_EQ(dialog.Text(idMacroShortCut), "T");
  dialog.KeyDownInShortCut(VK_F5);
  EXPECT_EQ(dialog.Text(idMacroShortCut), "F5") << "the last key pressed wins";

  dialog.FocusControl(idMacroShortCut);
  ASSERT_EQ(dialog.Focus(), dialog.Control(idMacroShortCut));
  PressKeys({{VK_CONTROL, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_CONTROL, false}});
  EXPECT_TRUE(WaitFor([&] { return dialog.Text(idMacroShortCut) == "Ctrl+Tab"; }, 3000))
      << dialog.Text(idMacroShortCut);
  EXPECT_EQ(dialog.Focus(), dialog.Control(idMacroShortCut)) << "Ctrl+Tab does not move on";

  PressKeys({{VK_SHIFT, true}, {VK_CONTROL, true}, {VK_MENU, true}, {'K', true}, {'K', false},
             {VK_MENU, false}, {VK_CONTROL, false}, {VK_SHIFT, false}});
  EXPECT_TRUE(WaitFor([&] { return dialog.Text(idMacroShortCut) == "Shift+Ctrl+Alt+K"; }, 3000))
      << dialog.Text(idMacroShortCut);

  // Tab alone leaves the field and keeps the shortcut.
  PressKeys({{VK_TAB, true}, {VK_TAB, false}});
  EXPECT_TRUE(WaitFor([&] { return dialog.Focus() == dialog.Control(FieldId(ftBlockFirst)); }, 3000));
  EXPECT_EQ(dialog.Text(idMacroShortCut), "Shift+Ctrl+Alt+K");

  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(Macro.ShortCut, 0xE04B);
}

TEST_F(MacroDialog, CtrlTabIsStoredAndEnterAloneConfirms) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.FocusControl(idMacroShortCut);
  PressKeys({{VK_CONTROL, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_CONTROL, false}});
  ASSERT_TRUE(WaitFor([&] { return dialog.Text(idMacroShortCut) == "Ctrl+Tab"; }, 3000));
  PressKeys({{VK_RETURN, true}, {VK_RETURN, false}});
  ASSERT_TRUE(dialog.WaitClosed()) << "Enter presses OK";
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(Macro.ShortCut, 0x4009);
}

TEST_F(MacroDialog, CtrlEnterIsCapturedAndEscapeAloneCancels) {
  const TMacro before = Macro;
  OPEN_DIALOG(dialog, -1, -1);
  dialog.FocusControl(idMacroShortCut);
  PressKeys({{VK_CONTROL, true}, {VK_RETURN, true}, {VK_RETURN, false}, {VK_CONTROL, false}});
  ASSERT_TRUE(WaitFor([&] { return dialog.Text(idMacroShortCut) == "Ctrl+Enter"; }, 3000))
      << dialog.Text(idMacroShortCut);
  EXPECT_TRUE(IsWindowVisible(dialog.Window())) << "Ctrl+Enter does not press OK";
  PressKeys({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
  ASSERT_TRUE(dialog.WaitClosed()) << "Escape presses Cancel";
  EXPECT_EQ(dialog.Result(), IDCANCEL);
  EXPECT_TRUE(Same(Macro, before));
}

TEST_F(MacroDialog, EachCheckShowsItsMessageAndKeepsTheDialogOpen) {
  Macro = Named("Mine", kToggleShortCut);
  OPEN_DIALOG(dialog, -1, -1);
  EXPECT_EQ(dialog.Text(idMacroShortCut), "Shift+Ctrl+Alt+Q");
  dialog.SetText(idMacroTitle, "");
  EXPECT_EQ(dialog.OKRefused(), "Please enter a title for this macro!");
  ASSERT_TRUE(IsWindowVisible(dialog.Window()));

  dialog.SetText(idMacroTitle, "Mine");
  EXPECT_EQ(dialog.OKRefused(), "This shortcut is reserved for enabling / disabling Zarvel!");

  // A bare letter and a modifier alone are no shortcuts; each says why.
  dialog.KeyDownInShortCut('B');
  EXPECT_EQ(dialog.OKRefused(), "\"B\" would take that key from every program: please hold Ctrl or Alt with it.");
  dialog.KeyDownInShortCut(VK_CONTROL);
  EXPECT_EQ(dialog.OKRefused(), "Shift, Ctrl and Alt alone never run a macro: please add another key.");
  ASSERT_TRUE(IsWindowVisible(dialog.Window()));

  dialog.KeyDownInShortCut(VK_F6);
  dialog.SetText(FieldId(ftBlockFirst), "kept as typed");
  EXPECT_EQ(dialog.OKRefused(), "");  // F6 alone types nothing and is free
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(GetTitle(Macro), "Mine");
}

TEST_F(MacroDialog, NoShortCutAndShortCutOfAnotherMacroAreRefused) {
  OPEN_DIALOG(dialog, -1, -1);
  EXPECT_EQ(dialog.OKRefused(), "Please specify a shortcut for this macro!");
  dialog.SetText(FieldId(ftBlockFirst), "typed");
  // Ctrl+B belongs to Bold.
  dialog.FocusControl(idMacroShortCut);
  PressKeys({{VK_CONTROL, true}, {'B', true}, {'B', false}, {VK_CONTROL, false}});
  ASSERT_TRUE(WaitFor([&] { return dialog.Text(idMacroShortCut) == "Ctrl+B"; }, 3000));
  EXPECT_EQ(dialog.OKRefused(), "The specified shortcut is already in use by macro 'Bold' in catagory 'Web'");
  EXPECT_TRUE(IsWindowVisible(dialog.Window()));
  EXPECT_EQ(dialog.Text(FieldId(ftBlockFirst)), "typed") << "fields stay as typed";
}

TEST_F(MacroDialog, EditingAMacroKeepsItsOwnShortCut) {
  Macro = Store.Items[0].Macros[0];  // Bold, Ctrl+B
  OPEN_DIALOG(dialog, 0, 0);
  EXPECT_EQ(TextOf(dialog.Window()), "Edit Macro 'Bold'");
  EXPECT_EQ(dialog.Text(idMacroShortCut), "Ctrl+B");
  dialog.SetText(idMacroTitle, "Bolder");
  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(GetTitle(Macro), "Bolder");
  EXPECT_EQ(Macro.ShortCut, 0x4042);
}

TEST_F(MacroDialog, OkStoresTheSelectedKindsFields) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.SetText(idMacroTitle, "A title longer than twenty-five");
  dialog.KeyDownInShortCut(VK_F7);
  dialog.SetText(FieldId(ftBlockFirst), "<ul>");
  dialog.SetText(FieldId(ftLineLine), "<li>{line}</li>");
  dialog.SetText(FieldId(ftBlockLast), "</ul>");
  dialog.SetText(FieldId(ftLineReplace1), "&");
  dialog.SetText(FieldId(ftLineWith1), "&amp;");
  dialog.ChooseType(mtLineMode);
  EXPECT_EQ(dialog.Text(FieldId(ftLineFirst)), "<ul>") << "block to line carries the templates over";
  EXPECT_EQ(dialog.Text(FieldId(ftBlockLine1)), "<li>{line}</li>");
  EXPECT_EQ(dialog.Text(FieldId(ftLineLast)), "</ul>");
  EXPECT_EQ(dialog.Text(FieldId(ftBlockReplace1)), "") << "replace texts are not carried over";
  dialog.SetText(FieldId(ftBlockLine2), "second");
  dialog.SetText(FieldId(ftBlockWith3), std::string(80, 'w'));
  // Nothing is cut: a title and a text too long are refused, each on its field.
  EXPECT_NE(dialog.OKRefused().find("This title is too long: 25 bytes at most"), std::string::npos);
  EXPECT_EQ(dialog.Focus(), dialog.Control(idMacroTitle));
  dialog.SetText(idMacroTitle, "A title of twenty-five by");
  EXPECT_NE(dialog.OKRefused().find("This text 'With 3' is too long: 75 bytes at most"), std::string::npos);
  EXPECT_EQ(dialog.Focus(), dialog.Control(FieldId(ftBlockWith3)));
  dialog.SetText(FieldId(ftBlockWith3), std::string(75, 'w'));
  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(GetTitle(Macro), "A title of twenty-five by");
  EXPECT_EQ(Macro.MacroType, mtLineMode);
  EXPECT_EQ(Macro.ShortCut, VK_F7);
  EXPECT_EQ(GetMacroText(Macro, mxFirstLine), "<ul>");
  EXPECT_EQ(GetMacroText(Macro, mxLine1), "<li>{line}</li>");
  EXPECT_EQ(GetMacroText(Macro, mxLine2), "second");
  EXPECT_EQ(GetMacroText(Macro, mxLastLine), "</ul>");
  EXPECT_EQ(GetMacroText(Macro, mxReplace1), "");
  EXPECT_EQ(GetMacroText(Macro, mxWith3).size(), 75u) << "the field holds no more than the record";
}

TEST_F(MacroDialog, RunProgramAndBackKeepsTheBlockFieldsButStoresOnlyTheProgram) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.KeyDownInShortCut(VK_F8);
  dialog.SetText(FieldId(ftBlockFirst), "first");
  dialog.ChooseType(mtRunProgram);
  dialog.ChooseType(mtBlockMode);
  EXPECT_EQ(dialog.Text(FieldId(ftBlockFirst)), "first");
  dialog.ChooseType(mtRunProgram);
  dialog.SetText(FieldId(ftRunFile), "C:\\Tools\\run.exe");
  dialog.SetText(FieldId(ftRunParameters), "-q");
  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(Macro.MacroType, mtRunProgram);
  EXPECT_EQ(GetMacroText(Macro, mxLine1), "C:\\Tools\\run.exe");
  EXPECT_EQ(GetMacroText(Macro, mxLine2), "");
  EXPECT_EQ(GetMacroText(Macro, mxLine3), "-q");
  EXPECT_EQ(GetMacroText(Macro, mxFirstLine), "") << "hidden block fields are not stored";
}

TEST_F(MacroDialog, TooLongTemplateIsRefusedNamingTheFieldAndNothingIsCut) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.KeyDownInShortCut(VK_F9);
  dialog.ChooseType(mtLineMode);
  dialog.SetText(FieldId(ftBlockLine2), std::string(1024, 'x'));
  std::string message = dialog.OKRefused();
  EXPECT_NE(message.find("template 'Line 2'"), std::string::npos) << message;
  EXPECT_NE(message.find("1024"), std::string::npos) << message;
  EXPECT_EQ(dialog.Text(FieldId(ftBlockLine2)).size(), 1024u) << "the text stays for the user to shorten";
  dialog.SetText(FieldId(ftBlockLine2), std::string(1023, 'x'));
  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(GetMacroText(Macro, mxLine2), std::string(1023, 'x'));
}

TEST_F(MacroDialog, CancelLeavesTheRecordUntouched) {
  Macro = Named("Keep", 0x4055);
  SetMacroText(Macro, mxLine1, "<u>{line}</u>");
  const TMacro before = Macro;
  {
    OPEN_DIALOG(dialog, -1, -1);
    dialog.SetText(idMacroTitle, "Changed");
    dialog.ChooseType(mtEmail);
    dialog.KeyDownInShortCut('Z');
    PostMessageA(dialog.Window(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(dialog.WaitClosed());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
  }
  EXPECT_TRUE(Same(Macro, before));
}

TEST_F(MacroDialog, EditButtonsOpenTheTemplateEditorWithTabsAndLineBreaks) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.SetText(FieldId(ftLineLine), "a{tab}b{n}c");
  EditorAnswer = "x\ty\r\nz\n";
  dialog.Click(ButtonId(ftLineLine));
  EXPECT_EQ(EditorReceived, "a\tb\r\nc");
  EXPECT_EQ(dialog.Text(FieldId(ftLineLine)), "x{tab}y{n}z\n");

  dialog.ChooseType(mtStripTags);
  EditorConfirms = false;
  dialog.Click(ButtonId(ftStripExpr));
  EXPECT_EQ(EditorReceived, "<(.*?)>");
  EXPECT_EQ(dialog.Text(FieldId(ftStripExpr)), "<(.*?)>") << "Cancel in the editor changes nothing";
}

TEST_F(MacroDialog, TheRealTemplateEditorReceivesAndReturnsTheText) {
  SetMacroDialogTemplateEditor(nullptr);
  OPEN_DIALOG(dialog, -1, -1);
  dialog.SetText(FieldId(ftBlockLast), "a{tab}b{n}c");
  dialog.PostClick(ButtonId(ftBlockLast));
  HWND editor = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (editor = FindOwnedWindow(dialog.Window(), kEditorCaption)) != nullptr; }));
  EXPECT_EQ(TextOf(GetDlgItem(editor, idEditorText)), "a\tb\r\nc");
  SendMessageA(GetDlgItem(editor, idEditorText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one\r\ntwo"));
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return dialog.Text(FieldId(ftBlockLast)) == "one{n}two"; }))
      << dialog.Text(FieldId(ftBlockLast));
}

TEST_F(MacroDialog, ProgramBrowseOffersExecutablesAndTakesTheChosenPath) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.ChooseType(mtRunProgram);
  dialog.PostClick(ButtonId(ftRunFile));
  HWND open = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (open = FindOwnedWindow(dialog.Window())) != nullptr; }));
  char filter[128] = {};
  SendMessageA(GetDlgItem(open, 0x470), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(filter));
  EXPECT_STREQ(filter, "Executables (*.exe; *.com; *.bat)");
  std::string chosen = Folder.File("tool.exe");
  WriteBytes(chosen, "MZ");
  // The file name box: a plain edit in older dialogs, a combo with an edit in newer ones.
  HWND name = GetDlgItem(open, 0x480);
  if (!name) name = FindEdit(GetDlgItem(open, 0x47C));
  ASSERT_TRUE(name);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
  PostMessageA(open, WM_COMMAND, IDOK, 0);
  bool taken = WaitFor([&] { return dialog.Text(FieldId(ftRunFile)) == chosen; });
  if (!taken) {
    std::string dump;
    for (HWND c = GetWindow(open, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      dump += std::to_string(GetDlgCtrlID(c)) + " " + ClassOf(c) + " [" + TextOf(c) + "]\n";
    ADD_FAILURE() << "field: " << dialog.Text(FieldId(ftRunFile)) << "\nopen: " << IsWindow(open) << "\n" << dump;
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !IsWindow(open); });
  }
}

TEST_F(MacroDialog, FolderBrowseIsTitledSelectPathAndCancelChangesNothing) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.ChooseType(mtRunProgram);
  dialog.SetText(FieldId(ftRunPath), "C:\\Before");
  dialog.PostClick(ButtonId(ftRunPath));
  HWND browser = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (browser = FindOwnedWindow(dialog.Window())) != nullptr; }));
  std::vector<std::string> texts = ChildTexts(browser);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Select Path"), texts.end());
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(browser); }));
  EXPECT_EQ(dialog.Text(FieldId(ftRunPath)), "C:\\Before");
}

namespace {

// The letter after "&" in a caption; 0 for none.
char MnemonicOf(const std::string& caption) {
  std::size_t at = caption.find('&');
  return at != std::string::npos && at + 1 < caption.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(caption[at + 1]))) : 0;
}

BOOL CALLBACK CollectVisibleChild(HWND child, LPARAM data) {
  if (IsWindowVisible(child)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
  return TRUE;
}

}  // namespace

TEST_F(MacroDialog, EachKindsLabelsCarryMnemonicsNoTwoAlikeAndAltMovesToTheField) {
  OPEN_DIALOG(dialog, -1, -1);
  for (int kind = 0; kind < 7; ++kind) {
    SCOPED_TRACE(kMacroTypeItems[kind]);
    dialog.ChooseType(kind);
    std::vector<HWND> shown;
    EnumChildWindows(dialog.Window(), CollectVisibleChild, reinterpret_cast<LPARAM>(&shown));
    std::map<char, std::string> letters;
    for (HWND child : shown) {
      std::string caption = TextOf(child);
      char letter = MnemonicOf(caption);
      if (letter == 0) continue;
      EXPECT_TRUE(letters.emplace(letter, caption).second)
          << "'" << letter << "' in \"" << caption << "\" and \"" << letters[letter] << "\"";
    }
    for (int id : {idMacroTitleLabel, idMacroTypeLabel, idMacroShortCutLabel})
      EXPECT_NE(MnemonicOf(dialog.Text(id)), 0) << id;
  }
  // Alt and the letter move to the control after the label.
  const struct {
    int Kind;
    WORD Letter;
    int Field;
  } moves[] = {{mtStripTags, 'E', FieldId(ftStripExpr)}, {mtBlockMode, 'W', FieldId(ftLineWith1)},
               {mtBlockMode, 'R', FieldId(ftLineReplace1)}, {mtLineMode, '3', FieldId(ftBlockLine3)},
               {mtRunProgram, 'A', FieldId(ftRunParameters)}, {mtRunProgram, 'Y', idMacroType}};
  for (const auto& move : moves) {
    dialog.ChooseType(move.Kind);
    dialog.FocusControl(idMacroTitle);
    PressKeys({{VK_MENU, true}, {move.Letter, true}, {move.Letter, false}, {VK_MENU, false}});
    EXPECT_TRUE(WaitFor([&] { return dialog.Focus() == dialog.Control(move.Field); }, 3000))
        << "Alt+" << static_cast<char>(move.Letter) << " in kind " << move.Kind;
  }
}

TEST_F(MacroDialog, AStripExpressionThatDoesNotCompileKeepsTheDialogOpenOnTheField) {
  OPEN_DIALOG(dialog, -1, -1);
  dialog.KeyDownInShortCut(VK_F4);
  dialog.ChooseType(mtStripTags);
  dialog.SetText(FieldId(ftStripExpr), "<(b");
  dialog.FocusControl(idMacroTitle);
  std::string message = dialog.OKRefused();
  EXPECT_EQ(message.rfind("The expression does not compile: ", 0), 0u) << message;
  EXPECT_NE(message.find("(pos 3)"), std::string::npos) << message;
  EXPECT_TRUE(WaitFor([&] { return dialog.Focus() == dialog.Control(FieldId(ftStripExpr)); }, 3000))
      << "the field to correct has the focus";
  EXPECT_EQ(dialog.Text(FieldId(ftStripExpr)), "<(b");

  dialog.SetText(FieldId(ftStripExpr), "<(b)>");
  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(GetMacroText(Macro, mxLine1), "<(b)>");
}

// The program's end asks in the front-most dialog, for the whole chain:
// here a change in the properties dialog under an unchanged template editor.
TEST_F(MacroDialog, TheProgramsEndAsksInFrontAndNoKeepsBothDialogsAndTheirText) {
  SetMacroDialogTemplateEditor(nullptr);
  OPEN_DIALOG(dialog, -1, -1);
  EXPECT_FALSE(DialogsHoldChanges(dialog.Window())) << "a dialog as opened holds nothing to lose";
  dialog.SetText(idMacroTitle, "typed title");
  EXPECT_TRUE(DialogsHoldChanges(dialog.Window()));
  dialog.PostClick(ButtonId(ftBlockFirst));
  HWND editor = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (editor = FindOwnedWindow(dialog.Window(), kEditorCaption)) != nullptr; }));

  auto asked = std::async(std::launch::async, [&] { return AskDialogsBeforeEnd(dialog.Window(), erExit); });
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindOwnedWindow(editor, "Zarvel")) != nullptr; }))
      << "the question is asked in the template editor, in front";
  EXPECT_NE(MessageOf(box).find("Zarvel is about to exit"), std::string::npos) << MessageOf(box);
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(asked.get(), eaKeepWorking);
  EXPECT_TRUE(IsWindow(editor));
  EXPECT_EQ(dialog.Text(idMacroTitle), "typed title");
  PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); }));
}

// Characters of any language, in a folder marked UTF-8 and in an ANSI one.
const std::string kUnicodeTemplate = "{line} \xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";

TEST_F(MacroDialog, AUtf8FolderShowsAndStoresEveryCharacter) {
  TTempFolder folder;
  std::filesystem::create_directories(folder.File("Macros"));
  WriteStoreEncoding(folder.File("Macros"), TStoreEncoding::Utf8);
  TCatagories utf8(folder.File("Macros"));
  SetTitle(Macro, "R\xC3\xA9sum\xC3\xA9 \xE2\x86\x92");
  SetMacroText(Macro, mxLine1, kUnicodeTemplate);
  Macro.ShortCut = 0x4046;
  TMacroDialogRun dialog(Macro, utf8, -1, -1);
  ASSERT_TRUE(dialog.Window());
  EXPECT_EQ(TextOfW(dialog.Window()), TextOfWide("Edit Macro 'R\xC3\xA9sum\xC3\xA9 \xE2\x86\x92'"));
  EXPECT_EQ(TextOfW(dialog.Control(FieldId(ftLineLine))), TextOfWide(kUnicodeTemplate));
  SetWindowTextW(dialog.Control(FieldId(ftBlockFirst)), TextOfWide("\xE6\x97\xA5").c_str());
  dialog.PostOK();
  ASSERT_TRUE(dialog.WaitClosed());
  EXPECT_EQ(GetMacroText(Macro, mxFirstLine), "\xE6\x97\xA5");
  EXPECT_EQ(GetMacroText(Macro, mxLine1), kUnicodeTemplate);
}

TEST_F(MacroDialog, AnAnsiFolderRefusesWhatItCannotHoldOnTheField) {
  Macro.ShortCut = 0x4046;
  OPEN_DIALOG(dialog, -1, -1);
  const TMacro before = Macro;
  SetWindowTextW(dialog.Control(FieldId(ftLineLine)), TextOfWide(kUnicodeTemplate).c_str());
  dialog.PostOK();
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindOwnedWindow(dialog.Window(), "Error")) != nullptr; }));
  std::wstring message;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassOf(child) == "Static" && TextOfW(child).size() > message.size()) message = TextOfW(child);
  EXPECT_NE(message.find(L"'\u2192' (U+2192)"), std::wstring::npos);
  EXPECT_NE(message.find(L"\"Store macros as Unicode...\""), std::wstring::npos);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_TRUE(WaitFor([&] { return dialog.Focus() == dialog.Control(FieldId(ftLineLine)); }, 3000));
  EXPECT_TRUE(Same(Macro, before));
}
