// Drives the macro editor the way a user would: the window runs on a thread
// of its own over a store in a fresh folder; its combo box, list and toolbar
// buttons are read and clicked, and the effects are read back from the
// store, the category files and zarvel.ini.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "editor/formEditMacro_win.h"
#include "editor/formOptions_win.h"
#include "editor/WindowBounds.h"
#include "store/Catagories.h"
#include "store/Macro.h"
#include "store/Settings.h"
#include "store/ShortCut.h"
#include "base/OsFile.h"

namespace {

using namespace wintest;
constexpr const char* kVersion = "7.8.9 build 10";

struct TRow {
  std::string Title, Type, ShortCut;
  int Macro;
  bool operator==(const TRow& other) const {
    return Title == other.Title && Type == other.Type && ShortCut == other.ShortCut && Macro == other.Macro;
  }
};

std::ostream& operator<<(std::ostream& out, const TRow& row) {
  return out << "{" << row.Title << ", " << row.Type << ", " << row.ShortCut << ", " << row.Macro << "}";
}

TMacro MakeMacro(const std::string& title, TMacroType type, std::uint16_t shortCut) {
  TMacro macro{};
  SetTitle(macro, title);
  macro.MacroType = static_cast<std::uint8_t>(type);
  macro.ShortCut = shortCut;
  return macro;
}

// The editor on its own thread, as the program shows it.
class TEditorRun {
 public:
  TEditorRun(TCatagories& store, const std::string& exeDir)
      : FThread([&store, exeDir] { ShowMacroEditor(store, exeDir, kVersion); }) {
    FWindow = WaitForWindow(std::string(kMacroEditorCaption) + kVersion);
  }
  ~TEditorRun() {
    if (FWindow && IsWindow(FWindow)) PostMessageA(FWindow, WM_COMMAND, IDCANCEL, 0);
    FThread.join();
  }
  HWND Window() const { return FWindow; }
  HWND Control(int id) const { return GetDlgItem(FWindow, id); }
  HWND List() const { return Control(idOptionsMacros); }
  HWND Combo() const { return Control(idOptionsCatagory); }

