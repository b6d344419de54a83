#pragma once
// One run of one macro on a thread of its own: take the selection from the
// foreground program, ask for the variables, files and pictures, carry out
// the macro's step and paste the result back. Every window of the run is
// shown on this thread. Its last act, on every path, is the end notice it
// was given, after which the next shortcut can run.

#include <windows.h>

#include <memory>
#include <string>

#include "run/MacroRun.h"
#include "store/Macro.h"
#include "wingui/OwnedThread_win.h"

class TClipboardOwnerWindow;
class TOpenPictureDialog;
class TSelectionTransfer;
struct TUserVarsAnswer;

class TRunMacroThread : public TMacroRun, private TOwnedThread {
 public:
  // Starts a run of a copy of `macro`; the thread frees itself when done.
  // False when the system could not start the thread (then no end notice
  // comes). exeDir: the program's folder, without a trailing separator.
  // utf8Texts: the macro's texts are UTF-8 already (a UTF-8 folder's), and
  // the whole run works in UTF-8.
  static bool Start(const TDoneNotice& done, const TMacro& macro, const std::string& exeDir,
                    bool utf8Texts = false);

  ~TRunMacroThread() override;

 private:
  TRunMacroThread(const TDoneNotice& done, const TMacro& macro, std::string exeDir, bool utf8Texts);
  // Execute, any error shown in a message box, then the end notice.
  void Run() noexcept override;
  void Execute();

  void BringRunToFront();
  HWND ClipboardOwner();
  void CaptureSelection();
  void UseUnicodeTexts();
  bool PromptForVariables();
  void TakeAnswers(TUserVarsAnswer& answer);
  void PickFiles();
  void PickImages();
  void PickImage(TOpenPictureDialog& dialog, int index, std::string& pickedPath);
  void CopyPickedImage(const std::string& pickedPath);
  std::string RunTextOfPath(const std::string& path);
  std::string PathOfRunText(const std::string& text) const;
  void Process();
  void PasteSelection();
  void DetachInput();

  void DoRunProgram();
  void DoTidyHtml();
  void DoEmail();

  TDoneNotice FDone;
  std::string FExeDir;
  HWND FForegroundWnd = nullptr;
  DWORD FTargetThreadId = 0;
  HWND FFocusWnd = nullptr;
  bool FAttached = false;
  bool FBroughtToFront = false;
  // CP_ACP, or CP_UTF8 when the selection holds characters the ANSI code
  // page cannot hold (see RunText_win.h) or that code page has characters
  // of more than one byte (see RunTextForm.h).
  UINT FCodePage = CP_ACP;
  bool FUtf8Store = false;  // the macro's texts came UTF-8 from its folder
  std::string FWorkDir;  // confirmed in the prompt, in the run's code page
  std::unique_ptr<TClipboardOwnerWindow> FClipboardOwner;
  // How the selection came, and so how the result goes back.
  std::unique_ptr<TSelectionTransfer> FTransfer;
};
