#include "editor/formAbout_win.h"

#include <windows.h>

#include "wingui/DialogBase_win.h"
#include "wingui/GdiHandles_win.h"

namespace {

// The designed box, inside its border, and its parts.
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 288;
constexpr int kBannerHeight = 70;
constexpr int kVersionTop = 50;
constexpr int kVersionHeight = 16;

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps) {
  auto mix = [&](int a, int b) { return a + (b - a) * step / (steps > 1 ? steps - 1 : 1); };
  return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
             mix(GetBValue(from), GetBValue(to)));
}

HFONT MakeFont(const char* face, int pixelHeight, int weight, bool italic = false) {
  LOGFONTA font{};
  font.lfHeight = -pixelHeight;
  font.lfWeight = weight;
  font.lfItalic = italic ? TRUE : FALSE;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = ANTIALIASED_QUALITY;
  lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectA(&font);
}

void DrawTextAt(HDC dc, const char* text, RECT box, COLORREF color, UINT format) {
  SetTextColor(dc, color);
  DrawTextA(dc, text, -1, &box, format | DT_NOPREFIX | DT_SINGLELINE);
}

// The banner: a dusk-blue band with the program's name, template braces in
// the background and a key cap, the version left to the label above it.
TScopedBitmap DrawBanner(HDC like, unsigned dpi) {
  int width = ScaleForDpi(kClientWidth, dpi);
  int height = ScaleForDpi(kBannerHeight, dpi);
  TScopedBitmap bitmap(CreateCompatibleBitmap(like, width, height));
  TScopedMemoryDC dc(like);
  if (!bitmap || !dc.Get()) return bitmap;
  TScopedSelect selectBitmap(dc.Get(), bitmap.Get());
  SetBkMode(dc.Get(), TRANSPARENT);

  const COLORREF left = RGB(18, 42, 86);
  const COLORREF right = RGB(32, 112, 138);
  const int bands = 64;
  for (int i = 0; i < bands; ++i) {
    RECT band{width * i / bands, 0, width * (i + 1) / bands, height};
    TScopedBrush brush(CreateSolidBrush(Blend(left, right, i, bands)));
    FillRect(dc.Get(), &band, brush.Get());
  }

  {  // Template braces, faint, behind everything on the right.
    TScopedFont braces(MakeFont("Georgia", ScaleForDpi(84, dpi), FW_NORMAL));
    TScopedSelect selectFont(dc.Get(), braces.Get());
    RECT box{ScaleForDpi(250, dpi), ScaleForDpi(-22, dpi), width, height + ScaleForDpi(10, dpi)};
    DrawTextAt(dc.Get(), "{ }", box, RGB(52, 132, 160), DT_LEFT | DT_TOP);
  }

  {  // A key cap with a Z: the shortcut that starts a macro.
    RECT cap{ScaleForDpi(22, dpi), ScaleForDpi(9, dpi), ScaleForDpi(60, dpi), ScaleForDpi(45, dpi)};
    TScopedBrush face(CreateSolidBrush(RGB(236, 240, 246)));
    TScopedPen edge(CreatePen(PS_SOLID, ScaleForDpi(2, dpi), RGB(120, 170, 200)));
    TScopedSelect selectBrush(dc.Get(), face.Get());
    TScopedSelect selectPen(dc.Get(), edge.Get());
    int round = ScaleForDpi(9, dpi);
    RoundRect(dc.Get(), cap.left, cap.top, cap.right, cap.bottom, round, round);
    TScopedFont letter(MakeFont("Tahoma", ScaleForDpi(24, dpi), FW_BOLD));
    TScopedSelect selectFont(dc.Get(), letter.Get());
    DrawTextAt(dc.Get(), "Z", cap, RGB(18, 42, 86), DT_CENTER | DT_VCENTER);
  }

  {  // The name, with a soft shadow.
    TScopedFont title(MakeFont("Tahoma", ScaleForDpi(30, dpi), FW_BOLD));
    TScopedSelect selectFont(dc.Get(), title.Get());
    RECT box{0, ScaleForDpi(6, dpi), width, ScaleForDpi(46, dpi)};
    RECT shadow = box;
    OffsetRect(&shadow, ScaleForDpi(2, dpi), ScaleForDpi(2, dpi));
    DrawTextAt(dc.Get(), "Zarvel", shadow, RGB(10, 24, 50), DT_CENTER | DT_VCENTER);
    DrawTextAt(dc.Get(), "Zarvel", box, RGB(255, 255, 255), DT_CENTER | DT_VCENTER);
  }
  return bitmap;
}