  bool Enabled(int button) const {
    int bar = button == idOptionsAddCat || button == idOptionsRemoveCat ? idOptionsCatToolbar : idOptionsToolbar;
    return SendMessageA(Control(bar), TB_ISBUTTONENABLED, button, 0) != 0;
  }
  // Posted: the click may open a modal window.
  void Click(int button) const { PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(button, 0), 0); }
  void PressInList(WPARAM key) const {
    PostMessageA(List(), WM_KEYDOWN, key, 1);
    PostMessageA(List(), WM_KEYUP, key, 0xC0000001);
  }
  // A mouse click on the column's header, as the user makes it.
  void ClickColumn(int column) const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
    RECT item{};
    SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
  }
  int HeaderImage(int column) const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
    HDITEMA item{};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return (item.fmt & HDF_IMAGE) ? item.iImage : -1;
  }
  bool MarkOnTheRight(int column) const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
    return (item.fmt & HDF_BITMAP_ON_RIGHT) != 0;
  }

  std::vector<std::string> Entries() const {
    std::vector<std::string> entries;
    int count = static_cast<int>(SendMessageA(Combo(), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char buffer[300] = {};
      SendMessageA(Combo(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
      entries.push_back(buffer);
    }
    return entries;
  }
  int ChosenEntry() const { return static_cast<int>(SendMessageA(Combo(), CB_GETCURSEL, 0, 0)); }
  void ChooseEntry(int entry) const {
    SendMessageA(Combo(), CB_SETCURSEL, entry, 0);
    SendMessageA(FWindow, WM_COMMAND, MAKEWPARAM(idOptionsCatagory, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Combo()));
  }

  std::vector<TRow> Rows() const {
    std::vector<TRow> rows;
    int count = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TRow row;
      std::string* texts[] = {&row.Title, &row.Type, &row.ShortCut};
      for (int column = 0; column < 3; ++column) {
        char buffer[300] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(List(), LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        *texts[column] = buffer;
      }
      LVITEMA item{};
      item.mask = LVIF_PARAM;
      item.iItem = i;
      SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      row.Macro = static_cast<int>(item.lParam);
      rows.push_back(row);
    }
    return rows;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const TRow& row : Rows()) titles.push_back(row.Title);
    return titles;
  }
  int SelectedRow() const { return static_cast<int>(SendMessageA(List(), LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }
  void SelectRow(int row) const {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  bool Closed() const {
    return WaitFor([&] { return !IsWindow(FWindow); });
  }

 private:
  std::thread FThread;
  HWND FWindow = nullptr;
};

// Answers the one-line question box: types the text and presses OK, or
// cancels it.
bool AnswerInputBox(const std::string& caption, const std::string* text) {
  HWND box = WaitForWindow(caption);
  if (!box) return false;
  if (text) {
    HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
    if (!edit) return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text->c_str()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  } else {
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  }
  return WaitFor([&] { return !IsWindow(box); });
}

// Answers a message box; gives its message.
std::string AnswerMessageBox(const std::string& caption, int answer) {
  HWND box = WaitForWindow(caption);
  if (!box) return "(no box '" + caption + "')";
  std::string message = MessageOf(box);
  PostMessageA(box, WM_COMMAND, answer, 0);
  WaitFor([&] { return !IsWindow(box); });
  return message;
}


// Real key presses, for the shortcut field that reads the keys held.
void PressChord(std::initializer_list<WORD> keys) {
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

// Fills the properties dialog captioned so: a title and, when a key is
// given, Ctrl+Alt+key as its shortcut; then OK or Cancel.
bool AnswerPropertiesDialog(const std::string& caption, const std::string& title, WORD key, int answer) {
  HWND dialog = WaitForWindow(caption);
  if (!dialog) return false;
  if (answer == IDOK) {
    SetDlgItemTextA(dialog, idMacroTitle, title.c_str());
    if (key) {
      HWND field = GetDlgItem(dialog, idMacroShortCut);
      SetForegroundWindow(dialog);
      SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
      PressChord({VK_CONTROL, VK_MENU, key});
      std::string wanted = std::string("Ctrl+Alt+") + static_cast<char>(key);
      if (!WaitFor([&] { return TextOf(field) == wanted; }, 3000)) return false;
    }
  }
  PostMessageA(dialog, WM_COMMAND, answer, 0);
  return WaitFor([&] { return !IsWindow(dialog); });
}

class MacroEditor : public ::testing::Test {
 protected:
  std::string Macros() const { return FFolder.File("Macros"); }
  std::string Ini() const { return ReadBytes(SettingsFilePath(FFolder.Path())); }
  void Fill(const std::string& name, const std::vector<TMacro>& macros) {
    int catagory = FStore.AddCatagory(name);
    for (const TMacro& macro : macros) FStore.AddMacro(catagory, macro);
  }
  // Each row's hidden index names the record the row shows.
  void ExpectRowsMatchTheStore(const TEditorRun& editor, int catagory) {
    const TMacroList& macros = FStore.Items[catagory].Macros;
    std::vector<TRow> rows = editor.Rows();
    ASSERT_EQ(rows.size(), macros.size());
    for (const TRow& row : rows) {
      ASSERT_GE(row.Macro, 0);
      ASSERT_LT(row.Macro, static_cast<int>(macros.size()));
      const TMacro& macro = macros[row.Macro];
      EXPECT_EQ(row, (TRow{GetTitle(macro), MacroTypeName(macro.MacroType), ShortCutText(macro.ShortCut), row.Macro}));
    }
  }

  TTempFolder FFolder;
  TCatagories FStore{FFolder.File("Macros")};
};

#define OPEN_EDITOR(name)               \
  TEditorRun name(FStore, FFolder.Path()); \
  ASSERT_TRUE(name.Window()) << "the macro editor did not appear"

}  // namespace

TEST_F(MacroEditor, AnEmptyStoreOffersOnlyAddCatagoryAndTheFirstCatagoryReplacesThePlaceholder) {
  OPEN_EDITOR(editor);
  EXPECT_EQ(editor.Entries(), std::vector<std::string>{kNoCatagories});
  EXPECT_EQ(editor.ChosenEntry(), 0);
  EXPECT_TRUE(editor.Rows().empty());
  EXPECT_TRUE(editor.Enabled(idOptionsAddCat));
  EXPECT_FALSE(editor.Enabled(idOptionsRemoveCat));
  EXPECT_FALSE(editor.Enabled(idOptionsAddMacro));
  EXPECT_FALSE(editor.Enabled(idOptionsEditMacro));
  EXPECT_FALSE(editor.Enabled(idOptionsRemoveMacro));
  EXPECT_EQ(TextOf(editor.Control(idOptionsCatagoryLabel)), "Catagory:");

  // Cancel and an empty name change nothing.
  editor.Click(idOptionsAddCat);
  ASSERT_TRUE(AnswerInputBox("Add Catagory", nullptr));
  editor.Click(idOptionsAddCat);
  std::string empty;
  ASSERT_TRUE(AnswerInputBox("Add Catagory", &empty));
  EXPECT_EQ(editor.Entries(), std::vector<std::string>{kNoCatagories});
  EXPECT_TRUE(FStore.Items.empty());

  editor.Click(idOptionsAddCat);
  std::string name = "Work";
  ASSERT_TRUE(AnswerInputBox("Add Catagory", &name));
  ASSERT_TRUE(WaitFor([&] { return editor.Entries() == std::vector<std::string>{"Work"}; }));
  EXPECT_EQ(editor.ChosenEntry(), 0);
  ASSERT_EQ(FStore.Items.size(), 1u);
  EXPECT_TRUE(FileExists(FStore.CatagoryFileName("Work")));
  EXPECT_TRUE(editor.Enabled(idOptionsAddMacro));
  EXPECT_TRUE(editor.Enabled(idOptionsRemoveCat));
  EXPECT_FALSE(editor.Enabled(idOptionsEditMacro)) << "no row to edit";

  // A second category of the same name (in other case) adds nothing: it is
  // refused with the reason and asked for again as typed.
  editor.Click(idOptionsAddCat);
  std::string same = "WORK";
  ASSERT_TRUE(AnswerInputBox("Add Catagory", &same));
  EXPECT_EQ(AnswerMessageBox("Error", IDOK), "A catagory named 'WORK' already exists. Please choose another name.");
  HWND again = WaitForWindow("Add Catagory");
  ASSERT_TRUE(again) << "the name is asked for again";
  EXPECT_EQ(TextOf(FindWindowExA(again, nullptr, "Edit", nullptr)), "WORK");
  ASSERT_TRUE(AnswerInputBox("Add Catagory", nullptr));
  EXPECT_EQ(editor.Entries(), std::vector<std::string>{"Work"});
  EXPECT_EQ(FStore.Items.size(), 1u);
}

TEST_F(MacroEditor, WindowCaptionSizeColumnsAndButtons) {
  OPEN_EDITOR(editor);
  EXPECT_EQ(TextOf(editor.Window()), std::string("Zarvel ") + kVersion);
  MINMAXINFO limits{};
  SendMessageA(editor.Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 476);
  EXPECT_EQ(limits.ptMinTrackSize.y, 320);
  RECT outer;
  GetWindowRect(editor.Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 476);
  EXPECT_EQ(outer.bottom - outer.top, 320);
  LONG_PTR style = GetWindowLongPtrA(editor.Window(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_THICKFRAME);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ASSERT_TRUE(WaitFor([&] {
    return GetGUIThreadInfo(GetWindowThreadProcessId(editor.Window(), nullptr), &thread) &&
           thread.hwndFocus == editor.List();
  })) << "the list has the focus";

  HWND header = reinterpret_cast<HWND>(SendMessageA(editor.List(), LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3) << "the index has no column";
  const char* captions[] = {"Title", "Type", "Shortcut"};
  for (int column = 0; column < 3; ++column) {
    char text[64] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    SendMessageA(editor.List(), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, captions[column]);
  }
  EXPECT_EQ(SendMessageA(editor.List(), LVM_GETCOLUMNWIDTH, 0, 0), 250);

  struct TButton {
    int Bar, Id;
    const char* Caption;
  } buttons[] = {{idOptionsToolbar, idOptionsAddMacro, "Add Macro"},
                 {idOptionsToolbar, idOptionsEditMacro, "Edit Macro"},
                 {idOptionsToolbar, idOptionsRemoveMacro, "Delete Macro"},
                 {idOptionsCatToolbar, idOptionsAddCat, "Add Catagory"},
                 {idOptionsCatToolbar, idOptionsRemoveCat, "Remove Catagory"}};
  for (const TButton& button : buttons) {
    char text[64] = {};
    SendMessageA(editor.Control(button.Bar), TB_GETBUTTONTEXTA, button.Id, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, button.Caption);
    RECT item{};
    SendMessageA(editor.Control(button.Bar), TB_GETRECT, button.Id, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.right - item.left, button.Bar == idOptionsToolbar ? 71 : 92) << button.Caption;
    EXPECT_EQ(item.bottom - item.top, 52) << button.Caption;
  }
  // The category buttons sit at the right edge, the macro buttons at the left.
  RECT client, catBar, macroBar;
  GetClientRect(editor.Window(), &client);
  GetWindowRect(editor.Control(idOptionsCatToolbar), &catBar);
  GetWindowRect(editor.Control(idOptionsToolbar), &macroBar);
  MapWindowPoints(nullptr, editor.Window(), reinterpret_cast<POINT*>(&catBar), 2);
  MapWindowPoints(nullptr, editor.Window(), reinterpret_cast<POINT*>(&macroBar), 2);
  EXPECT_EQ(catBar.right, client.right);
  EXPECT_EQ(macroBar.left, 0);
  EXPECT_EQ(catBar.bottom, client.bottom);
}

TEST_F(MacroEditor, RowsAreSortedByEachColumnInBothDirectionsWithTheMarkInTheHeader) {
  Fill("Mixed", {MakeMacro("banana", mtLineMode, 0xC042),     // Ctrl+Alt+B
                 MakeMacro("Apple", mtRunProgram, 0),         // no shortcut
                 MakeMacro("cherry", mtBlockMode, 0x4041),    // Ctrl+A
                 MakeMacro("Date", mtEmail, 0x2070)});        // Shift+F1
  OPEN_EDITOR(editor);
  // Opened sorted by title, ascending, case aside; the first row chosen.
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"Apple", "banana", "cherry", "Date"}));
  EXPECT_EQ(editor.SelectedRow(), 0);
  EXPECT_EQ(editor.HeaderImage(ocTitle), 1);
  EXPECT_TRUE(editor.MarkOnTheRight(ocTitle));
  EXPECT_EQ(editor.HeaderImage(ocType), -1);
  ExpectRowsMatchTheStore(editor, 0);

  editor.ClickColumn(ocTitle);
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"Date", "cherry", "banana", "Apple"}));
  EXPECT_EQ(editor.HeaderImage(ocTitle), 2);

  editor.ClickColumn(ocType);  // Block Mode, Email, Line Mode, Run Program
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"cherry", "Date", "banana", "Apple"}));
  EXPECT_EQ(editor.HeaderImage(ocType), 1);
  EXPECT_EQ(editor.HeaderImage(ocTitle), -1) << "the title loses its mark";
  editor.ClickColumn(ocType);
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"Apple", "banana", "Date", "cherry"}));
  EXPECT_EQ(editor.HeaderImage(ocType), 2);

  editor.ClickColumn(ocShortCut);  // "", Ctrl+A, Ctrl+Alt+B, Shift+F1
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"Apple", "cherry", "banana", "Date"}));
  EXPECT_EQ(editor.HeaderImage(ocShortCut), 1);
  EXPECT_EQ(editor.HeaderImage(ocType), -1);
  editor.ClickColumn(ocShortCut);
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"Date", "banana", "cherry", "Apple"}));
  ExpectRowsMatchTheStore(editor, 0);

  // A click on another column starts that one ascending again.
  editor.ClickColumn(ocTitle);
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"Apple", "banana", "cherry", "Date"}));
}

