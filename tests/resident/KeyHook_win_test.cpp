// zarvel.dll as the program uses it: loaded by name, both entries looked up,
// and keys typed while the hook is in place arrive as the two messages.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resident/HookKeys.h"
#include "resident/Messages.h"
#include "resident/ProgramProcess.h"
#include "wingui/WinHandles_win.h"

namespace {

using TKeyHookCreate = BOOL(__stdcall*)(HWND);
using TKeyHookDestroy = BOOL(__stdcall*)();

struct TSeenKey {
  UINT Message;
  unsigned Key;
};
std::vector<TSeenKey> Seen;
unsigned KeyToUse = 0;  // the window answers 0 (used) for this key

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOOKKEYDOWN || message == WM_HOOKKEYUP) {
    Seen.push_back({message, static_cast<unsigned>(wParam)});
    if (message == WM_HOOKKEYUP) return 0;
    return IsModifierKey(static_cast<unsigned>(wParam)) || wParam == KeyToUse ? kKeyUsed : kKeyPassed;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

INPUT Key(WORD code, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

class HookLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    Library.Reset(LoadLibraryA(BinFile("zarvel.dll").string().c_str()));
    ASSERT_TRUE(Library) << GetLastError();
    Create = reinterpret_cast<TKeyHookCreate>(reinterpret_cast<void*>(GetProcAddress(Library.Get(), "KeyHookCreate")));
    Destroy = reinterpret_cast<TKeyHookDestroy>(reinterpret_cast<void*>(GetProcAddress(Library.Get(), "KeyHookDestroy")));
  }
  TLibrary Library;
  TKeyHookCreate Create = nullptr;
  TKeyHookDestroy Destroy = nullptr;
};

}  // namespace

TEST_F(HookLibrary, ExportsBothEntriesUndecorated) {
  EXPECT_NE(Create, nullptr);
  EXPECT_NE(Destroy, nullptr);
  // No stdcall decoration is left beside them.
  EXPECT_EQ(GetProcAddress(Library.Get(), "KeyHookCreate@4"), nullptr);
  EXPECT_EQ(GetProcAddress(Library.Get(), "_KeyHookCreate@4"), nullptr);
}

TEST_F(HookLibrary, TypedKeysArriveAsHookMessagesWithGenericModifiers) {
  ASSERT_NE(Create, nullptr);
  ASSERT_NE(Destroy, nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.lpszClassName = "ZarvelHookTest";
  RegisterClassA(&windowClass);
  TWindowHandle window(CreateWindowExA(0, "ZarvelHookTest", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  ASSERT_TRUE(Create(window.Get()));
  Seen.clear();
  KeyToUse = 'T';
  INPUT keys[] = {Key(VK_LCONTROL, false), Key('T', false), Key('T', true), Key(VK_LCONTROL, true)};
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  PumpUntil([] { return Seen.size() >= 4; }, 5000);
  EXPECT_TRUE(Destroy());
  ASSERT_EQ(Seen.size(), 4u);
  EXPECT_EQ(Seen[0].Message, WM_HOOKKEYDOWN);
  EXPECT_EQ(Seen[0].Key, kKeyCtrl);
  EXPECT_EQ(Seen[1].Message, WM_HOOKKEYDOWN);
  EXPECT_EQ(Seen[1].Key, static_cast<unsigned>('T'));
  EXPECT_EQ(Seen[2].Message, WM_HOOKKEYUP);
  EXPECT_EQ(Seen[3].Message, WM_HOOKKEYUP);
  EXPECT_EQ(Seen[3].Key, kKeyCtrl);

  // Once destroyed, nothing more arrives.
  Seen.clear();
  INPUT more[] = {Key('U', false), Key('U', true)};
  SendInput(2, more, sizeof(INPUT));
  PumpUntil([] { return !Seen.empty(); }, 300);
  EXPECT_TRUE(Seen.empty());
}

// The press that completed a shortcut never reaches the focused control; a
// key the program passes on does.
TEST_F(HookLibrary, UsedKeyIsWithheldFromTheFocusedControl) {
  ASSERT_NE(Create, nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.lpszClassName = "ZarvelHookFocusTest";
  RegisterClassA(&windowClass);
  TWindowHandle window(CreateWindowExA(0, "ZarvelHookFocusTest", "hook test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                       300, 100, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30, window.Get(), nullptr, nullptr,
                              nullptr);
  SetForegroundWindow(window.Get());
  SetFocus(edit);
  ASSERT_TRUE(Create(window.Get()));
  Seen.clear();
  KeyToUse = 'T';
  INPUT keys[] = {Key('T', false), Key('T', true), Key('U', false), Key('U', true)};
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  char text[16] = "";
  PumpUntil([&] { return GetWindowTextA(edit, text, sizeof text) > 0 && Seen.size() >= 4; }, 5000);
  PumpUntil([] { return false; }, 200);  // a withheld T would have arrived by now
  Destroy();
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "u");
}
