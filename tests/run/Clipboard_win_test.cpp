// The clipboard as a run uses it: what the user had copied comes back whole,
// text in any script survives, and a clipboard held by another program
// gives a clear error instead of a hang.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "run/Clipboard_win.h"

namespace {

void PutGlobal(UINT format, const void* bytes, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(memory), bytes, size);
  GlobalUnlock(memory);
  ASSERT_NE(SetClipboardData(format, memory), nullptr);
}

std::vector<unsigned char> GetGlobal(UINT format) {
  HANDLE data = GetClipboardData(format);
  if (data == nullptr) return {};
  const unsigned char* bytes = static_cast<const unsigned char*>(GlobalLock(data));
  std::vector<unsigned char> copy(bytes, bytes + GlobalSize(data));
  GlobalUnlock(data);
  return copy;
}

// A 2 x 2 bitmap with four known colours, read back as 32-bit pixels.
HBITMAP MakeBitmap() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  SetPixel(dc, 1, 0, RGB(0, 255, 0));
  SetPixel(dc, 0, 1, RGB(0, 0, 255));
  SetPixel(dc, 1, 1, RGB(10, 20, 30));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

std::vector<DWORD> PixelsOf(HBITMAP bitmap) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = -2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<DWORD> pixels(4);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, 2, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

class ClipboardTest : public ::testing::Test {
 protected:
  TClipboardOwnerWindow FOwner;
};

}  // namespace

TEST_F(ClipboardTest, SnapshotBringsBackTextAndOwnFormatsExactly) {
  const UINT custom = RegisterClipboardFormatA("ZarvelTestFormat");
  const unsigned char customBytes[] = {1, 2, 0, 3, 255};
  {
    TOpenClipboard clipboard(FOwner.Handle());
    clipboard.WriteText(L"before \u00dcn\u00efc\u00f6d\u00e9 \u2192 \u2713 \u65e5\u672c");
    PutGlobal(custom, customBytes, sizeof customBytes);
  }
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner.Handle());
    saved.Save(clipboard);
    clipboard.WriteText(L"the run's own text");
  }
  {
    TOpenClipboard clipboard(FOwner.Handle());
    saved.Restore(clipboard);
  }
  TOpenClipboard clipboard(FOwner.Handle());
  std::wstring text;
  ASSERT_TRUE(clipboard.ReadText(text));
  EXPECT_EQ(text, L"before \u00dcn\u00efc\u00f6d\u00e9 \u2192 \u2713 \u65e5\u672c");
  std::vector<unsigned char> bytes = GetGlobal(custom);
  ASSERT_GE(bytes.size(), sizeof customBytes);
  EXPECT_EQ(0, std::memcmp(bytes.data(), customBytes, sizeof customBytes));
}

TEST_F(ClipboardTest, SnapshotBringsBackABitmapPixelForPixel) {
  HBITMAP bitmap = MakeBitmap();
  const std::vector<DWORD> before = PixelsOf(bitmap);
  {
    TOpenClipboard clipboard(FOwner.Handle());
    clipboard.Empty();
    ASSERT_NE(SetClipboardData(CF_BITMAP, bitmap), nullptr);
  }
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner.Handle());
    saved.Save(clipboard);
    EXPECT_FALSE(saved.Empty());
    clipboard.WriteText(L"x");
  }
  {
    TOpenClipboard clipboard(FOwner.Handle());
    saved.Restore(clipboard);
  }
  TOpenClipboard clipboard(FOwner.Handle());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  HBITMAP after = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(PixelsOf(after), before);
}

TEST_F(ClipboardTest, AnEmptyClipboardStaysEmpty) {
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner.Handle());
    clipboard.Empty();
    saved.Save(clipboard);
    clipboard.WriteText(L"x");
  }
  TOpenClipboard clipboard(FOwner.Handle());
  saved.Restore(clipboard);
  EXPECT_EQ(CountClipboardFormats(), 0);
}

