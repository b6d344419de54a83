// Drives the picture-open dialog as the run uses it: shown on a thread of
// its own with no owner, found by its caption, its picture panel read back
// (texts, button state, painted pixels), the preview opened and closed, and
// the dialog confirmed or cancelled.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/TempFolder.h"
#include "common/WindowSearch_win.h"
#include "picture/PictureDialog_win.h"
#include "picture/PicturePanel_win.h"

namespace {

using namespace wintest;

// Writes a 24-bit bottom-up BMP of one colour (0xRRGGBB).
void WriteSolidBmp(const std::string& path, int width, int height, std::uint32_t colour) {
  int stride = (width * 3 + 3) & ~3;
  std::uint32_t dataSize = static_cast<std::uint32_t>(stride * height);
  std::vector<unsigned char> bytes(54 + dataSize, 0);
  auto put = [&](size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<std::uint32_t>(bytes.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, dataSize, 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      size_t at = 54 + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
      bytes[at] = static_cast<unsigned char>(colour);
      bytes[at + 1] = static_cast<unsigned char>(colour >> 8);
      bytes[at + 2] = static_cast<unsigned char>(colour >> 16);
    }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

struct TChildSearch {
  int Id;
  const char* ClassName;
  HWND Found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TChildSearch*>(data);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  bool idMatches = search->Id == 0 || GetDlgCtrlID(window) == search->Id;
  bool classMatches = !search->ClassName || lstrcmpiA(name, search->ClassName) == 0;
  if (idMatches && classMatches) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindDescendant(HWND root, int id, const char* className = nullptr) {
  TChildSearch search{id, className, nullptr};
  EnumChildWindows(root, MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// The colour painted at a point of a window's client area, as 0xRRGGBB.
std::uint32_t PixelAt(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

SIZE ClientSize(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

void PressEscape(HWND window) {
  PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// One dialog shown on its own thread the way the run shows it.
class TPickRun {
 public:
  explicit TPickRun(const std::string& fileName) {
    FDialog.FileName = fileName;
    FThread = std::thread([this] { FResult = FDialog.Execute(nullptr); });
    FWindow = WaitForWindow("Open");
    if (FWindow) WaitForValue([this] { return Control(idPictureArea); });
  }
  ~TPickRun() {
    if (FThread.joinable()) Finish(IDCANCEL);
  }
  HWND Window() const { return FWindow; }
  HWND Control(int id) const { return FindDescendant(FWindow, id); }
  std::string Label() const { return TextOf(Control(idPictureLabel)); }
  bool PreviewEnabled() const { return IsWindowEnabled(Control(idPicturePreview)) != FALSE; }
  // Posted: the preview is modal and would hold a sent message.
  void ClickPreview() const {
    HWND button = Control(idPicturePreview);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(idPicturePreview, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
  // Ends the dialog with OK or Cancel and waits for Execute to return.
  bool Finish(int id) {
    if (FWindow) PostMessageA(FWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    FThread.join();
    return FResult;
  }
  const TOpenPictureDialog& Dialog() const { return FDialog; }

 private:
  TOpenPictureDialog FDialog;
  bool FResult = false;
  std::thread FThread;
  HWND FWindow = nullptr;
};

#define OPEN_PICKER(name, file)               \
  TPickRun name(file);                        \
  ASSERT_TRUE(name.Window()) << "no dialog";  \
  ASSERT_TRUE(name.Control(idPictureArea)) << "no picture panel"

class PictureDialog : public ::testing::Test {
 protected:
  TTempFolder FFolder;
};

TEST_F(PictureDialog, ShowsThePresetPictureWithItsSizeCentredAtItsOwnSize) {
  std::string red = FFolder.File("red.bmp");
  WriteSolidBmp(red, 32, 16, 0xFF0000);
  OPEN_PICKER(run, red);
  EXPECT_EQ(run.Label(), " (32x16)");
  EXPECT_TRUE(run.PreviewEnabled());
  HWND area = run.Control(idPictureArea);
  EXPECT_EQ(TextOf(area), "");
  SIZE size = ClientSize(area);
  EXPECT_EQ(PixelAt(area, size.cx / 2, size.cy / 2), 0xFF0000u);
  EXPECT_EQ(PixelAt(area, size.cx / 2 - 15, size.cy / 2 - 7), 0xFF0000u) << "top-left corner";
  EXPECT_NE(PixelAt(area, size.cx / 2 - 18, size.cy / 2), 0xFF0000u) << "drawn larger than 32";
  EXPECT_NE(PixelAt(area, size.cx / 2, size.cy / 2 + 10), 0xFF0000u) << "drawn larger than 16";
}

TEST_F(PictureDialog, PanelSitsRightOfTheDialogsOwnControlsAtItsDesignedSize) {
  std::string red = FFolder.File("red.bmp");
  WriteSolidBmp(red, 8, 8, 0xFF0000);
  OPEN_PICKER(run, red);
  RECT area, label, button, view{};
  GetWindowRect(run.Control(idPictureArea), &area);
  GetWindowRect(run.Control(idPictureLabel), &label);
  GetWindowRect(run.Control(idPicturePreview), &button);
  HWND list = FindDescendant(run.Window(), 0, "SysListView32");
  ASSERT_TRUE(list);
  GetWindowRect(list, &view);
  EXPECT_GE(area.left, view.right) << "the panel must not cover the file list";
  EXPECT_EQ(area.right - area.left, 188);
  EXPECT_EQ(button.right - label.left, 188);
  EXPECT_LT(label.bottom, area.top + 1);
  RECT dialog;
  GetClientRect(run.Window(), &dialog);
  MapWindowPoints(run.Window(), nullptr, reinterpret_cast<POINT*>(&dialog), 2);
  EXPECT_LE(area.right, dialog.right) << "the dialog grew to hold the panel";
  EXPECT_LE(area.bottom, dialog.bottom);
}

TEST_F(PictureDialog, WidePictureIsShrunkToTheAreasWidthKeepingItsProportions) {
  std::string blue = FFolder.File("wide.bmp");
  WriteSolidBmp(blue, 800, 100, 0x0000FF);
  OPEN_PICKER(run, blue);
  EXPECT_EQ(run.Label(), " (800x100)");
  HWND area = run.Control(idPictureArea);
  SIZE size = ClientSize(area);
  EXPECT_EQ(PixelAt(area, 4, size.cy / 2), 0x0000FFu) << "reaches the left edge";
  EXPECT_EQ(PixelAt(area, size.cx - 5, size.cy / 2), 0x0000FFu) << "reaches the right edge";
  EXPECT_NE(PixelAt(area, size.cx / 2, size.cy / 2 + 20), 0x0000FFu) << "height not kept in proportion";
}

TEST_F(PictureDialog, FileThatDoesNotDecodeShowsNoPicture) {
  std::string fake = FFolder.File("fake.png");
  std::ofstream(fake) << "not a picture at all";
  OPEN_PICKER(run, fake);
  EXPECT_EQ(run.Label(), "Picture:");
  EXPECT_FALSE(run.PreviewEnabled());
  EXPECT_EQ(TextOf(run.Control(idPictureArea)), "(None)");
  run.ClickPreview();
  Sleep(300);
  EXPECT_FALSE(FindOwnWindow("Preview")) << "no preview without a picture";
}

TEST_F(PictureDialog, PngPictureFromThePictureFolder) {
  OPEN_PICKER(run, std::string(ZARVEL_TESTDATA) + "\\picture.png");
  EXPECT_EQ(run.Label(), " (300x200)");
  EXPECT_TRUE(run.PreviewEnabled());
}

TEST_F(PictureDialog, PreviewOpensFromTheButtonAndDoubleClickAndClosesWithEscape) {
  std::string red = FFolder.File("red.bmp");
  WriteSolidBmp(red, 120, 60, 0xFF0000);
  OPEN_PICKER(run, red);

  run.ClickPreview();
  HWND preview = WaitForWindow("Preview");
  ASSERT_TRUE(preview) << "the button opens the preview";
  EXPECT_TRUE(GetWindowLongPtrA(preview, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongPtrA(preview, GWL_STYLE) & WS_THICKFRAME) << "resizable";
  SIZE size = ClientSize(preview);
  EXPECT_EQ(size.cx, 130);
  EXPECT_EQ(size.cy, 70);
  EXPECT_EQ(PixelAt(preview, 1, 1), 0xFF0000u) << "stretched to fill the window";
  RECT outer;
  GetWindowRect(preview, &outer);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_LE(std::abs((outer.left + outer.right) / 2 - screenWidth / 2), 2) << "centred";
  EXPECT_FALSE(IsWindowEnabled(run.Window())) << "modal";
  PressEscape(preview);
  EXPECT_TRUE(WaitUntilGone(preview));
  EXPECT_TRUE(IsWindow(run.Window())) << "Escape closes only the preview";

  HWND area = run.Control(idPictureArea);
  PostMessageA(area, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  preview = WaitForWindow("Preview");
  ASSERT_TRUE(preview) << "a double-click opens the preview";
  PressEscape(preview);
  EXPECT_TRUE(WaitUntilGone(preview));
  EXPECT_FALSE(run.Finish(IDCANCEL));
}

TEST_F(PictureDialog, PreviewOfAPictureLargerThanTheScreenFitsTheScreen) {
  std::string huge = FFolder.File("huge.bmp");
  WriteSolidBmp(huge, 4000, 500, 0x00FF00);
  OPEN_PICKER(run, huge);
  run.ClickPreview();
  HWND preview = WaitForWindow("Preview");
  ASSERT_TRUE(preview);
  RECT outer;
  GetWindowRect(preview, &outer);
  EXPECT_LE(outer.right - outer.left, GetSystemMetrics(SM_CXSCREEN));
  SIZE size = ClientSize(preview);
  // 10 pixels to spare, the rest in the picture's proportions.
  EXPECT_NEAR(static_cast<double>(size.cx - 10) / (size.cy - 10), 8.0, 0.2);
  PressEscape(preview);
  EXPECT_TRUE(WaitUntilGone(preview));
}

TEST_F(PictureDialog, ButtonCarriesTheHintPreview) {
  std::string red = FFolder.File("red.bmp");
  WriteSolidBmp(red, 8, 8, 0xFF0000);
  OPEN_PICKER(run, red);
  HWND button = run.Control(idPicturePreview);
  std::string hint;
  for (HWND window = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); window && hint.empty();
       window = FindWindowExA(nullptr, window, TOOLTIPS_CLASSA, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) continue;
    char text[80] = {};
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(button);
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = text;
    SendMessageA(window, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    hint = text;
  }
  EXPECT_EQ(hint, "Preview");
}

TEST_F(PictureDialog, OkGivesThePickedPathAndCancelKeepsTheName) {
  std::string red = FFolder.File("red.bmp");
  WriteSolidBmp(red, 8, 8, 0xFF0000);
  {
    OPEN_PICKER(run, red);
    EXPECT_TRUE(run.Finish(IDOK));
    EXPECT_EQ(lstrcmpiA(run.Dialog().FileName.c_str(), red.c_str()), 0) << run.Dialog().FileName;
    EXPECT_EQ(run.Dialog().FilterIndex, 1);
  }
  {
    OPEN_PICKER(run, red);
    EXPECT_FALSE(run.Finish(IDCANCEL));
    EXPECT_EQ(run.Dialog().FileName, red);
  }
}

TEST_F(PictureDialog, SelectingAnotherFileUpdatesThePanel) {
  std::string red = FFolder.File("a-red.bmp");
  WriteSolidBmp(red, 8, 8, 0xFF0000);
  WriteSolidBmp(FFolder.File("b-wide.bmp"), 64, 8, 0x0000FF);
  std::ofstream(FFolder.File("c-fake.bmp")) << "no";
  OPEN_PICKER(run, red);
  ASSERT_EQ(run.Label(), " (8x8)");
  HWND list = FindDescendant(run.Window(), 0, "SysListView32");
  ASSERT_TRUE(list);
  auto select = [&](const char* name) {
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[MAX_PATH] = {};
      LVITEMA item{};
      item.iSubItem = 0;
      item.pszText = text;
      item.cchTextMax = MAX_PATH;
      SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
      if (std::string(text).rfind(name, 0) != 0) continue;
      LVITEMA state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      state.state = 0;
      SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
      state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageA(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
      return true;
    }
    return false;
  };
  ASSERT_TRUE(select("b-wide"));
  EXPECT_TRUE(WaitFor([&] { return run.Label() == " (64x8)"; })) << run.Label();
  EXPECT_TRUE(run.PreviewEnabled());
  ASSERT_TRUE(select("c-fake"));
  EXPECT_TRUE(WaitFor([&] { return run.Label() == "Picture:"; })) << run.Label();
  EXPECT_FALSE(run.PreviewEnabled());
  EXPECT_EQ(TextOf(run.Control(idPictureArea)), "(None)");
}

TEST_F(PictureDialog, WorksAgainAndAgainOnTheSameThread) {
  std::string red = FFolder.File("red.bmp");
  std::string wide = FFolder.File("wide.bmp");
  WriteSolidBmp(red, 8, 8, 0xFF0000);
  WriteSolidBmp(wide, 64, 8, 0x0000FF);
  TOpenPictureDialog dialog;
  std::vector<bool> results;
  std::thread runner([&] {
    for (const std::string& name : {red, wide, red}) {
      dialog.FileName = name;
      results.push_back(dialog.Execute());
    }
  });
  HWND previous = nullptr;
  const char* expected[] = {" (8x8)", " (64x8)", " (8x8)"};
  for (int round = 0; round < 3; ++round) {
    HWND window = WaitForWindow("Open", previous);
    ASSERT_TRUE(window) << "round " << round;
    HWND label = WaitForValue([&] { return FindDescendant(window, idPictureLabel); });
    ASSERT_TRUE(label) << "round " << round;
    EXPECT_EQ(TextOf(label), expected[round]) << "round " << round;
    PostMessageA(window, WM_COMMAND, round == 1 ? IDOK : IDCANCEL, 0);
    WaitUntilGone(window);
    previous = window;
  }
  runner.join();
  EXPECT_EQ(results, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(lstrcmpiA(dialog.FileName.c_str(), red.c_str()), 0) << "cancel keeps the preset name";
}

TEST_F(PictureDialog, PresetNamesTheDialogCannotTakeStillOpenItEmpty) {
  {
    OPEN_PICKER(run, std::string(5000, 'a') + ".bmp");
    EXPECT_EQ(run.Label(), "Picture:");
    EXPECT_FALSE(run.Finish(IDCANCEL));
  }
  {
    OPEN_PICKER(run, FFolder.File("bad<|>\"name*.bmp"));
    EXPECT_EQ(run.Label(), "Picture:");
    EXPECT_FALSE(run.Finish(IDCANCEL));
  }
}

}  // namespace