class TfrmAbout : public TDialogBase {
 public:
  explicit TfrmAbout(const std::string& versionLong) : FVersionLong(versionLong) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void DpiChanged() override { MakePictures(); }

 private:
  void FormCreate();
  void Layout();
  void MakePictures();
  void DrawImage(const DRAWITEMSTRUCT& item);

  std::string FVersionLong;
  TScopedBitmap FBanner;
  // The banner as a brush, so the version label shows the banner behind its
  // text however it is repainted.
  TScopedBrush FBannerBrush;
};

INT_PTR TfrmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // focus is on OK already
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != idAboutImage) return FALSE;
      DrawImage(*item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      HWND control = reinterpret_cast<HWND>(lParam);
      if (GetDlgCtrlID(control) != idAboutVersion || !FBannerBrush) return FALSE;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      RECT place;
      GetWindowRect(control, &place);
      MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
      SetBrushOrgEx(dc, -place.left, -place.top, nullptr);
      return reinterpret_cast<INT_PTR>(FBannerBrush.Get());
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(Handle(), IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void TfrmAbout::FormCreate() {
  ShowProgramIcon();
  // The label lies over the banner: the banner clips itself against it.
  AddControl("STATIC", "", SS_OWNERDRAW | WS_CLIPSIBLINGS, idAboutImage);
  AddControl("STATIC", "", SS_BLACKRECT, idAboutLine);
  AddControl("STATIC", AboutVersionText(FVersionLong).c_str(), SS_CENTER | SS_NOPREFIX,
             idAboutVersion);
  HWND ok = AddControl("BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, idAboutOK);
  SetWindowPos(GetDlgItem(Handle(), idAboutVersion), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  MakePictures();

  SetClientSize(kClientWidth, kClientHeight);
  CenterOnMonitor(MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY));
  Layout();
  SetFocus(ok);
  SetForegroundWindow(Handle());
}

void TfrmAbout::Layout() {
  Place(idAboutImage, 0, 0, kClientWidth, kBannerHeight);
  Place(idAboutLine, 0, kBannerHeight, kClientWidth, 1);
  Place(idAboutVersion, 0, kVersionTop, kClientWidth, kVersionHeight);
  Place(idAboutOK, kClientWidth - 8 - 75, kClientHeight - 8 - 25, 75, 25);
}

void TfrmAbout::MakePictures() {
  TScopedGetDC screen(Handle());
  FBanner = DrawBanner(screen.Get(), Dpi());
  FBannerBrush.Reset(FBanner ? CreatePatternBrush(FBanner.Get()) : nullptr);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TfrmAbout::DrawImage(const DRAWITEMSTRUCT& item) {
  if (!FBanner) return;
  TScopedMemoryDC source(item.hDC);
  TScopedSelect select(source.Get(), FBanner.Get());
  BitBlt(item.hDC, 0, 0, item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top,
         source.Get(), 0, 0, SRCCOPY);
}

}  // namespace

std::string AboutVersionText(const std::string& versionLong) { return "Version " + versionLong; }

void ShowAboutBox(const std::string& versionLong) {
  TfrmAbout form(versionLong);
  form.ShowModal(nullptr, kAboutCaption, WS_POPUP | WS_CAPTION | DS_MODALFRAME);
}
