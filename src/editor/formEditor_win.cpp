#include "editor/formEditor_win.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/EditorPictures.h"
#include "editor/EndQuestion_win.h"
#include "editor/TemplateEdits.h"
#include "wingui/DialogBase_win.h"
#include "wingui/FileDialog_win.h"
#include "wingui/InputBox_win.h"
#include "base/CodePage.h"
#include "base/OsFile.h"
#include "base/SafeFile.h"
#include "base/WideText_win.h"
#include "wingui/GdiHandles_win.h"
#include "wingui/WindowPlacement_win.h"

namespace {

// The designed window, outside border included, and its smallest size.
constexpr int kDesignWidth = 444;
constexpr int kDesignHeight = 323;
constexpr int kMinWidth = 300;
constexpr int kMinHeight = 180;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 8;

constexpr const char* kFileFilter = "Macro files (*.txt)|*.txt|All files (*.*)|*.*";
constexpr const char* kDefaultExtension = "txt";
// A template is a few lines; a file far larger is not one, and is not read.
constexpr std::int64_t kLargestTemplateFile = 1 << 20;

constexpr UINT_PTR kTextSubclassId = 1;

struct TToolButton {
  int Id;
  int Picture;
  const char* Hint;
};

// 0 as id marks a separator.
const TToolButton kToolButtons[] = {
    {idEditorNew, epNew, "New Macro"},
    {idEditorOpen, epOpen, "Open Macro"},
    {idEditorSave, epSave, "Save Macro"},
    {0, 0, nullptr},
    {idEditorUndo, epUndo, "Undo"},
    {idEditorCut, epCut, "Cut"},
    {idEditorCopy, epCopy, "Copy"},
    {idEditorPaste, epPaste, "Paste"},
    {0, 0, nullptr},
    {idEditorLine, epLine, "Insert current line"},
    {idEditorVariable, epVariable, "Insert variable"},
    {idEditorFile, epFile, "Insert file variable"},
    {idEditorImage, epImage, "Insert image variable"},
    {idEditorImageWidth, epImageWidth, "Insert image width"},
    {idEditorImageHeight, epImageHeight, "Insert image height"},
    {0, 0, nullptr},
    {idEditorOptional, epOptional, "Make selected text optional"},
};

const char* HintOf(UINT_PTR id) {
  for (const TToolButton& button : kToolButtons)
    if (button.Id != 0 && static_cast<UINT_PTR>(button.Id) == id) return button.Hint;
  return nullptr;
}

// The pictures at a whole multiple of 16 pixels, each pixel a square block,
// over a colour that the list makes transparent.
TImageList MakeEditorPictures(int scale) {
  const int size = kEditorPictureSize * scale;
  const COLORREF transparent = RGB(255, 0, 255);
  TImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, kEditorPictureCount, 0));
  if (!list) return list;
  TScopedGetDC screen(nullptr);
  for (int picture = 0; picture < kEditorPictureCount; ++picture) {
    TScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), size, size));
    TScopedMemoryDC dc(screen.Get());
    if (!bitmap || !dc.Get()) break;
    {
      TScopedSelect select(dc.Get(), bitmap.Get());
      RECT all{0, 0, size, size};
      TScopedBrush background(CreateSolidBrush(transparent));
      FillRect(dc.Get(), &all, background.Get());
      std::vector<std::string> rows = EditorPictureRows(picture);
      for (int y = 0; y < kEditorPictureSize; ++y)
        for (int x = 0; x < kEditorPictureSize; ++x) {
          std::uint32_t rgb = 0;
          if (!EditorPaletteColour(rows[y][x], rgb)) continue;
          RECT block{x * scale, y * scale, (x + 1) * scale, (y + 1) * scale};
          TScopedBrush brush(CreateSolidBrush(RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF)));
          FillRect(dc.Get(), &block, brush.Get());
        }
    }
    ImageList_AddMasked(list.Get(), bitmap.Get(), transparent);
  }
  return list;
}

// The selected text in UTF-8, read through the control's own characters.
std::string SelectedText(HWND edit) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end <= start) return std::string();
  int length = GetWindowTextLengthW(edit);
  std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(edit, wide.data(), length + 1);
  if (got < 0 || end > static_cast<DWORD>(got)) return std::string();
  return Utf8FromWide(std::wstring(wide.data() + start, end - start));
}

