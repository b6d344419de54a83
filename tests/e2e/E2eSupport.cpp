#include "E2eSupport.h"

#include <cstring>
#include <thread>

#include "resident/Messages.h"

void Check(bool condition, const std::string& reason) {
  if (!condition) throw TFail(reason);
}

void Pump(std::chrono::milliseconds time) {
  auto end = std::chrono::steady_clock::now() + time;
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < end);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit,
             std::chrono::milliseconds step) {
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    Pump(step);
  }
}

TOwnedHandle& TOwnedHandle::operator=(TOwnedHandle&& other) noexcept {
  if (this != &other) {
    TOwnedHandle old(Release());
    FHandle = other.Release();
  }
  return *this;
}

TOwnedHandle::~TOwnedHandle() {
  if (*this) CloseHandle(FHandle);
}

HANDLE TOwnedHandle::Release() {
  HANDLE handle = FHandle;
  FHandle = nullptr;
  return handle;
}

TProgram::TProgram(const std::string& exePath) {
  Check(FileExists(exePath), "the program file " + exePath + " does not exist");
  // Paths are UTF-8: a folder in any language is started from as it is.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const std::wstring exe = Utf8ToWide(exePath), folder = Utf8ToWide(FolderOf(exePath));
  std::wstring commandLine = L"\"" + exe + L"\"";
  Check(CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &info) != 0,
        "could not start " + exePath + " (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(info.hThread);
  FProcess = TOwnedHandle(info.hProcess);
  FId = info.dwProcessId;
}

TProgram::~TProgram() {
  if (Running()) Terminate();
}

bool TProgram::Running() const {
  return WaitForSingleObject(FProcess.Get(), 0) == WAIT_TIMEOUT;
}

bool TProgram::WaitForExit(std::chrono::milliseconds limit, DWORD& exitCode) {
  if (!WaitFor([this] { return !Running(); }, limit)) return false;
  GetExitCodeProcess(FProcess.Get(), &exitCode);
  return true;
}

void TProgram::Terminate() {
  TerminateProcess(FProcess.Get(), 99);
  WaitForSingleObject(FProcess.Get(), 5000);
}

std::string ClassNameOf(HWND window) {
  char name[256] = {0};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  // WM_GETTEXT reads edit controls and static texts of other processes too.
  LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

DWORD ProcessOf(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

namespace {

BOOL CALLBACK AddTopLevel(HWND window, LPARAM param) {
  char caption[256] = {0};
  GetWindowTextA(window, caption, sizeof caption);
  reinterpret_cast<std::vector<TWindowInfo>*>(param)->push_back(
      {window, ProcessOf(window), ClassNameOf(window), caption, IsWindowVisible(window) != 0});
  return TRUE;
}

struct TChildSearch {
  const std::string* ClassName;
  std::vector<HWND> Found;
};

BOOL CALLBACK AddChildOfClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TChildSearch*>(param);
  if (_stricmp(ClassNameOf(window).c_str(), search->ClassName->c_str()) == 0) search->Found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<TWindowInfo> TopLevelWindows() {
  std::vector<TWindowInfo> windows;
  EnumWindows(AddTopLevel, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
  TChildSearch search{&className, {}};
  EnumChildWindows(parent, AddChildOfClass, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND FindAppWindow() { return FindWindowA(kAppWindowClass, nullptr); }

HWND WaitForAppWindow(std::chrono::milliseconds limit) {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindAppWindow()) != nullptr; }, limit);
  return window;
}

HWND RunningApp() {
  HWND app = WaitForAppWindow(std::chrono::seconds(5));
  Check(app != nullptr, "the program is not running");
  return app;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, std::chrono::milliseconds limit) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (const TWindowInfo& info : TopLevelWindows())
          if (info.Visible && info.Caption == caption && (processId == 0 || info.ProcessId == processId)) {
            found = info.Window;
            return true;
          }
        return false;
      },
      limit);
  return found;
}

bool QuitProgram(HWND appWindow, std::chrono::milliseconds limit) {
  DWORD processId = 0;
  DWORD threadId = GetWindowThreadProcessId(appWindow, &processId);
  TOwnedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
  if (!process) return !IsWindow(appWindow);
  PostThreadMessageA(threadId, WM_QUIT, 0, 0);
  if (WaitFor([&] { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }, limit)) return true;
  TerminateProcess(process.Get(), 99);
  WaitForSingleObject(process.Get(), 5000);
  return false;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path) {
  TOwnedHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (!file) return "";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

HWND FindButton(HWND parent, const std::string& caption) {
  for (HWND button : ChildrenOfClass(parent, "Button"))
    if (TextOf(button) == caption) return button;
  throw TFail("the window '" + TextOf(parent) + "' has no button '" + caption + "'");
}

void ClickButton(HWND button) {
  // Posted: a click that opens a modal dialog (Add's file dialog) would
  // otherwise hold the driver until that dialog closes.
  PostMessageA(button, BM_CLICK, 0, 0);
}

std::string FindStaticText(HWND parent, const std::function<bool(const std::string&)>& test) {
  for (HWND label : ChildrenOfClass(parent, "Static")) {
    std::string text = TextOf(label);
    if (test(text)) return text;
  }
  return "";
}

namespace {

struct TFileVersion {
  unsigned Major, Minor, Release, Build;
};

TFileVersion FileVersionOf(const std::string& exePath) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exePath.c_str(), &ignored);
  Check(size > 0, exePath + " has no version resource");
  std::string data(size, '\0');
  Check(GetFileVersionInfoA(exePath.c_str(), 0, size, &data[0]) != 0, "the version resource cannot be read");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  Check(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
        "the version resource has no fixed part");
  return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
          LOWORD(fixed->dwFileVersionLS)};
}

}  // namespace

std::string VersionShortOf(const std::string& exePath) {
  TFileVersion version = FileVersionOf(exePath);
  return std::to_string(version.Major) + "." + std::to_string(version.Minor);
}

std::string VersionLongOf(const std::string& exePath) {
  TFileVersion version = FileVersionOf(exePath);
  return std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." +
         std::to_string(version.Release) + " build " + std::to_string(version.Build);
}

std::wstring Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length, nullptr, nullptr);
  return utf8;
}

HWND ProgramWindow(HWND app, const std::string& caption) {
  for (const TWindowInfo& info : TopLevelWindows())
    if (info.ProcessId == ProcessOf(app) && info.Visible && info.Caption == caption) return info.Window;
  return nullptr;
}

std::wstring ClipboardUnicode(HWND owner) {
  std::wstring text;
  if (!WaitFor([&] { return OpenClipboard(owner) != 0; }, std::chrono::seconds(2))) return L"(clipboard not opened)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void SetClipboardUnicode(HWND owner, const std::wstring& text) {
  Check(WaitFor([&] { return OpenClipboard(owner) != 0; }, std::chrono::seconds(2)), "the driver cannot open the clipboard");
  EmptyClipboard();
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(data), text.c_str(), size);
  GlobalUnlock(data);
  if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);  // the clipboard owns it once set
  CloseClipboard();
}
