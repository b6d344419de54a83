#pragma once
// Finding windows and waiting for them, for the Windows test programs: a
// dialog under test runs on a thread of its own (or in the program's own
// process) and is found from outside, by its caption, class or owner, the
// way a user sees it. Every wait is bounded.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace wintest {

constexpr int kWaitMs = 10000;
constexpr DWORD kPollMs = 20;

// Looks at the condition every 20 ms until it holds or the time is up, and
// once more when it is up, so that a slow machine does not lose by a hair.
template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = kWaitMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    Sleep(kPollMs);
  }
  return condition();
}

// Dispatches what waits in this thread's queue.
inline void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// WaitFor for a thread that owns windows or a hook: its messages are
// dispatched between looks, or what it waits for may never come (a box sends
// to its owner, a low-level hook is called through the queue). Not for a
// wait whose message must stay in the queue: the pump would take it.
template <typename Condition>
bool PumpUntil(Condition condition, int milliseconds = kWaitMs) {
  return WaitFor(
      [&] {
        if (condition()) return true;
        PumpMessages();
        return false;
      },
      milliseconds);
}

// The first value the probe gives that is not empty (a window, true), or an
// empty one when the time is up.
template <typename Probe>
auto WaitForValue(Probe probe, int milliseconds = kWaitMs) -> decltype(probe()) {
  decltype(probe()) found{};
  WaitFor([&] { return static_cast<bool>(found = probe()); }, milliseconds);
  return found;
}

inline bool WaitUntilGone(HWND window, int milliseconds = kWaitMs) {
  return WaitFor([window] { return !IsWindow(window); }, milliseconds);
}

inline std::string TextOf(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  int got = GetWindowTextA(window, &text[0], static_cast<int>(text.size()));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

inline std::wstring TextOfW(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  int got = GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

inline std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// What a visible top-level window must be to be found; an empty field
// matches anything.
struct TWindowQuery {
  DWORD Process = GetCurrentProcessId();
  std::string Class;
  std::string Caption;
  HWND Owner = nullptr;
  HWND Except = nullptr;  // one to pass over: a window already handled
};

namespace detail {
struct TSearch {
  const TWindowQuery* Query;
  HWND Found;
};

inline BOOL CALLBACK MatchQuery(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TSearch*>(data);
  const TWindowQuery& query = *search->Query;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != query.Process || window == query.Except || !IsWindowVisible(window)) return TRUE;
  if (query.Owner && GetWindow(window, GW_OWNER) != query.Owner) return TRUE;
  if (!query.Class.empty() && ClassOf(window) != query.Class) return TRUE;
  if (!query.Caption.empty() && TextOf(window) != query.Caption) return TRUE;
  search->Found = window;
  return FALSE;
}

struct TTextSearch {
  const char* ClassName;
  std::vector<std::string>* Texts;
};

// WM_GETTEXT rather than GetWindowText: it also reads another process's controls.
inline BOOL CALLBACK CollectText(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<TTextSearch*>(data);
  if (search->ClassName && lstrcmpiA(ClassOf(child).c_str(), search->ClassName) != 0) return TRUE;
  auto length = SendMessageA(child, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  auto got = SendMessageA(child, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  search->Texts->push_back(text);
  return TRUE;
}
}  // namespace detail

inline HWND FindTopWindow(const TWindowQuery& query) {
  detail::TSearch search{&query, nullptr};
  EnumWindows(detail::MatchQuery, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// A visible top-level window of this process with this caption; other test
// programs may show windows of the same caption at the same time.
inline HWND FindOwnWindow(const std::string& caption, HWND except = nullptr) {
  TWindowQuery query;
  query.Caption = caption;
  query.Except = except;
  return FindTopWindow(query);
}

inline HWND WaitForWindow(const std::string& caption, HWND except = nullptr, int milliseconds = kWaitMs) {
  return WaitForValue([&] { return FindOwnWindow(caption, except); }, milliseconds);
}

// A visible window this one owns (a question or a browser a dialog opens),
// with this caption unless it is empty.
inline HWND FindOwnedWindow(HWND owner, const std::string& caption = std::string()) {
  TWindowQuery query;
  query.Owner = owner;
  query.Caption = caption;
  return FindTopWindow(query);
}

inline HWND WaitForOwnedWindow(HWND owner, int milliseconds = kWaitMs) {
  return WaitForValue([&] { return FindOwnedWindow(owner); }, milliseconds);
}

// A visible top-level window of the process with this class and caption
// (any caption for nullptr).
inline HWND FindProcessWindow(DWORD process, const char* className, const char* caption) {
  TWindowQuery query;
  query.Process = process;
  query.Class = className;
  if (caption) query.Caption = caption;
  return FindTopWindow(query);
}

// Waits for such a window while pumping: a dialog or message box on another
// thread sends to its owner, which may be a window of this thread.
inline HWND WaitForProcessWindow(DWORD process, const char* className, const char* caption,
                                 int milliseconds = kWaitMs) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindProcessWindow(process, className, caption)) != nullptr; }, milliseconds);
  return found;
}

inline HWND WaitForMessageBox(const char* caption, DWORD process = GetCurrentProcessId(),
                              int milliseconds = kWaitMs) {
  return WaitForProcessWindow(process, "#32770", caption, milliseconds);
}

// The texts of a window's controls at any depth, in order; only those of
// this class (compared without case) when one is given.
inline std::vector<std::string> ChildTexts(HWND window, const char* className = nullptr) {
  std::vector<std::string> texts;
  detail::TTextSearch search{className, &texts};
  EnumChildWindows(window, detail::CollectText, reinterpret_cast<LPARAM>(&search));
  return texts;
}

// The texts of a window's static controls (a message box's icon and message).
inline std::vector<std::string> StaticTexts(HWND window) { return ChildTexts(window, "Static"); }

// A message box's message: its last static control with a text.
inline std::string MessageOf(HWND box) {
  std::string message;
  for (const std::string& text : StaticTexts(box))
    if (!text.empty()) message = text;
  return message;
}

}  // namespace wintest