std::string ReadTemplateFile(const std::string& path) {
  TOsFile file(path, omRead);
  std::int64_t size = file.Size();
  if (size > kLargestTemplateFile) throw std::runtime_error("The file is larger than 1 MB.");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  bytes.resize(file.Read(&bytes[0], bytes.size()));
  // The edit control ends its text at a zero byte: such a file would come
  // back cut short.
  if (bytes.find('\0') != std::string::npos) throw std::runtime_error("The file is not a text file.");
  return bytes;
}

class TfrmEditor : public TDialogBase {
 public:
  TfrmEditor(HWND owner, const std::string& text) : FOwner(owner), FText(text) {}
  const std::string& Text() const { return FText; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override {
    MakeToolbarPictures();
    Layout();
  }

 private:
  void FormCreate();
  void CreateToolbar();
  void MakeToolbarPictures();
  void Layout();
  bool Command(int id);
  void ShowHint(NMHDR* header);
  static LRESULT CALLBACK TextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR);

  void tbNewClick();
  void tbOpenClick();
  void tbSaveClick();
  void InsertTag(TTemplateCommand command);
  void tbOptionalClick();
  void cmdOKClick();
  void cmdCancelClick();
  // The text as the window shows it, in UTF-8, and in its place.
  std::string ShownText() const { return Utf8FromWide(WindowTextW(TextBox())); }
  void ShowText(const std::string& text) { SetWindowTextW(TextBox(), WideFromUtf8(text).c_str()); }
  // Whether the text differs from the one last opened, emptied or saved.
  bool HasChanges() const { return ShownText() != FBaseline; }
  // The one question before the text is replaced (New, Open): true when
  // there is nothing to lose or the user lets it go.
  bool MayReplaceText(const char* caption);
  void SetBaseline() { FBaseline = ShownText(); }
  bool RunFileDialog(bool save, std::string& path);
  void Replace(const std::string& insertion);
  HWND TextBox() const { return GetDlgItem(Handle(), idEditorText); }

  HWND FOwner;
  std::string FText;  // UTF-8, as every text of the window
  std::string FBaseline;
  TImageList FPictures;
  std::string LastImageName;
  std::wstring FWideHint;
};

INT_PTR TfrmEditor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsEndQuestion(message)) {
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, AnswerEndQuestion(Handle(), wParam, lParam, HasChanges()));
    return TRUE;
  }
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the text has the focus already
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_NOTIFY:
      ShowHint(reinterpret_cast<NMHDR*>(lParam));
      return FALSE;
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_UPDATE) return FALSE;
      return Command(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
      RemoveWindowSubclass(TextBox(), TextProc, kTextSubclassId);
      return FALSE;
  }
  return FALSE;
}

bool TfrmEditor::Command(int id) {
  HWND text = TextBox();
  switch (id) {
    case idEditorOK: cmdOKClick(); return true;
    case idEditorCancel: cmdCancelClick(); return true;
    case idEditorNew: tbNewClick(); return true;
    case idEditorOpen: tbOpenClick(); return true;
    case idEditorSave: tbSaveClick(); return true;
    case idEditorUndo: SendMessageA(text, EM_UNDO, 0, 0); return true;
    case idEditorCut: SendMessageA(text, WM_CUT, 0, 0); return true;
    case idEditorCopy: SendMessageA(text, WM_COPY, 0, 0); return true;
    case idEditorPaste: SendMessageA(text, WM_PASTE, 0, 0); return true;
    case idEditorLine: InsertTag(tcLine); return true;
    case idEditorVariable: InsertTag(tcVariable); return true;
    case idEditorFile: InsertTag(tcFile); return true;
    case idEditorImage: InsertTag(tcImage); return true;
    case idEditorImageWidth: InsertTag(tcImageWidth); return true;
    case idEditorImageHeight: InsertTag(tcImageHeight); return true;
    case idEditorOptional: tbOptionalClick(); return true;
  }
  return false;
}

