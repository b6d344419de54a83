#include "editor/formInclude_win.h"
#include "base/PathParts.h"

#include <windows.h>

#include <commctrl.h>

#include <exception>
#include <vector>

#include "base/OsFile.h"
#include "editor/MacroForm.h"
#include "editor/UnicodeCommand.h"
#include "editor/formMethods_win.h"
#include "store/ShortCut.h"
#include "store/IncludeList.h"
#include "store/Settings.h"
#include "store/SettingsActions.h"
#include "wingui/ShortCutField_win.h"
#include "wingui/DialogBase_win.h"
#include "wingui/FileDialog_win.h"
#include "base/CodePage.h"
#include "base/WideText_win.h"

namespace {

// The designed window, outside border included, and its smallest size.
constexpr int kDesignWidth = 411;
constexpr int kDesignHeight = 367;
constexpr int kMinWidth = 228;
constexpr int kMinHeight = 254;
// The macro picker's row and the Unicode button's row add this much to the
// General Settings group.
constexpr int kPickerRow = 24;
constexpr int kUnicodeRow = 30;

const int kCopyChoiceIds[kCopyChoiceCount] = {idIncludeAlways, idIncludeConfirm, idIncludeNever};
// Tries a delayed reload again until the window's own dialog has closed.
constexpr UINT_PTR kFilesChangedTimer = 41;
constexpr UINT kFilesChangedRetryMs = 250;

class TfrmInclude : public TDialogBase {
 public:
  TfrmInclude(TIncludeList& list, const std::string& exeName, TShortCutHolder holder)
      : FList(list), FExeName(exeName), FExeDir(FolderOfPath(exeName)), FMacrosDir(PathJoin(FExeDir, "Macros")),
        FHolder(std::move(holder)) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void CreateControls();
  void Layout();
  void FillIncludes();
  // Ticks the stored copy rule's choice, writing nothing, and notes the file.
  void ShowCopyRule();
  void FilesChanged(bool include, bool settings);
  void chkStartupClick();
  void CopyClick();
  void cmdAddClick();
  void cmdRemoveClick();
  void chkPickerClick();
  // The Unicode button as the folder now is: offered, or saying it is done.
  void ShowUnicodeState();
  void cmdUnicodeClick();
  // Writes the picker's settings; the window's note of zarvel.ini follows.
  void SavePickerSettings();
  void ShowPickerSettings();
  void txtPickerKeyDown(WPARAM key);
  static LRESULT CALLBACK PickerKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data);
  bool Checked(int id) const { return IsDlgButtonChecked(Handle(), id) == BST_CHECKED; }
  HWND Control(int id) const { return GetDlgItem(Handle(), id); }

  TIncludeList& FList;
  std::string FExeName;
  std::string FExeDir;
  std::string FMacrosDir;
  // The copy rule as the window last read or wrote it, and the file then.
  int FShownRule = 0;
  TFileStamp FSettingsStamp;
  // Changes that came while a dialog of the window was open.
  bool FIncludeChanged = false;
  bool FSettingsChanged = false;
  TShortCutHolder FHolder;
  TPickerSettings FPicker;
};

INT_PTR TfrmInclude::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return TRUE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_SETTINGSFILESCHANGED:
      FilesChanged(wParam != 0, lParam != 0);
      return TRUE;
    case WM_TIMER:
      if (wParam != kFilesChangedTimer) return FALSE;
      FilesChanged(false, false);
      return TRUE;
    case WM_DESTROY:
      RemoveWindowSubclass(Control(idIncludePickerKey), PickerKeyProc, 0);
      return FALSE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      int code = HIWORD(wParam);
      if (code != BN_CLICKED) return FALSE;
      switch (id) {
        case idIncludeStartup: chkStartupClick(); return TRUE;
        case idIncludeAlways:
        case idIncludeConfirm:
        case idIncludeNever: CopyClick(); return TRUE;
        case idIncludeAdd: cmdAddClick(); return TRUE;
        case idIncludeRemove: cmdRemoveClick(); return TRUE;
        case idIncludeMethods:
          ShowMethodsDialog(Handle(), FExeDir);
          ReadFileStamp(SettingsFilePath(FExeDir), FSettingsStamp);  // its own writes
          return TRUE;
        case idIncludePicker: chkPickerClick(); return TRUE;
        case idIncludeUnicode: cmdUnicodeClick(); return TRUE;
        case idIncludeClose: EndDialog(Handle(), IDCANCEL); return TRUE;
        default: return TRUE;  // Enter without a default button does nothing
      }
    }
  }
  return FALSE;
}