TEST_F(MacroEditor, DeletingAMacroRebuildsTheListSoEveryHiddenIndexMatchesTheStore) {
  Fill("Letters", {MakeMacro("A", mtBlockMode, 0), MakeMacro("B", mtLineMode, 0), MakeMacro("C", mtStripTags, 0),
                   MakeMacro("D", mtTidyHTML, 0)});
  OPEN_EDITOR(editor);
  ASSERT_EQ(editor.Titles(), (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_TRUE(editor.Enabled(idOptionsEditMacro));
  EXPECT_TRUE(editor.Enabled(idOptionsRemoveMacro));

  // No keeps everything.
  editor.SelectRow(1);
  editor.PressInList(VK_DELETE);
  EXPECT_EQ(AnswerMessageBox("Delete Macro", IDNO), "Are you sure you want to remove the macro 'B'?");
  EXPECT_EQ(FStore.Items[0].Macros.size(), 4u);

  // Yes: the last record moves into B's place, and the rows follow.
  editor.Click(idOptionsRemoveMacro);
  EXPECT_EQ(AnswerMessageBox("Delete Macro", IDYES), "Are you sure you want to remove the macro 'B'?");
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().size() == 3; }));
  EXPECT_EQ(GetTitle(FStore.Items[0].Macros[1]), "D");
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"A", "C", "D"}));
  ExpectRowsMatchTheStore(editor, 0);
  EXPECT_EQ(ReadBytes(FStore.CatagoryFileName("Letters")).size(), 3 * sizeof(TMacro));

  // Delete everything: the macro buttons without a row are disabled.
  for (int left = 3; left > 0; --left) {
    editor.SelectRow(0);
    editor.PressInList(VK_DELETE);
    AnswerMessageBox("Delete Macro", IDYES);
    ASSERT_TRUE(WaitFor([&] { return static_cast<int>(editor.Rows().size()) == left - 1; }));
  }
  EXPECT_TRUE(FStore.Items[0].Macros.empty());
  EXPECT_FALSE(editor.Enabled(idOptionsEditMacro));
  EXPECT_FALSE(editor.Enabled(idOptionsRemoveMacro));
  EXPECT_TRUE(editor.Enabled(idOptionsAddMacro));
  // Delete without a row asks nothing.
  editor.PressInList(VK_DELETE);
  Sleep(200);
  EXPECT_EQ(FindOwnWindow("Delete Macro"), nullptr);
}