void TfrmEditor::FormCreate() {
  SetMinimumSize(kMinWidth, kMinHeight);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  CreateToolbar();
  AddControlW(L"STATIC", L"", SS_ETCHEDHORZ, idEditorDivider);
  HWND text = AddControlW(L"EDIT", L"",
                         ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                             WS_HSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
                         idEditorText, WS_EX_CLIENTEDGE);
  AddControlW(L"BUTTON", L"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, idEditorOK);
  AddControlW(L"BUTTON", L"&Cancel", BS_PUSHBUTTON | WS_TABSTOP, idEditorCancel);
  SetWindowSubclass(text, TextProc, kTextSubclassId, 0);
  SendMessageA(text, EM_SETLIMITTEXT, 0, 0);  // as long as memory allows
  ShowText(FText);
  SendMessageA(text, EM_SETMODIFY, FALSE, 0);
  SendMessageA(text, EM_EMPTYUNDOBUFFER, 0, 0);
  SetBaseline();

  SetWindowPos(Handle(), nullptr, 0, 0, Scale(kDesignWidth), Scale(kDesignHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  CenterOverOwner(Handle(), FOwner);
  SetFocus(text);
  SendMessageA(text, EM_SETSEL, 0, 0);
  SetForegroundWindow(Handle());
}

void TfrmEditor::CreateToolbar() {
  HWND toolbar = AddControlW(TOOLBARCLASSNAMEW, L"",
                            TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                CCS_NOPARENTALIGN,
                            idEditorToolbar);
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  MakeToolbarPictures();
  std::vector<TBBUTTON> buttons;
  for (const TToolButton& tool : kToolButtons) {
    TBBUTTON button{};
    button.iBitmap = tool.Id ? tool.Picture : 0;
    button.idCommand = tool.Id;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = tool.Id ? BTNS_BUTTON : BTNS_SEP;
    button.iString = -1;
    buttons.push_back(button);
  }
  SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

void TfrmEditor::MakeToolbarPictures() {
  HWND toolbar = GetDlgItem(Handle(), idEditorToolbar);
  // Whole pixels only: the grid stays sharp at 150 % as at 200 %.
  int scale = (static_cast<int>(Dpi()) + 24) / 96;
  if (scale < 1) scale = 1;
  TImageList pictures = MakeEditorPictures(scale);
  SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures.Get()));
  int side = kEditorPictureSize * scale;
  SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(side, side));
  SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(side + Scale(7), side + Scale(6)));
  FPictures = std::move(pictures);
}

