#include "run/RunMacroThread_win.h"

#include <commdlg.h>
#include <shellapi.h>

#include <exception>
#include <vector>

#include "run/ImageCopy.h"
#include "run/MAPIControl_win.h"
#include "run/RunText_win.h"
#include "run/RunTextForm.h"
#include "run/SelectionTransfer_win.h"
#include "run/TerminalWindows.h"
#include "run/TidyHtml.h"
#include "run/TidyProcess_win.h"
#include "run/UnattendedRun.h"
#include "run/formTidy_win.h"
#include "run/formUserVars_win.h"
#include "store/Settings.h"
#include "run/Clipboard_win.h"
#include "wingui/FileDialog_win.h"
#include "wingui/ForegroundWindow_win.h"
#include "base/OsFile.h"
#include "picture/PictureDialog_win.h"
#include "run/ProcessInfo_win.h"
#include "wingui/ErrorPolicy_win.h"
#include "wingui/WinHandles_win.h"

namespace {

constexpr const char* kAllFilesFilter = "All files (*.*)|*.*";

// The open dialog for file variables: the name picked, or empty when the
// dialog was cancelled.
std::string PickAnyFile() {
  std::string picked;
  PickFile(nullptr, false, kAllFilesFilter, 0, picked);
  return picked;
}

bool AskToCopyImage() {
  return MessageBoxW(nullptr, L"Do you want to copy this image to the working directory?", L"Copy Image",
                     MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST) == IDYES;
}

}  // namespace

bool TRunMacroThread::Start(const TDoneNotice& done, const TMacro& macro, const std::string& exeDir,
                            bool utf8Texts) {
  return StartOwnedThread(std::unique_ptr<TOwnedThread>(new TRunMacroThread(done, macro, exeDir, utf8Texts)));
}

TRunMacroThread::TRunMacroThread(const TDoneNotice& done, const TMacro& macro, std::string exeDir,
                                 bool utf8Texts)
    : TMacroRun(macro), FDone(done), FExeDir(std::move(exeDir)), FUtf8Store(utf8Texts) {}

TRunMacroThread::~TRunMacroThread() = default;

void TRunMacroThread::Run() noexcept {
  std::exception_ptr failure;
  try {
    Execute();
  } catch (...) {
    failure = std::current_exception();
  }
  // The target program's input is given back before any message: a box
  // shown while this thread shares that input goes with the target's
  // windows when they close, and would leave the run waiting on an answer
  // nobody can give, with every later shortcut held off.
  DetachInput();
  if (failure) ReportException(ebRun, nullptr, failure);
  FVarNames.clear();
  FVarDefaults.clear();
  FVarHasDefault.clear();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  // Every path ends here: without the notice no later shortcut would run.
  FDone.Post();
}

void TRunMacroThread::Execute() {
  FForegroundWnd = GetForegroundWindow();
  // Before the first step reads a byte: see RunTextForm.h.
  if (FUtf8Store) {
    // Nothing to convert: the texts are UTF-8 as they lie in the record.
    FCodePage = CP_UTF8;
    UseUtf8Texts([](const std::string& text) { return text; });
  } else if (RunsInUtf8FromStart(AnsiMaxCharSize())) {
    UseUnicodeTexts();
  }
  ExpandAllLineTokens();
  if (TakesSelection(FMacro.MacroType)) {
    CaptureSelection();
    ApplyReplacePairs();
  }
  ScanAllVariables();
  if (!PromptForVariables()) return;
  PickFiles();
  PickImages();
  Process();
  ForceForegroundWindow(FForegroundWnd);
  if (TakesSelection(FMacro.MacroType) && FMacro.MacroType != mtTidyHTML) PasteSelection();
}

// The program's own window comes to the front before the first window of
// the run is shown, so that window opens in front of the program the macro
// was started in. A run that shows nothing leaves the foreground alone.
void TRunMacroThread::BringRunToFront() {
  if (FBroughtToFront) return;
  FBroughtToFront = true;
  ForceForegroundWindow(FDone.Window);
}