TEST_F(MacroEditor, RemovingCatagoriesShowsTheStoresNewOrderAndFinallyThePlaceholder) {
  Fill("A", {MakeMacro("in A", mtBlockMode, 0)});
  Fill("B", {MakeMacro("in B", mtBlockMode, 0)});
  Fill("C", {MakeMacro("in C", mtBlockMode, 0)});
  Fill("D", {MakeMacro("in D", mtBlockMode, 0), MakeMacro("also in D", mtLineMode, 0)});
  OPEN_EDITOR(editor);
  std::vector<std::string> names;
  for (const TCatagory& catagory : FStore.Items) names.push_back(catagory.Name);
  ASSERT_EQ(editor.Entries(), names);

  int b = 1;
  ASSERT_EQ(FStore.Items[b].Name, "B");
  editor.ChooseEntry(b);
  EXPECT_EQ(editor.Titles(), std::vector<std::string>{"in B"});
  editor.Click(idOptionsRemoveCat);
  HWND question = WaitForWindow("Delete Catagory");
  ASSERT_TRUE(question);
  // No is the default button and holds the focus: a stray Enter keeps the category.
  EXPECT_EQ((GetWindowLongA(GetDlgItem(question, IDNO), GWL_STYLE) & BS_TYPEMASK), BS_DEFPUSHBUTTON);
  EXPECT_EQ((GetWindowLongA(GetDlgItem(question, IDYES), GWL_STYLE) & BS_TYPEMASK), BS_PUSHBUTTON);
  GUITHREADINFO focus{};
  focus.cbSize = sizeof focus;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(question, nullptr), &focus));
  EXPECT_EQ(focus.hwndFocus, GetDlgItem(question, IDNO));
  // Where the file goes, the question says; where the bin cannot take it,
  // that the removal is for good.
  const std::string asked = "Are you sure you want to remove the catagory 'B'?\n\n";
  std::string message = AnswerMessageBox("Delete Catagory", IDNO);
  EXPECT_TRUE(message == asked + "Its file goes to the Recycle Bin." ||
              message == asked + "Its folder has no Recycle Bin: the file will be deleted permanently.")
      << message;
  EXPECT_EQ(FStore.Items.size(), 4u);
  editor.Click(idOptionsRemoveCat);
  AnswerMessageBox("Delete Catagory", IDYES);
  ASSERT_TRUE(WaitFor([&] { return editor.Entries().size() == 3; }));
  EXPECT_FALSE(FileExists(FStore.CatagoryFileName("B")));
  EXPECT_EQ(editor.Entries(), (std::vector<std::string>{"A", "D", "C"}));
  EXPECT_EQ(editor.ChosenEntry(), 0);
  // Each entry shows its own macros.
  for (int entry = 0; entry < 3; ++entry) {
    editor.ChooseEntry(entry);
    ExpectRowsMatchTheStore(editor, entry);
  }

  for (int left = 3; left > 0; --left) {
    editor.Click(idOptionsRemoveCat);
    AnswerMessageBox("Delete Catagory", IDYES);
    ASSERT_TRUE(WaitFor([&] { return FStore.Items.size() == static_cast<std::size_t>(left - 1); }));
  }
  ASSERT_TRUE(WaitFor([&] { return editor.Entries() == std::vector<std::string>{kNoCatagories}; }));
  EXPECT_TRUE(editor.Rows().empty());
  EXPECT_FALSE(editor.Enabled(idOptionsAddMacro));
  EXPECT_FALSE(editor.Enabled(idOptionsRemoveCat));
  EXPECT_TRUE(editor.Enabled(idOptionsAddCat));
  // Remove with only the placeholder asks nothing.
  editor.Click(idOptionsRemoveCat);
  Sleep(200);
  EXPECT_EQ(FindOwnWindow("Delete Catagory"), nullptr);
}