TEST_F(ClipboardTest, TextWithoutItsEndingZeroIsReadOnlyToTheEndOfItsMemory) {
  const wchar_t chars[] = {L'a', L'b', L'c'};
  TOpenClipboard clipboard(FOwner.Handle());
  clipboard.Empty();
  PutGlobal(CF_UNICODETEXT, chars, sizeof chars);
  std::wstring text;
  ASSERT_TRUE(clipboard.ReadText(text));
  // Some systems cut such a text to end inside its memory; none reads on.
  EXPECT_LE(text.size(), 3u);
  EXPECT_EQ(std::wstring(L"abc").compare(0, text.size(), text), 0);
}

TEST_F(ClipboardTest, AClipboardHeldBrieflyByAnotherProgramIsWaitedFor) {
  std::atomic<bool> held{false};
  std::thread other([&] {
    OpenClipboard(nullptr);
    held = true;
    Sleep(150);
    CloseClipboard();
  });
  while (!held) Sleep(1);
  EXPECT_NO_THROW({ TOpenClipboard clipboard(FOwner.Handle()); });
  other.join();
}

TEST_F(ClipboardTest, AClipboardThatStaysHeldGivesAClearError) {
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread other([&] {
    OpenClipboard(nullptr);
    held = true;
    while (!release) Sleep(5);
    CloseClipboard();
  });
  while (!held) Sleep(1);
  try {
    TOpenClipboard clipboard(FOwner.Handle());
    ADD_FAILURE() << "opened a clipboard another thread holds";
  } catch (const EClipboardError& error) {
    EXPECT_NE(std::string(error.what()).find("clipboard"), std::string::npos);
  }
  release = true;
  other.join();
}

TEST_F(ClipboardTest, ARestoreThatLosesAFormatPutsBackTheOthersAndSaysSo) {
  const UINT custom = RegisterClipboardFormatA("ZarvelTestFormat");
  const unsigned char customBytes[] = {7, 8, 9};
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner.Handle());
    clipboard.WriteText(L"kept");
    PutGlobal(custom, customBytes, sizeof customBytes);
    saved.Save(clipboard);
  }
  TOpenClipboard clipboard(FOwner.Handle());
  FailClipboardWrites(cwRestore, 1);
  EXPECT_THROW(saved.Restore(clipboard), EClipboardError);
  FailClipboardWrites(cwRestore, 0);
  EXPECT_TRUE(IsClipboardFormatAvailable(custom)) << "one refused format took the others with it";
}

namespace {

// Another program's window that put a format on the clipboard to render on
// demand and then stopped answering messages.
class THungClipboardOwner {
 public:
  explicit THungClipboardOwner(UINT format) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this, format, ready] {
      FWindow = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
      if (OpenClipboard(FWindow)) {
        EmptyClipboard();
        SetClipboardData(format, nullptr);
        CloseClipboard();
      }
      SetEvent(ready);
      WaitForSingleObject(FRelease, 30000);
      DestroyWindow(FWindow);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
  }
  ~THungClipboardOwner() {
    SetEvent(FRelease);
    FThread.join();
    CloseHandle(FRelease);
  }
  HWND Window() const { return FWindow; }

 private:
  HANDLE FRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND FWindow = nullptr;
  std::thread FThread;
};

}  // namespace

TEST_F(ClipboardTest, AnOwnerThatNoLongerAnswersStopsTheSaveQuicklyAndKeepsItsFormat) {
  const UINT custom = RegisterClipboardFormatA("ZarvelTestFormat");
  THungClipboardOwner owner(custom);
  TClipboardSnapshot saved;
  const DWORD start = GetTickCount();
  {
    TOpenClipboard clipboard(FOwner.Handle());
    EXPECT_THROW(saved.Save(clipboard), EClipboardError);
  }
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(GetClipboardOwner(), owner.Window());
  EXPECT_TRUE(IsClipboardFormatAvailable(custom));
}