void TRunMacroThread::CaptureSelection() {
  // Neither messages nor keys reach a program that runs with more rights:
  // say so rather than do nothing.
  if (RunsAboveUs(FForegroundWnd))
    throw ERunText(ExeNameOfWindow(FForegroundWnd) +
                   " runs as administrator; Zarvel cannot read its selection or paste into it. "
                   "Start Zarvel as administrator too to use macros there.");
  char className[256] = {0};
  GetClassNameA(FForegroundWnd, className, sizeof className);
  FTransfer = std::make_unique<TSelectionTransfer>(ClipboardOwner(),
                                                   ReadTransferMethod(FExeDir, ExeNameOfWindow(FForegroundWnd)),
                                                   IsTerminalWindowClass(className));
  FTargetThreadId = GetWindowThreadProcessId(FForegroundWnd, nullptr);
  FAttached = FTargetThreadId != 0 && AttachThreadInput(GetCurrentThreadId(), FTargetThreadId, TRUE);
  if (FAttached) FFocusWnd = GetFocus();
  if (FFocusWnd != nullptr && FMacro.MacroType == mtTidyHTML) TSelectionTransfer::SelectAll(FFocusWnd);
  std::wstring selection;
  if (!FTransfer->Take(FFocusWnd, selection)) return;
  std::string ansi;
  if (FCodePage != CP_UTF8 && ExactAnsi(selection, ansi)) {
    FSelection = ansi;
  } else {
    UseUnicodeTexts();
    FSelection = RunTextFromWide(selection, CP_UTF8);
  }
}

// The run meets a character the ANSI code page cannot hold (in the
// selection or a value typed in the prompt): from here on every text of the
// run is UTF-8.
void TRunMacroThread::UseUnicodeTexts() {
  if (FCodePage == CP_UTF8) return;
  FCodePage = CP_UTF8;
  auto fromAnsi = [](const std::string& text) { return RunTextFromAnsi(text, CP_UTF8); };
  UseUtf8Texts(fromAnsi);
  FWorkDir = fromAnsi(FWorkDir);
}

// The prompt always speaks UTF-8, so that whatever the user types arrives
// whole; the run goes on in ANSI when every answer fits it.
bool TRunMacroThread::PromptForVariables() {
  if (UserVariableCount() == 0 && !FUsesRelDir) return true;
  BringRunToFront();
  auto utf8 = [this](const std::string& text) { return FCodePage == CP_UTF8 ? text : RunTextFromAnsi(text, CP_UTF8); };
  TUserVarsPrompt prompt;
  prompt.MacroTitle = utf8(FMacro.Title);
  prompt.Selection = utf8(FSelection);
  for (const std::string& name : FVarNames) prompt.Names.push_back(utf8(name));
  for (const std::string& value : FVarDefaults) prompt.Defaults.push_back(utf8(value));
  prompt.UsesRelDir = FUsesRelDir;
  prompt.WorkDir = ReadImageWorkDir(FExeDir);  // a path, and so UTF-8 already
  prompt.RelDir = utf8(FRelDirName);
  prompt.CodePage = CP_UTF8;
  TUserVarsAnswer answer;
  if (!ShowUserVarsDialog(prompt, answer)) return false;
  answer.Values.resize(FVarNames.size());
  TakeAnswers(answer);
  if (FUsesRelDir) WriteImageWorkDir(FExeDir, PathOfRunText(FWorkDir));
  ApplyUserVariables(answer.Values);
  return true;
}

// Brings the prompt's UTF-8 answers into the run's code page, switching the
// run to UTF-8 when one of them has no ANSI form.
void TRunMacroThread::TakeAnswers(TUserVarsAnswer& answer) {
  std::vector<std::string*> texts = {&answer.WorkDir, &answer.RelDir};
  for (std::string& value : answer.Values) texts.push_back(&value);
  if (FCodePage != CP_UTF8) {
    std::vector<std::string> ansi(texts.size());
    bool allFit = true;
    for (std::size_t i = 0; i < texts.size() && allFit; ++i)
      allFit = ExactAnsi(WideFromRunText(*texts[i], CP_UTF8), ansi[i]);
    if (allFit) {
      for (std::size_t i = 0; i < texts.size(); ++i) *texts[i] = ansi[i];
    } else {
      UseUnicodeTexts();
    }
  }
  if (FUsesRelDir) {
    FWorkDir = answer.WorkDir;
    FRelDir = answer.RelDir;
  }
}

// A picked path (UTF-8) as a text of the run. One the ANSI code page cannot
// hold switches the run to UTF-8, as such a selection does, so the path
// reaches the text whole.
std::string TRunMacroThread::RunTextOfPath(const std::string& path) {
  std::string ansi;
  if (FCodePage != CP_UTF8 && AnsiFromPathName(path, ansi)) return ansi;
  UseUnicodeTexts();
  return path;
}

std::string TRunMacroThread::PathOfRunText(const std::string& text) const {
  return FCodePage == CP_UTF8 ? text : PathNameFromAnsi(text);
}