TEST_F(MacroEditor, AStoreErrorIsShownAndTheListsStayAsTheStoreIs) {
  Fill("Kept", {});
  OPEN_EDITOR(editor);
  editor.Click(idOptionsAddCat);
  std::string bad = "no?good";
  ASSERT_TRUE(AnswerInputBox("Add Catagory", &bad));
  std::string message = AnswerMessageBox("Error", IDOK);
  EXPECT_NE(message.find("Cannot create"), std::string::npos) << message;
  ASSERT_TRUE(AnswerInputBox("Add Catagory", nullptr)) << "the name is asked for again";
  EXPECT_EQ(editor.Entries(), std::vector<std::string>{"Kept"});
  EXPECT_EQ(FStore.Items.size(), 1u);
  EXPECT_TRUE(IsWindow(editor.Window())) << "the editor stays open";
}

TEST_F(MacroEditor, EscapeClosesAndTheBoundsComeBackAtTheNextOpen) {
  {
    OPEN_EDITOR(editor);
    SetWindowPos(editor.Window(), nullptr, 40, 30, 600, 420, SWP_NOZORDER);
    editor.PressInList(VK_ESCAPE);
    ASSERT_TRUE(editor.Closed());
  }
  EXPECT_EQ(ReadSettingInt(FFolder.Path(), "MacroEditor", "Left", -1), 40) << Ini();
  EXPECT_EQ(ReadSettingInt(FFolder.Path(), "MacroEditor", "Top", -1), 30);
  EXPECT_EQ(ReadSettingInt(FFolder.Path(), "MacroEditor", "Width", -1), 600);
  EXPECT_EQ(ReadSettingInt(FFolder.Path(), "MacroEditor", "Height", -1), 420);
  {
    OPEN_EDITOR(editor);
    RECT outer;
    GetWindowRect(editor.Window(), &outer);
    EXPECT_EQ(outer.left, 40);
    EXPECT_EQ(outer.top, 30);
    EXPECT_EQ(outer.right - outer.left, 600);
    EXPECT_EQ(outer.bottom - outer.top, 420);
    // The close box too writes the bounds.
    SetWindowPos(editor.Window(), nullptr, 50, 60, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    PostMessageA(editor.Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(editor.Closed());
  }
  EXPECT_EQ(ReadSettingInt(FFolder.Path(), "MacroEditor", "Left", -1), 50);
  EXPECT_EQ(ReadSettingInt(FFolder.Path(), "MacroEditor", "Top", -1), 60);
}

TEST_F(MacroEditor, NegativeOrOffScreenBoundsGiveTheDesignedWindowInView) {
  WriteBytes(SettingsFilePath(FFolder.Path()), "[MacroEditor]\r\nLeft=-1\r\nTop=-1\r\nWidth=-1\r\nHeight=-1\r\n");
  {
    OPEN_EDITOR(editor);
    RECT outer;
    GetWindowRect(editor.Window(), &outer);
    EXPECT_EQ(outer.right - outer.left, 476);
    EXPECT_EQ(outer.bottom - outer.top, 320);
    EXPECT_GE(outer.left, 0);
    EXPECT_GE(outer.top, 0);
  }
  WriteBytes(SettingsFilePath(FFolder.Path()), "[MacroEditor]\r\nLeft=-30000\r\nTop=20\r\nWidth=500\r\nHeight=340\r\n");
  {
    OPEN_EDITOR(editor);
    RECT outer;
    GetWindowRect(editor.Window(), &outer);
    EXPECT_EQ(outer.right - outer.left, 500);
    EXPECT_GE(outer.left, GetSystemMetrics(SM_XVIRTUALSCREEN)) << "brought back from off every monitor";
  }
}

TEST_F(MacroEditor, AddAndEditGoThroughThePropertiesDialogAndTheRowsFollowInPlace) {
  Fill("Tools", {MakeMacro("b", mtBlockMode, 0xC042), MakeMacro("a", mtLineMode, 0xC041)});
  OPEN_EDITOR(editor);
  ASSERT_EQ(editor.Titles(), (std::vector<std::string>{"a", "b"}));

  // Cancel adds nothing.
  editor.Click(idOptionsAddMacro);
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'untitled'", "", 0, IDCANCEL));
  EXPECT_EQ(FStore.Items[0].Macros.size(), 2u);

  // A new macro goes to the end of the list however it is sorted.
  editor.Click(idOptionsAddMacro);
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'untitled'", "0 first", 'N', IDOK));
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().size() == 3; }));
  EXPECT_EQ(editor.Rows().back(), (TRow{"0 first", "Block Mode", "Ctrl+Alt+N", 2}));
  EXPECT_EQ(editor.SelectedRow(), 2);
  ASSERT_EQ(FStore.Items[0].Macros.size(), 3u);
  EXPECT_EQ(ReadBytes(FStore.CatagoryFileName("Tools")).size(), 3 * sizeof(TMacro));

  // Enter opens the chosen row; OK changes it in place, without a new sort.
  editor.SelectRow(0);
  editor.PressInList(VK_RETURN);
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'a'", "zz", 0, IDOK));
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().front().Title == "zz"; }));
  EXPECT_EQ(editor.Titles(), (std::vector<std::string>{"zz", "b", "0 first"}));
  EXPECT_EQ(GetTitle(FStore.Items[0].Macros[1]), "zz");
  TCatagories reloaded(Macros());
  EXPECT_EQ(GetTitle(reloaded.Items[0].Macros[1]), "zz") << "written to the file at once";
  ExpectRowsMatchTheStore(editor, 0);
}