TEST_F(ClipboardTest, AClipboardLargerThanTheLimitIsRefusedUntouchedAndASavedOneComesBackWhole) {
  const UINT custom = RegisterClipboardFormatA("ZarvelTestFormat");
  std::vector<unsigned char> large(64 * 1024);
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<unsigned char>(i * 7);
  {
    TOpenClipboard clipboard(FOwner.Handle());
    clipboard.WriteText(L"kept");
    PutGlobal(custom, large.data(), large.size());
  }
  const DWORD sequence = GetClipboardSequenceNumber();
  {
    TClipboardSnapshot small(16 * 1024);
    TOpenClipboard clipboard(FOwner.Handle());
    try {
      small.Save(clipboard);
      ADD_FAILURE() << "64 KB saved under a 16 KB limit";
    } catch (const EClipboardError& error) {
      EXPECT_NE(std::string(error.what()).find("16 KB"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(small.Empty());
  }
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the refusal changed the clipboard";

  // The process-wide limit is what a run's snapshot gets.
  SetClipboardSaveLimit(16 * 1024);
  TClipboardSnapshot byDefault;
  SetClipboardSaveLimit(0);
  {
    TOpenClipboard clipboard(FOwner.Handle());
    EXPECT_THROW(byDefault.Save(clipboard), EClipboardError);
  }
  TClipboardSnapshot saved;
  {
    TOpenClipboard clipboard(FOwner.Handle());
    saved.Save(clipboard);
    EXPECT_GE(saved.Bytes(), large.size());
    saved.KeepAfterRestore();
    saved.Restore(clipboard);
    clipboard.WriteText(L"a late copy");
    saved.Restore(clipboard);  // kept blocks come back a second time
    EXPECT_EQ(GetGlobal(custom), large);
  }
  TClipboardSnapshot once;
  TOpenClipboard clipboard(FOwner.Handle());
  once.Save(clipboard);
  once.Restore(clipboard);
  EXPECT_EQ(GetGlobal(custom), large);
  EXPECT_THROW(once.Restore(clipboard), EClipboardError) << "handed-back blocks cannot come back twice";
}

namespace {

bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(20))
    if (condition()) return true;
  return false;
}

// Another program's window that offers a format to render on demand and,
// asked for it, answers only after `delayMs`.
class TSlowClipboardOwner {
 public:
  TSlowClipboardOwner(UINT format, DWORD delayMs) : FFormat(format), FDelayMs(delayMs) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FThread = std::thread([this, ready] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = Proc;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"ZarvelSlowOwner";
      RegisterClassW(&windowClass);
      FWindow = CreateWindowExW(0, L"ZarvelSlowOwner", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
      SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      if (OpenClipboard(FWindow)) {
        EmptyClipboard();
        SetClipboardData(FFormat, nullptr);
        CloseClipboard();
      }
      SetEvent(ready);
      MSG message;
      while (!FQuit && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
      DestroyWindow(FWindow);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
  }
  ~TSlowClipboardOwner() {
    FQuit = true;
    PostMessageW(FWindow, WM_NULL, 0, 0);
    FThread.join();
  }
  HWND Window() const { return FWindow; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TSlowClipboardOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_RENDERFORMAT && self != nullptr) {
      Sleep(self->FDelayMs);
      const unsigned char bytes[] = {5, 6, 7};
      PutGlobal(self->FFormat, bytes, sizeof bytes);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  UINT FFormat;
  DWORD FDelayMs;
  std::atomic<bool> FQuit{false};
  HWND FWindow = nullptr;
  std::thread FThread;
};

}  // namespace

TEST_F(ClipboardTest, AnOwnerThatRendersTooSlowlyStopsTheSaveInTimeAndKeepsItsFormat) {
  const UINT custom = RegisterClipboardFormatA("ZarvelTestFormat");
  TSlowClipboardOwner owner(custom, 3000);
  TClipboardSnapshot saved;
  const DWORD start = GetTickCount();
  EXPECT_THROW(saved.SaveWithin(800), EClipboardError);
  EXPECT_LT(GetTickCount() - start, 2000u) << "the save waited for the rendering";
  EXPECT_TRUE(saved.Empty());
  EXPECT_EQ(GetClipboardOwner(), owner.Window());
  // Once rendered, the data is the owner's as it was: nothing emptied it.
  EXPECT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 10000));
  EXPECT_EQ(GetGlobal(custom), (std::vector<unsigned char>{5, 6, 7}));
  CloseClipboard();

  // A rendering within the limit is waited for and saved.
  TSlowClipboardOwner prompt(custom, 300);
  TClipboardSnapshot whole;
  whole.SaveWithin(3000);
  EXPECT_EQ(whole.FormatCount(), 1u);
  EXPECT_EQ(whole.Sequence(), GetClipboardSequenceNumber());
}