void TfrmInclude::FormCreate() {
  SetMinimumSize(kMinWidth, kMinHeight);
  ShowProgramIcon();
  CreateControls();
  SetWindowPos(Handle(), nullptr, 0, 0, Scale(kDesignWidth), Scale(kDesignHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterOnPointerMonitor();
  Layout();

  FillIncludes();
  // Ticking the box counts as a click: the value is written again with this
  // program's path, so an old location is corrected.
  if (ReadStartWithWindows() == swOn) {
    CheckDlgButton(Handle(), idIncludeStartup, BST_CHECKED);
    chkStartupClick();
  }
  // Confirm is the designed choice; another stored choice is ticked and
  // written back, an unknown number leaves Confirm and writes nothing.
  CheckRadioButton(Handle(), idIncludeAlways, idIncludeNever, idIncludeConfirm);
  int choice = CopyChoiceForRule(ReadImageCopyRule(FExeDir));
  if (choice >= 0 && kCopyChoiceIds[choice] != idIncludeConfirm) {
    CheckRadioButton(Handle(), idIncludeAlways, idIncludeNever, kCopyChoiceIds[choice]);
    FShownRule = ReadImageCopyRule(FExeDir);
    CopyClick();
  }
  FShownRule = ReadImageCopyRule(FExeDir);
  ReadFileStamp(SettingsFilePath(FExeDir), FSettingsStamp);
  ShowPickerSettings();
  ShowUnicodeState();
  SetWindowSubclass(Control(idIncludePickerKey), PickerKeyProc, 0, reinterpret_cast<DWORD_PTR>(this));
  SetForegroundWindow(Handle());
}

void TfrmInclude::ShowCopyRule() {
  FShownRule = ReadImageCopyRule(FExeDir);
  ReadFileStamp(SettingsFilePath(FExeDir), FSettingsStamp);
  int choice = CopyChoiceForRule(FShownRule);
  CheckRadioButton(Handle(), idIncludeAlways, idIncludeNever,
                   kCopyChoiceIds[choice >= 0 ? choice : CopyChoiceForRule(kImageCopyDefault)]);
}

void TfrmInclude::FilesChanged(bool include, bool settings) {
  FIncludeChanged = FIncludeChanged || include;
  FSettingsChanged = FSettingsChanged || settings;
  // A dialog of the window is open (a file picker, the methods window):
  // the lists are shown anew once it has closed.
  if (!IsWindowEnabled(Handle())) {
    SetTimer(Handle(), kFilesChangedTimer, kFilesChangedRetryMs, nullptr);
    return;
  }
  KillTimer(Handle(), kFilesChangedTimer);
  if (FIncludeChanged) {
    try {
      if (FList.Reload()) FillIncludes();
    } catch (const std::exception&) {
      // Damaged now: the list in force stays, and so do its lines.
    }
  }
  if (FSettingsChanged) {
    ShowCopyRule();
    ShowPickerSettings();
  }
  ShowUnicodeState();  // another program may have converted the folder meanwhile
  FIncludeChanged = FSettingsChanged = false;
}

void TfrmInclude::ShowPickerSettings() {
  FPicker = ReadPickerSettings(FExeDir);
  CheckDlgButton(Handle(), idIncludePicker, FPicker.Enabled ? BST_CHECKED : BST_UNCHECKED);
  SetWindowTextA(Control(idIncludePickerKey), ShortCutText(FPicker.ShortCut).c_str());
  EnableWindow(Control(idIncludePickerKey), FPicker.Enabled);
}

void TfrmInclude::CreateControls() {
  AddControl("BUTTON", "General Settings", BS_GROUPBOX, idIncludeGeneral);
  AddControl("BUTTON", "&Run Zarvel at Windows startup...", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
             idIncludeStartup);
  AddControl("STATIC", "Copy images:", SS_LEFT | WS_GROUP, idIncludeCopyLabel);
  AddControl("BUTTON", "&Always", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, idIncludeAlways);
  AddControl("BUTTON", "&Confirm", BS_AUTORADIOBUTTON, idIncludeConfirm);
  AddControl("BUTTON", "&Never", BS_AUTORADIOBUTTON, idIncludeNever);
  AddControl("BUTTON", "Open the macro &picker with", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, idIncludePicker);
  AddControl("EDIT", "", ES_READONLY | WS_TABSTOP, idIncludePickerKey, WS_EX_CLIENTEDGE);
  AddControl("BUTTON", kUnicodeCommandCaption, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, idIncludeUnicode);
  AddControl("BUTTON", "", BS_GROUPBOX | WS_GROUP, idIncludeFrame);
  AddControl("STATIC", "Programs not listed here will be ignored by Zarvel", SS_LEFT | SS_NOPREFIX,
             idIncludeLabel);
  AddControl("LISTBOX", "",
             LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
             idIncludeList, WS_EX_CLIENTEDGE);
  AddControl("BUTTON", "&Add", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, idIncludeAdd);
  AddControl("BUTTON", "&Remove", BS_PUSHBUTTON | WS_TABSTOP, idIncludeRemove);
  AddControl("BUTTON", "&Methods...", BS_PUSHBUTTON | WS_TABSTOP, idIncludeMethods);
  AddControl("BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, idIncludeClose);
}

void TfrmInclude::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  // Design pixels: the client size brought back to 96 DPI.
  int width = MulDiv(client.right, 96, static_cast<int>(Dpi()));
  int height = MulDiv(client.bottom, 96, static_cast<int>(Dpi()));
  auto atLeast0 = [](int v) { return v < 0 ? 0 : v; };

  Place(idIncludeGeneral, 8, 4, atLeast0(width - 16), 70 + kPickerRow + kUnicodeRow);
  Place(idIncludeStartup, 20, 22, atLeast0(width - 40), 17);
  Place(idIncludeCopyLabel, 20, 47, 68, 15);
  Place(idIncludeAlways, 92, 45, 64, 17);
  Place(idIncludeConfirm, 160, 45, 72, 17);
  Place(idIncludeNever, 236, 45, 64, 17);
  Place(idIncludePicker, 20, 70, 168, 17);
  Place(idIncludePickerKey, 192, 68, 120, 21);
  Place(idIncludeUnicode, 20, 94, 190, 25);

  int buttonsTop = height - 33;
  int frameBottom = buttonsTop - 8;
  const int frameTop = 80 + kPickerRow + kUnicodeRow;
  Place(idIncludeFrame, 8, frameTop, atLeast0(width - 16), atLeast0(frameBottom - frameTop));
  Place(idIncludeLabel, 18, frameTop + 12, atLeast0(width - 36), 15);
  Place(idIncludeList, 18, frameTop + 30, atLeast0(width - 36), atLeast0(frameBottom - 10 - frameTop - 30));
  Place(idIncludeAdd, 8, buttonsTop, 75, 25);
  Place(idIncludeRemove, 89, buttonsTop, 75, 25);
  Place(idIncludeClose, atLeast0(width - 83), buttonsTop, 75, 25);
  // How each program is copied from and pasted into; shown where it fits
  // between Remove and Close.
  Place(idIncludeMethods, 170, buttonsTop, 80, 25);
  ShowWindow(Control(idIncludeMethods), width - 83 >= 256 ? SW_SHOW : SW_HIDE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmInclude::FillIncludes() {
  HWND box = Control(idIncludeList);
  SendMessageA(box, WM_SETREDRAW, FALSE, 0);
  SendMessageA(box, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : IncludeLines(FList))
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageA(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
}

void TfrmInclude::chkStartupClick() {
  // A key that cannot be opened or written is not reported.
  WriteStartWithWindows(Checked(idIncludeStartup), FExeName);
}

void TfrmInclude::CopyClick() {
  // Another program changed the rule since the window showed it: the click
  // was made on an old value and must not silently replace the new one.
  TFileStamp now;
  if (ReadFileStamp(SettingsFilePath(FExeDir), now) && now != FSettingsStamp &&
      ReadImageCopyRule(FExeDir) != FShownRule) {
    ShowCopyRule();
    ShowError("Another program has changed " + SettingsFilePath(FExeDir) +
              " since this window read it. The window now shows the settings as they are; please make your "
              "choice again.");
    return;
  }
  for (int choice = 0; choice < kCopyChoiceCount; ++choice)
    if (Checked(kCopyChoiceIds[choice])) {
      WriteImageCopyRule(FExeDir, CopyRuleForChoice(choice));
      FShownRule = ReadImageCopyRule(FExeDir);
      ReadFileStamp(SettingsFilePath(FExeDir), FSettingsStamp);
      return;
    }
}

void TfrmInclude::cmdAddClick() {
  std::string picked;
  if (!PickFile(Handle(), false, kProgramFilter, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, picked)) return;

  std::string name;
  try {
    name = AddIncludeProgram(FList, picked);
  } catch (const std::exception& error) {
    // Nothing was added: the list and the lines are as before.
    ShowError(error.what());
    return;
  }
  HWND box = Control(idIncludeList);
  LRESULT line = SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void TfrmInclude::cmdRemoveClick() {
  int line = static_cast<int>(SendMessageA(Control(idIncludeList), LB_GETCURSEL, 0, 0));
  try {
    if (!RemoveIncludeLine(FList, line)) return;
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
  // The last entry has moved into the freed place: show the list's order.
  FillIncludes();
}

void TfrmInclude::chkPickerClick() {
  FPicker.Enabled = Checked(idIncludePicker);
  EnableWindow(Control(idIncludePickerKey), FPicker.Enabled);
  SavePickerSettings();
}

void TfrmInclude::SavePickerSettings() {
  WritePickerSettings(FExeDir, FPicker);  // a failed write is not reported
  ReadFileStamp(SettingsFilePath(FExeDir), FSettingsStamp);  // its own write
}

void TfrmInclude::ShowUnicodeState() {
  const bool offered = OffersUnicodeConversion(FMacrosDir);
  SetWindowTextA(Control(idIncludeUnicode), offered ? kUnicodeCommandCaption : kUnicodeDoneCaption);
  EnableWindow(Control(idIncludeUnicode), offered);
}

// The window converts the folder on its own thread, through a store of its
// own, as another program would (see editor/UnicodeCommand.h): the running
// program's store is never touched here. Its folder watch sees the new mark
// and the main thread (or the open macro editor, on its thread) reads the
// whole folder again in UTF-8, so the next run and the editor use it.
void TfrmInclude::cmdUnicodeClick() {
  if (!OffersUnicodeConversion(FMacrosDir)) {
    ShowUnicodeState();
    return;
  }
  const int answer = MessageBoxW(Handle(), WideForDisplay(UnicodeConversionQuestion(FMacrosDir)).c_str(),
                                 WideFromUtf8(kUnicodeQuestionCaption).c_str(),
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (answer != IDYES) return;
  HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const TUnicodeConversion outcome = ConvertMacrosToUnicode(FMacrosDir, SystemAnsiCodePage());
  SetCursor(before);
  ShowUnicodeState();
  if (!outcome.Converted) {
    ShowError(outcome.Message);
    return;
  }
  MessageBoxW(Handle(), WideForDisplay(outcome.Message).c_str(), WideFromUtf8(kUnicodeQuestionCaption).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

void TfrmInclude::txtPickerKeyDown(WPARAM key) {
  std::uint16_t word = MakeShortCut(static_cast<unsigned>(key), GetKeyState(VK_SHIFT) < 0,
                                    GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0);
  if (word == 0 || word == FPicker.ShortCut) return;
  std::string problem = PickerShortCutProblem(word, FHolder ? FHolder(word) : std::string());
  // Modifiers on their way to a whole shortcut are not worth a message.
  if (!problem.empty() && (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU)) return;
  if (!problem.empty()) {
    ShowError(problem);
    return;
  }
  FPicker.ShortCut = word;
  SetWindowTextA(Control(idIncludePickerKey), ShortCutText(word).c_str());
  SavePickerSettings();
}

// Tab and Shift+Tab move on and Escape closes; every other key is a
// shortcut to take, and nothing is typed.
LRESULT CALLBACK TfrmInclude::PickerKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<TfrmInclude*>(data);
  auto passes = [](WPARAM key) {
    bool held = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    return !held && (key == VK_TAB || (key == VK_ESCAPE && GetKeyState(VK_SHIFT) >= 0));
  };
  LRESULT result = 0;
  if (HandleShortCutFieldMessage(edit, message, wParam, lParam, passes,
                                 [self](WPARAM key) { self->txtPickerKeyDown(key); }, result))
    return result;
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void ShowIncludeDialog(TIncludeList& list, const std::string& exeName, TShortCutHolder holder) {
  TfrmInclude form(list, exeName, std::move(holder));
  form.ShowModal(nullptr, kIncludeCaption,
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME);
}