TEST_F(MacroEditor, AFileThatCannotBeWrittenLeavesMemoryAndTheListAsTheFileIs) {
  Fill("Tools", {MakeMacro("b", mtBlockMode, 0xC042)});
  OPEN_EDITOR(editor);
  // The category file becomes a folder: every write to it fails.
  std::filesystem::remove(FStore.CatagoryFileName("Tools"));
  std::filesystem::create_directory(FStore.CatagoryFileName("Tools"));

  editor.SelectRow(0);
  editor.Click(idOptionsEditMacro);
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'b'", "changed", 0, IDOK));
  EXPECT_NE(AnswerMessageBox("Error", IDOK), "(no box 'Error')");
  EXPECT_EQ(GetTitle(FStore.Items[0].Macros[0]), "b") << "memory keeps what the file holds";
  EXPECT_EQ(editor.Titles(), std::vector<std::string>{"b"});

  editor.Click(idOptionsAddMacro);
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'untitled'", "new one", 'M', IDOK));
  EXPECT_NE(AnswerMessageBox("Error", IDOK), "(no box 'Error')");
  // The new macro is not lost: the dialog comes back with what was typed.
  HWND again = WaitForWindow("Edit Macro 'new one'");
  ASSERT_TRUE(again) << "the properties dialog did not come back";
  EXPECT_EQ(TextOf(GetDlgItem(again, idMacroTitle)), "new one");
  EXPECT_EQ(TextOf(GetDlgItem(again, idMacroShortCut)), "Ctrl+Alt+M");
  // Written again once the file can take it.
  std::filesystem::remove(FStore.CatagoryFileName("Tools"));
  WriteBytes(FStore.CatagoryFileName("Tools"), std::string(reinterpret_cast<const char*>(&FStore.Items[0].Macros[0]),
                                                            sizeof(TMacro)));
  // The store may first see the file as changed by another program: it
  // reads it again, says so, and the dialog comes back once more.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'new one'", "new one", 0, IDOK));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return FStore.Items[0].Macros.size() == 2u || (box = FindOwnWindow("Error")); }));
    if (!box) break;
    EXPECT_NE(MessageOf(box).find("Another program has changed"), std::string::npos) << MessageOf(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  ASSERT_EQ(FStore.Items[0].Macros.size(), 2u);
  EXPECT_EQ(GetTitle(FStore.Items[0].Macros[1]), "new one");
  ASSERT_TRUE(WaitFor([&] { return editor.Titles().size() == 2u; }));
  FStore.RemoveMacro(0, 1);  // back as the checks below expect it
  editor.ChooseEntry(0);
  EXPECT_EQ(FStore.Items[0].Macros.size(), 1u);
  EXPECT_EQ(editor.Titles(), std::vector<std::string>{"b"});
  ExpectRowsMatchTheStore(editor, 0);
}

namespace {

// Real keys for the window: it must be in front first.
void PressKeys(HWND window, std::initializer_list<WORD> keys) {
  SetForegroundWindow(window);
  WaitFor([&] { return GetForegroundWindow() == window; }, 2000);
  PressChord(keys);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
  return thread.hwndFocus;
}

// The items of the popup menu now open, as "text" with its tab and key.
std::vector<std::string> OpenMenuItems(HWND* menuWindow) {
  constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
  HWND popup = WaitForValue([] {
    HWND found = FindWindowA("#32768", nullptr);
    return found && IsWindowVisible(found) && SendMessageA(found, kGetMenu, 0, 0) ? found : nullptr;
  });
  if (menuWindow) *menuWindow = popup;
  std::vector<std::string> items;
  if (!popup) return items;
  Sleep(300);  // the menu's own loop takes the keys from now on
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, kGetMenu, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    if (state & MF_SEPARATOR)
      items.push_back("-");
    else
      items.push_back(std::string(text) + ((state & MF_GRAYED) ? " (off)" : ""));
  }
  return items;
}

}  // namespace

TEST_F(MacroEditor, TheSearchFindsMacrosOfEveryCatagoryAndEscapeClearsItBeforeClosing) {
  TMacro quote = MakeMacro("Quote", mtBlockMode, 0xC042);  // Ctrl+Alt+B
  SetMacroText(quote, mxFirstLine, "<blockquote>");
  Fill("Web", {MakeMacro("Bold", mtBlockMode, 0), quote});
  Fill("Text", {MakeMacro("Upper", mtLineMode, 0), MakeMacro("bolder", mtRunProgram, 0)});
  OPEN_EDITOR(editor);
  HWND search = editor.Control(idOptionsSearch);
  HWND header = reinterpret_cast<HWND>(SendMessageA(editor.List(), LVM_GETHEADER, 0, 0));

  struct TCase {
    const char* query;
    std::vector<std::string> titles;
  } cases[] = {{"BOLD", {"Bold", "bolder"}},                // title, either case, both categories
               {"ctrl+alt+b", {"Quote"}},                   // shortcut text
               {"line mode", {"Upper"}},                    // kind
               {"  blockquote ", {"Quote"}},                // template text, blanks aside
               {"nothing like it", {}}};
  for (const TCase& c : cases) {
    SetWindowTextA(search, c.query);
    EXPECT_EQ(editor.Titles(), c.titles) << c.query;
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 4) << "a Catagory column while searching";
  }
  SetWindowTextA(search, "bold");
  std::vector<TRow> rows = editor.Rows();
  ASSERT_EQ(rows.size(), 2u);
  char where[64] = {};
  ListView_GetItemText(editor.List(), 1, ocCatagory, where, sizeof where);
  EXPECT_STREQ(where, "Text");
  // Down walks the rows from the box, Enter opens the found macro.
  SetFocus(search);
  PostMessageA(search, WM_KEYDOWN, VK_DOWN, 1);
  ASSERT_TRUE(WaitFor([&] { return editor.SelectedRow() == 1; }));
  PressKeys(editor.Window(), {VK_RETURN});
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'bolder'", "", 0, IDCANCEL));

  // Escape clears the query and shows the chosen category again; the next closes.
  PressKeys(editor.Window(), {VK_ESCAPE});
  ASSERT_TRUE(WaitFor([&] { return TextOf(search).empty(); }));
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
  ExpectRowsMatchTheStore(editor, editor.ChosenEntry());
  EXPECT_TRUE(IsWindow(editor.Window()));
  PressKeys(editor.Window(), {VK_CONTROL, 'F'});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(editor.Window()) == search; })) << "Ctrl+F";
  PressKeys(editor.Window(), {VK_ESCAPE});
  ASSERT_TRUE(editor.Closed());
}

