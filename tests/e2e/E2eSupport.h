#pragma once
// Shared pieces of the end-to-end driver: failures, bounded waits, owned
// handles, and finding other programs' windows.

#include <windows.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// A scenario's verdict when it does not pass: one line for the runner.
class TFail : public std::runtime_error {
 public:
  explicit TFail(const std::string& reason) : std::runtime_error(reason) {}
};

// Fails with the reason unless the condition holds.
void Check(bool condition, const std::string& reason);

// Polls the condition, pumping this thread's messages, until it holds or the
// time is up. Nothing in the driver waits without a limit.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit,
             std::chrono::milliseconds step = std::chrono::milliseconds(25));
// Pumps this thread's messages for the given time.
void Pump(std::chrono::milliseconds time);

class TOwnedHandle {
 public:
  TOwnedHandle() = default;
  explicit TOwnedHandle(HANDLE handle) : FHandle(handle) {}
  TOwnedHandle(const TOwnedHandle&) = delete;
  TOwnedHandle& operator=(const TOwnedHandle&) = delete;
  TOwnedHandle(TOwnedHandle&& other) noexcept : FHandle(other.Release()) {}
  TOwnedHandle& operator=(TOwnedHandle&& other) noexcept;
  ~TOwnedHandle();
  HANDLE Get() const { return FHandle; }
  HANDLE Release();
  explicit operator bool() const { return FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE; }

 private:
  HANDLE FHandle = nullptr;
};

// A copy of the program started by the driver. The destructor ends it if it
// is still running, so a failed scenario leaves nothing behind.
class TProgram {
 public:
  explicit TProgram(const std::string& exePath);
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;
  ~TProgram();
  DWORD Id() const { return FId; }
  bool Running() const;
  // Waits for the end; false when it is still running after the limit.
  bool WaitForExit(std::chrono::milliseconds limit, DWORD& exitCode);
  void Terminate();

 private:
  TOwnedHandle FProcess;
  DWORD FId = 0;
};

struct TWindowInfo {
  HWND Window;
  DWORD ProcessId;
  std::string ClassName;
  std::string Caption;
  bool Visible;
};

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

std::string ClassNameOf(HWND window);
std::string TextOf(HWND window);
std::vector<TWindowInfo> TopLevelWindows();
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className);
DWORD ProcessOf(HWND window);
// A visible top-level window of the program with this caption, or null.
HWND ProgramWindow(HWND app, const std::string& caption);

// The clipboard's Unicode text (a note in brackets when it cannot be
// opened), and a Unicode text put there as the user's own.
std::wstring ClipboardUnicode(HWND owner);
void SetClipboardUnicode(HWND owner, const std::wstring& text);

// The program's hidden application window (found by its class), or null.
HWND FindAppWindow();
HWND WaitForAppWindow(std::chrono::milliseconds limit);
// The application window of the copy that is running; fails when there is none.
HWND RunningApp();
// A visible top-level window of the process with this caption, waited for.
HWND WaitForWindow(DWORD processId, const std::string& caption, std::chrono::milliseconds limit);
// Ends a copy of the program that the driver did not start: the quit message
// to its main thread, as the Exit command posts it, then the process if it stays.
bool QuitProgram(HWND appWindow, std::chrono::milliseconds limit);

// The program file's version as the program shows it, from its version
// resource: "1.2" and "1.2.3 build 4". Fails when the file has none.
std::string VersionShortOf(const std::string& exePath);
std::string VersionLongOf(const std::string& exePath);

// The folder of a file path ("C:\a\b.exe" -> "C:\a").
std::string FolderOf(const std::string& path);
bool FileExists(const std::string& path);
// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// The child button with this caption (with its '&'); fails when there is none.
HWND FindButton(HWND parent, const std::string& caption);
// Clicks a button as BM_CLICK does, without waiting for a modal loop it opens.
void ClickButton(HWND button);
// The text of the static control whose text passes the test, or "".
std::string FindStaticText(HWND parent, const std::function<bool(const std::string&)>& test);