void TRunMacroThread::PickFiles() {
  if (!FFileVars.empty()) BringRunToFront();
  for (std::size_t k = 0; k < FFileVars.size(); ++k) {
    const std::string picked = RunTextOfPath(PickAnyFile());
    SubstituteFileVariable(static_cast<int>(k), picked);
  }
}

void TRunMacroThread::PickImages() {
  if (FImageVars.empty()) return;
  BringRunToFront();
  TOpenPictureDialog dialog;
  // A cancelled dialog leaves the name of the last picture picked, as the
  // dialog itself keeps it.
  std::string pickedPath;
  for (std::size_t k = 0; k < FImageVars.size(); ++k) PickImage(dialog, static_cast<int>(k), pickedPath);
}

void TRunMacroThread::PickImage(TOpenPictureDialog& dialog, int index, std::string& pickedPath) {
  dialog.FileName.clear();
  const bool confirmed = dialog.Execute(nullptr);
  if (confirmed) pickedPath = dialog.FileName;
  if (confirmed && FUsesRelDir && !pickedPath.empty()) CopyPickedImage(pickedPath);
  TImageSize size;
  if (!pickedPath.empty() && FileExists(pickedPath)) size = ReadImageSize(pickedPath);
  const std::string picked = RunTextOfPath(pickedPath);
  ForEachText([this, index, &picked, size](std::string& text) {
    ApplyImageVariable(index, text, FRelDir, picked, size);
  });
}

void TRunMacroThread::CopyPickedImage(const std::string& pickedPath) {
  const std::string workDir = PathOfRunText(FWorkDir);
  const std::string relDir = PathOfRunText(FRelDir);
  if (!ImageNeedsCopy(pickedPath, ImageCopyTarget(workDir, relDir, pickedPath))) return;
  const int rule = ReadImageCopyRule(FExeDir);
  const bool copy = rule == kImageCopyAlways || (rule == kImageCopyConfirm && AskToCopyImage());
  if (!copy) return;
  if (!CreateFolderWithParents(ImageCopyFolder(workDir, relDir)))
    ShowErrorBox(ebDialog, nullptr, "Error while creating directory!");
  CopyImage(pickedPath, workDir, relDir);
}

void TRunMacroThread::Process() {
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (RunTextStep()) return;
  switch (FMacro.MacroType) {
    case mtRunProgram: DoRunProgram(); break;
    case mtTidyHTML: DoTidyHtml(); break;
    case mtEmail: DoEmail(); break;
    default: break;
  }
}

HWND TRunMacroThread::ClipboardOwner() {
  if (!FClipboardOwner) FClipboardOwner = std::make_unique<TClipboardOwnerWindow>();
  return FClipboardOwner->Handle();
}

void TRunMacroThread::PasteSelection() {
  if (FTransfer) {
    FTransfer->Put(FFocusWnd, WideFromRunText(FSelection, FCodePage));
    if (FFocusWnd != nullptr) SetFocus(FFocusWnd);
  }
  DetachInput();
}

void TRunMacroThread::DetachInput() {
  if (!FAttached) return;
  AttachThreadInput(GetCurrentThreadId(), FTargetThreadId, FALSE);
  FAttached = false;
}

void TRunMacroThread::DoRunProgram() {
  // The shell gets every character whole, of a typed value or a picked path.
  const std::wstring file = WideFromRunText(FMacro.Text(mxLine1), FCodePage);
  const std::wstring parameters = WideFromRunText(FMacro.Text(mxLine3), FCodePage);
  const std::wstring folder = WideFromRunText(FMacro.Text(mxLine2), FCodePage);
  ShellExecuteW(nullptr, L"open", file.c_str(), parameters.c_str(), folder.c_str(), SW_SHOWDEFAULT);
}

void TRunMacroThread::DoTidyHtml() {
  BringRunToFront();
  const std::string report =
      RunTidy(PathJoin(FExeDir, ""), FSelection,
              [](const std::string& program, const std::string& parameters, const std::string& workDir) {
                return RunHiddenAndWaitAsking(program, parameters, workDir, kTidyPatienceMs, AskToKeepWaitingForTidy);
              });
  ShowTidyReport(FMacro.Title, report, FCodePage);
}

void TRunMacroThread::DoEmail() {
  BringRunToFront();
  TMapiControl mail;
  mail.Reset();
  mail.Body = FSelection;
  mail.ShowDialog = true;
  mail.CodePage = FCodePage;
  // A mail that did not start is an error of the run, shown as such; the
  // user's own cancel is not.
  const std::string failure = MailFailureText(mail.Send(FDone.Window));
  if (!failure.empty()) throw ERunText(failure);
}