TEST_F(MacroEditor, EveryCommandIsReachedFromTheKeyboard) {
  Fill("Web", {MakeMacro("Bold", mtBlockMode, 0xC042)});
  Fill("Text", {});
  OPEN_EDITOR(editor);
  editor.ChooseEntry(FindCatagory(FStore, "Web"));
  ASSERT_TRUE(WaitFor([&] { return FocusOf(editor.Window()) == editor.List(); }));
  PressKeys(editor.Window(), {VK_CONTROL, 'N'});
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'untitled'", "", 0, IDCANCEL)) << "Ctrl+N";
  PressKeys(editor.Window(), {VK_CONTROL, VK_SHIFT, 'N'});
  ASSERT_TRUE(AnswerInputBox("Add Catagory", nullptr)) << "Ctrl+Shift+N";

  // The toolbars are in the tab order; Enter presses the button shown.
  PressKeys(editor.Window(), {VK_TAB});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(editor.Window()) == editor.Control(idOptionsToolbar); }));
  PressKeys(editor.Window(), {VK_RIGHT});
  PressKeys(editor.Window(), {VK_RETURN});
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'Bold'", "", 0, IDCANCEL)) << "Edit Macro from its button";
  PressKeys(editor.Window(), {VK_SHIFT, VK_TAB});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(editor.Window()) == editor.List(); })) << "Shift+Tab back to the list";

  // The menu key opens the list's menu; a letter chooses from it.
  PressKeys(editor.Window(), {VK_APPS});
  std::vector<std::string> items = OpenMenuItems(nullptr);
  EXPECT_EQ(items, (std::vector<std::string>{"&Add Macro\tCtrl+N", "&Edit Macro\tEnter", "Dupli&cate Macro\tCtrl+D",
                                             "&Move to Catagory", "&Delete Macro\tDel", "-", "&Undo\tCtrl+Z (off)", "-",
                                             "E&xport...", "&Import..."}));
  PressChord({'C'});  // the menu keeps the keyboard: nothing to bring forward
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().size() == 2; })) << "Duplicate";
  const TMacroList& web = FStore.Items[FindCatagory(FStore, "Web")].Macros;
  EXPECT_EQ(GetTitle(web[1]), "Bold (copy)");
  EXPECT_EQ(web[1].ShortCut, 0);

  // Shift+F10, then the submenu of categories: the copy moves to Text.
  editor.SelectRow(1);
  PressKeys(editor.Window(), {VK_SHIFT, VK_F10});
  ASSERT_FALSE(OpenMenuItems(nullptr).empty());
  PressChord({'M'});
  Sleep(200);
  PressChord({VK_RETURN});
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().size() == 1; })) << "Move";
  TCatagories reloaded(Macros());
  EXPECT_EQ(reloaded.Items[FindCatagory(reloaded, "Text")].Macros.size(), 1u);

  // F2 renames the chosen category, file and all.
  PressKeys(editor.Window(), {VK_F2});
  std::string name = "Pages";
  ASSERT_TRUE(AnswerInputBox("Rename Catagory", &name));
  ASSERT_TRUE(WaitFor([&] { return editor.Entries()[editor.ChosenEntry()] == "Pages"; }));
  EXPECT_TRUE(FileExists(FStore.CatagoryFileName("Pages")));
  EXPECT_FALSE(FileExists(PathJoin(Macros(), "Web.cat")));

  // The category box has a menu of its own.
  PressKeys(editor.Window(), {VK_CONTROL, 'F'});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(editor.Window()) == editor.Control(idOptionsSearch); }));
  PressKeys(editor.Window(), {VK_SHIFT, VK_TAB});
  ASSERT_TRUE(WaitFor([&] { return FocusOf(editor.Window()) == editor.Combo(); }));
  PressKeys(editor.Window(), {VK_SHIFT, VK_F10});
  EXPECT_EQ(OpenMenuItems(nullptr),
            (std::vector<std::string>{"&Add Catagory\tCtrl+Shift+N", "&Rename Catagory...\tF2", "Re&move Catagory",
                                      "-", "&Undo\tCtrl+Z (off)", "-", "E&xport...", "&Import..."}));
  PressChord({VK_ESCAPE});
  ASSERT_TRUE(WaitFor([] { return FindWindowA("#32768", nullptr) == nullptr || !IsWindowVisible(FindWindowA("#32768", nullptr)); }));
  EXPECT_TRUE(IsWindow(editor.Window())) << "Escape closed the menu only";
}

TEST_F(MacroEditor, CtrlZBringsBackTheLastDeletedMacroOrCatagory) {
  Fill("Web", {MakeMacro("Bold", mtBlockMode, 0xC042), MakeMacro("Link", mtLineMode, 0)});
  Fill("Text", {MakeMacro("Upper", mtLineMode, 0)});
  std::string webBytes = ReadBytes(FStore.CatagoryFileName("Web"));
  OPEN_EDITOR(editor);
  editor.ChooseEntry(FindCatagory(FStore, "Web"));
  editor.SelectRow(0);  // Bold
  editor.PressInList(VK_DELETE);
  AnswerMessageBox("Delete Macro", IDYES);
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().size() == 1; }));
  PressKeys(editor.Window(), {VK_CONTROL, 'Z'});
  ASSERT_TRUE(WaitFor([&] { return editor.Rows().size() == 2; }));
  std::string bytes = ReadBytes(FStore.CatagoryFileName("Web"));
  EXPECT_TRUE(bytes.substr(0, kMacroRecordSize) == webBytes.substr(kMacroRecordSize) &&
              bytes.substr(kMacroRecordSize) == webBytes.substr(0, kMacroRecordSize))
      << "Link moved into Bold's place, Bold came back behind it";
  EXPECT_EQ(editor.Titles()[editor.SelectedRow()], "Bold");

  editor.Click(idOptionsRemoveCat);
  AnswerMessageBox("Delete Catagory", IDYES);
  ASSERT_TRUE(WaitFor([&] { return FStore.Items.size() == 1; }));
  editor.Click(idOptionsUndo);
  ASSERT_TRUE(WaitFor([&] { return ReadBytes(PathJoin(Macros(), "Web.cat")) == bytes; }))
      << "the category comes back with every record";
  EXPECT_EQ(editor.Entries()[editor.ChosenEntry()], "Web");
}

