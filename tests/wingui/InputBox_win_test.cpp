// Drives the one-line input box as a user would: it runs on a thread of its
// own, is found by its caption, typed into and closed with its buttons or keys.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "common/WindowSearch_win.h"
#include "wingui/InputBox_win.h"

namespace {

using namespace wintest;

HWND ChildOfClass(HWND parent, const char* className, const char* text = nullptr) {
  return FindWindowExA(parent, nullptr, className, text);
}

constexpr const char* kCaption = "Input box test";

// One InputQuery on its own thread; the destructor cancels a box still open.
class TBoxRun {
 public:
  TBoxRun(std::string value, HWND owner = nullptr, const std::string& prompt = "Name:")
      : FValue(std::move(value)) {
    FThread = std::thread([this, owner, prompt] { FResult = InputQuery(owner, kCaption, prompt, FValue); });
    FBox = WaitForWindow(kCaption);
  }
  ~TBoxRun() {
    if (FBox && IsWindow(FBox)) PostMessageA(FBox, WM_COMMAND, IDCANCEL, 0);
    if (FThread.joinable()) FThread.join();
  }
  HWND Box() const { return FBox; }
  HWND Edit() const { return ChildOfClass(FBox, "Edit"); }
  // Waits for the box to close and gives InputQuery's result and value.
  bool Finish(std::string& value) {
    EXPECT_TRUE(WaitUntilGone(FBox)) << "the box did not close";
    FThread.join();
    value = FValue;
    return FResult;
  }
  void Type(const std::string& text) const {
    for (char c : text) PostMessageA(Edit(), WM_CHAR, static_cast<unsigned char>(c), 0);
  }
  void PressKey(WPARAM key) const {
    PostMessageA(Edit(), WM_KEYDOWN, key, 0);
    PostMessageA(Edit(), WM_KEYUP, key, 0xC0000000);
  }
  void Click(int id) const { PostMessageA(GetDlgItem(FBox, id), BM_CLICK, 0, 0); }

 private:
  std::string FValue;
  bool FResult = false;
  std::thread FThread;
  HWND FBox = nullptr;
};

#define OPEN_BOX(name, ...)  \
  TBoxRun name(__VA_ARGS__); \
  ASSERT_TRUE(name.Box()) << "the input box did not appear"

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

}  // namespace