void TfrmEditor::Layout() {
  RECT client;
  GetClientRect(Handle(), &client);
  HWND toolbar = GetDlgItem(Handle(), idEditorToolbar);
  DWORD buttonSize = static_cast<DWORD>(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
  int toolbarHeight = HIWORD(buttonSize) + Scale(4);
  MoveWindow(toolbar, 0, 0, client.right, toolbarHeight, TRUE);
  MoveWindow(GetDlgItem(Handle(), idEditorDivider), 0, toolbarHeight, client.right, 2, TRUE);

  int margin = Scale(kMargin);
  int buttonWidth = Scale(kButtonWidth);
  int buttonHeight = Scale(kButtonHeight);
  int buttonsTop = client.bottom - margin - buttonHeight;
  int textTop = toolbarHeight + 2;
  int textHeight = buttonsTop - margin - textTop;
  MoveWindow(TextBox(), 0, textTop, client.right, textHeight > 0 ? textHeight : 0, TRUE);
  MoveWindow(GetDlgItem(Handle(), idEditorCancel), client.right - margin - buttonWidth, buttonsTop,
             buttonWidth, buttonHeight, TRUE);
  MoveWindow(GetDlgItem(Handle(), idEditorOK), client.right - 2 * (margin + buttonWidth) + margin / 2,
             buttonsTop, buttonWidth, buttonHeight, TRUE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

// The toolbar's tooltips ask for the hint of the button under the mouse.
void TfrmEditor::ShowHint(NMHDR* header) {
  if (header->code == TTN_GETDISPINFOA) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    if (const char* hint = HintOf(header->idFrom)) info->lpszText = const_cast<char*>(hint);
  } else if (header->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    if (const char* hint = HintOf(header->idFrom)) {
      FWideHint.assign(hint, hint + lstrlenA(hint));
      info->lpszText = const_cast<wchar_t*>(FWideHint.c_str());
    }
  }
}

// Tab writes a TAB into the text; Ctrl+Enter confirms the window and Escape
// cancels it (asking first when the text has changes).
LRESULT CALLBACK TfrmEditor::TextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR) {
  switch (message) {
    case WM_GETDLGCODE:
      return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      // The control itself would move the focus on; its character comes next.
      if (wParam == VK_TAB) return 0;
      if (wParam == VK_RETURN && GetKeyState(VK_CONTROL) < 0) {
        PostMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(idEditorOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(GetParent(window), idEditorOK)));
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        PostMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(idEditorCancel, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(GetParent(window), idEditorCancel)));
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == VK_ESCAPE) return 0;
      // Ctrl+Enter's character: the key has confirmed the window already.
      if (wParam == '\n' && GetKeyState(VK_CONTROL) < 0) return 0;
      if (wParam == '\t') {
        SendMessageW(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
        return 0;
      }
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void TfrmEditor::Replace(const std::string& insertion) {
  HWND text = TextBox();
  SendMessageW(text, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideFromUtf8(insertion).c_str()));
  SetFocus(text);
}

bool TfrmEditor::MayReplaceText(const char* caption) {
  return !HasChanges() ||
         MessageBoxA(Handle(), "The changes you've made will be lost, are you sure you want to continue?", caption,
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TfrmEditor::tbNewClick() {
  HWND text = TextBox();
  if (!MayReplaceText("New Template")) return;
  ShowText("");
  SendMessageA(text, EM_SETMODIFY, FALSE, 0);
  SetBaseline();
  SetFocus(text);
}

bool TfrmEditor::RunFileDialog(bool save, std::string& path) {
  // Replacing a file asks first: a template written over is gone.
  return PickFile(Handle(), save, kFileFilter,
                  OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST), path, kDefaultExtension);
}

void TfrmEditor::tbOpenClick() {
  if (!MayReplaceText("Open Template")) return;
  std::string path;
  if (!RunFileDialog(false, path)) return;
  std::string bytes;
  try {
    bytes = ReadTemplateFile(path);
  } catch (const EFileError& error) {
    ShowError("Cannot open file " + path + "\n\n" + error.OsText());
    return;
  } catch (const std::exception& error) {
    ShowError("Cannot open file " + path + "\n\n" + error.what());
    return;
  }
  HWND text = TextBox();
  ShowText(TemplateFileText(bytes, SystemAnsiCodePage()));
  SendMessageA(text, EM_SETMODIFY, FALSE, 0);
  SetBaseline();
  SetFocus(text);
}

void TfrmEditor::tbSaveClick() {
  std::string path;
  if (!RunFileDialog(true, path)) return;
  std::string shown = ShownText();
  std::string bytes = FileLinesFromText(shown);  // UTF-8, which holds every character
  // Written beside and then put in place: a failure at any point (a full
  // disk, a file another program holds) leaves the old file whole.
  try {
    WriteWholeFileSafely(path, bytes);
    FBaseline = shown;  // kept in the file: nothing is lost any more
  } catch (const EFileError& error) {
    ShowError("Cannot create file " + path + "\n\n" + error.OsText());
  }
}

void TfrmEditor::InsertTag(TTemplateCommand command) {
  std::string name;
  std::string caption = NameQuestionCaption(command);
  if (!caption.empty()) {
    if (command == tcImageWidth || command == tcImageHeight) name = LastImageName;
    if (!InputQuery(Handle(), caption, kNameQuestionPrompt, name)) return;
    if (command == tcImage) LastImageName = name;
  }
  // The question box may answer in ANSI or in UTF-8; the text takes UTF-8.
  Replace(TemplateInsertion(command, std::string(), TextAsUtf8(name, SystemAnsiCodePage())));
}

void TfrmEditor::tbOptionalClick() {
  Replace(TemplateInsertion(tcOptional, SelectedText(TextBox()), std::string()));
}

void TfrmEditor::cmdOKClick() {
  FText = ShownText();
  EndDialog(Handle(), IDOK);
}

// Escape, the close box and Cancel: changes are kept (as OK), let go, or
// the window stays for more work.
void TfrmEditor::cmdCancelClick() {
  if (HasChanges()) {
    switch (MessageBoxA(Handle(), "Do you want to keep the changes you've made to the template?", kEditorCaption,
                        MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES: cmdOKClick(); return;
      case IDNO: break;
      default: SetFocus(TextBox()); return;
    }
  }
  EndDialog(Handle(), IDCANCEL);
}

}  // namespace

bool ShowTemplateEditor(HWND owner, std::string& text) {
  TfrmEditor form(owner, text);
  INT_PTR result = form.ShowModalUnicode(owner, kEditorCaption,
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX |
                                      DS_MODALFRAME);
  if (result != IDOK) return false;
  text = form.Text();
  return true;
}