TEST_F(MacroEditor, ChangesOnDiskShowUpKeepingTheChoiceAndWaitForAnOpenDialog) {
  Fill("Alpha", {MakeMacro("a", mtBlockMode, 0xC041)});
  Fill("Beta", {MakeMacro("w", mtBlockMode, 0xC057), MakeMacro("x", mtBlockMode, 0xC058)});
  OPEN_EDITOR(editor);
  editor.ChooseEntry(1);
  editor.SelectRow(1);
  ASSERT_EQ(editor.Rows()[editor.SelectedRow()].Title, "x");

  // Another program: Alpha goes, Beta gains a macro, Gamma comes.
  TCatagories other(Macros());
  other.RemoveCatagory(FindCatagory(other, "Alpha"));
  other.AddMacro(FindCatagory(other, "Beta"), MakeMacro("v", mtBlockMode, 0xC056));
  other.AddMacro(other.AddCatagory("Gamma"), MakeMacro("g", mtBlockMode, 0xC047));
  PostMessageA(editor.Window(), WM_MACROEDITORFILESCHANGED, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return editor.Entries() == std::vector<std::string>{"Beta", "Gamma"}; }))
      << "the categories were not shown anew";
  EXPECT_EQ(editor.ChosenEntry(), 0) << "Beta is no longer chosen";
  ExpectRowsMatchTheStore(editor, 0);
  ASSERT_GE(editor.SelectedRow(), 0);
  EXPECT_EQ(editor.Rows()[editor.SelectedRow()].Title, "x") << "the chosen macro was lost";

  // With the properties dialog open the store's indexes are in use: the
  // reload waits, and the new macro goes where the dialog was opened for.
  editor.Click(idOptionsAddMacro);
  ASSERT_TRUE(WaitForWindow("Edit Macro 'untitled'"));
  other.AddMacro(FindCatagory(other, "Gamma"), MakeMacro("h", mtBlockMode, 0xC048));
  PostMessageA(editor.Window(), WM_MACROEDITORFILESCHANGED, 0, 0);
  Sleep(300);
  EXPECT_EQ(FStore.Items[1].Macros.size(), 1u) << "the store was read again under the open dialog";
  ASSERT_TRUE(AnswerPropertiesDialog("Edit Macro 'untitled'", "new", 'N', IDOK));
  EXPECT_TRUE(WaitFor([&] { return FStore.Items[1].Macros.size() == 2u; })) << "the delayed reload never came";
  EXPECT_EQ(FStore.Items[0].Macros.size(), 4u);
  EXPECT_EQ(GetTitle(FStore.Items[0].Macros[3]), "new");
}

namespace {

// Types a name into the open "Add Catagory" box as Unicode and presses OK.
bool AnswerInputBoxW(const wchar_t* text) {
  HWND box = WaitForWindow("Add Catagory");
  HWND edit = box ? FindWindowExW(box, nullptr, L"Edit", nullptr) : nullptr;
  if (!edit) return false;
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return !IsWindow(box); });
}

std::wstring EntryW(HWND combo, int entry) {
  wchar_t text[64] = {};
  SendMessageW(combo, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

TEST_F(MacroEditor, AnAnsiFolderIsShownAsUnicodeAndWhatItCannotHoldIsRefusedByName) {
  if (GetACP() != 1252) GTEST_SKIP() << "written for the ANSI code page 1252";
  Fill("Caf\xE9", {MakeMacro("R\xE9sum\xE9", mtBlockMode, 0)});
  OPEN_EDITOR(editor);
  EXPECT_EQ(EntryW(editor.Combo(), 0), L"Caf\xE9");
  wchar_t title[64] = {};
  LVITEMW item{};
  item.pszText = title;
  item.cchTextMax = 64;
  SendMessageW(editor.List(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(title, L"R\xE9sum\xE9");

  editor.Click(idOptionsAddCat);
  ASSERT_TRUE(AnswerInputBoxW(L"\x65E5 \xC9t\xE9"));
  std::string message = AnswerMessageBox("Error", IDOK);
  EXPECT_NE(message.find("(U+65E5)"), std::string::npos) << message;
  EXPECT_NE(message.find("Store macros as Unicode"), std::string::npos) << message;
  EXPECT_EQ(FStore.Items.size(), 1u) << "nothing written";
  ASSERT_TRUE(AnswerInputBoxW(L"\xC9t\xE9")) << "the name is asked for again";
  ASSERT_TRUE(WaitFor([&] { return FStore.Items.size() == 2; }));
  EXPECT_EQ(FStore.Items[1].Name, "\xC9t\xE9") << "stored in the code page";
  EXPECT_TRUE(FileExists(FStore.CatagoryFileName("\xC9t\xE9")));
  EXPECT_EQ(EntryW(editor.Combo(), 1), L"\xC9t\xE9");
}