TEST(InputBox, ShowsPromptAndButtonsAndSelectsTheWholeValue) {
  OPEN_BOX(run, "pic", nullptr, "Please enter the variable name:");
  EXPECT_TRUE(ChildOfClass(run.Box(), "Static", "Please enter the variable name:"));
  EXPECT_EQ(TextOf(run.Edit()), "pic");
  HWND ok = GetDlgItem(run.Box(), IDOK);
  HWND cancel = GetDlgItem(run.Box(), IDCANCEL);
  ASSERT_TRUE(ok && cancel);
  EXPECT_EQ(TextOf(ok), "OK");
  EXPECT_EQ(TextOf(cancel), "Cancel");
  EXPECT_EQ(GetWindowLongPtrA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_LT(WindowRect(ok).left, WindowRect(cancel).left) << "OK left of Cancel";

  DWORD start = 1, end = 0;
  SendMessageA(run.Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u) << "the first text is selected, so typing replaces it";
  // The thread that shows the box owns the focus: ask it.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(run.Box(), nullptr), &info));
  EXPECT_EQ(info.hwndFocus, run.Edit());
}

TEST(InputBox, TypingReplacesTheValueAndEnterAccepts) {
  OPEN_BOX(run, "old");
  run.Type("who");
  run.PressKey(VK_RETURN);
  std::string value;
  EXPECT_TRUE(run.Finish(value));
  EXPECT_EQ(value, "who");
}

TEST(InputBox, OKTakesTheTextExactlyEvenWhenEmptyOrLong) {
  {
    OPEN_BOX(run, "something");
    SetWindowTextA(run.Edit(), "");
    run.Click(IDOK);
    std::string value;
    EXPECT_TRUE(run.Finish(value));
    EXPECT_EQ(value, "") << "an empty answer is an answer";
  }
  {
    OPEN_BOX(run, "");
    std::string longName(3000, 'x');
    longName += " a=b}{";
    SetWindowTextA(run.Edit(), longName.c_str());
    run.Click(IDOK);
    std::string value;
    EXPECT_TRUE(run.Finish(value));
    EXPECT_EQ(value, longName) << "no cut at any buffer size";
  }
}

TEST(InputBox, PromptAndValueAreUtf8AndTypingTakesAnyCharacter) {
  // "Café →" and "日本:", which no single ANSI code page holds together.
  OPEN_BOX(run, "Caf\xC3\xA9 \xE2\x86\x92", nullptr, "\xE6\x97\xA5\xE6\x9C\xAC:");
  wchar_t prompt[16] = {}, value[16] = {};
  GetWindowTextW(FindWindowExW(run.Box(), nullptr, L"Static", nullptr), prompt, 16);
  GetWindowTextW(run.Edit(), value, 16);
  EXPECT_STREQ(prompt, L"\x65E5\x672C:");
  EXPECT_STREQ(value, L"Caf\xE9 \x2192");
  run.PressKey(VK_END);
  PostMessageW(run.Edit(), WM_CHAR, 0x2713, 0);  // a check mark, typed
  run.PressKey(VK_RETURN);
  std::string typed;
  EXPECT_TRUE(run.Finish(typed));
  EXPECT_EQ(typed, "Caf\xC3\xA9 \xE2\x86\x92\xE2\x9C\x93");
}

TEST(InputBox, CancelEscapeAndCloseLeaveTheValue) {
  {
    OPEN_BOX(run, "keep");
    run.Type("typed");
    run.Click(IDCANCEL);
    std::string value;
    EXPECT_FALSE(run.Finish(value));
    EXPECT_EQ(value, "keep");
  }
  {
    OPEN_BOX(run, "keep");
    run.Type("typed");
    run.PressKey(VK_ESCAPE);
    std::string value;
    EXPECT_FALSE(run.Finish(value));
    EXPECT_EQ(value, "keep");
  }
  {
    OPEN_BOX(run, "keep");
    PostMessageA(run.Box(), WM_SYSCOMMAND, SC_CLOSE, 0);
    std::string value;
    EXPECT_FALSE(run.Finish(value));
    EXPECT_EQ(value, "keep");
  }
}

// An owner window on a thread that pumps its messages, as a real owner does.
class TOwnerWindow {
 public:
  TOwnerWindow() {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this, ready] {
      FWindow = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 150, 700,
                                500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      FThreadId = GetCurrentThreadId();
      SetEvent(ready);
      MSG message;
      while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
      DestroyWindow(FWindow);
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
  }
  ~TOwnerWindow() {
    PostThreadMessageA(FThreadId, WM_QUIT, 0, 0);
    FThread.join();
  }
  HWND Window() const { return FWindow; }

 private:
  std::thread FThread;
  HWND FWindow = nullptr;
  DWORD FThreadId = 0;
};

TEST(InputBox, CentresOverItsOwner) {
  TOwnerWindow owner;
  ASSERT_TRUE(owner.Window());
  OPEN_BOX(run, "", owner.Window());
  RECT box = WindowRect(run.Box());
  EXPECT_NEAR((box.left + box.right) / 2, 100 + 350, 2);
  EXPECT_NEAR((box.top + box.bottom) / 2, 150 + 250, 2);
  EXPECT_EQ(GetWindow(run.Box(), GW_OWNER), owner.Window());
  EXPECT_FALSE(IsWindowEnabled(owner.Window())) << "modal to its owner";
  run.Click(IDOK);
  std::string value;
  EXPECT_TRUE(run.Finish(value));
  EXPECT_TRUE(IsWindowEnabled(owner.Window()));
}

TEST(InputBox, WithoutOwnerItIsWhollyOnTheScreen) {
  OPEN_BOX(run, "");
  EXPECT_EQ(GetWindow(run.Box(), GW_OWNER), nullptr);
  RECT box = WindowRect(run.Box());
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(run.Box(), MONITOR_DEFAULTTONEAREST), &info));
  EXPECT_GE(box.left, info.rcWork.left);
  EXPECT_GE(box.top, info.rcWork.top);
  EXPECT_LE(box.right, info.rcWork.right);
  EXPECT_LE(box.bottom, info.rcWork.bottom);
  // Roughly centred.
  EXPECT_NEAR((box.left + box.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 2);
}
