#include "picture/PicturePanel_win.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "wingui/DialogBase_win.h"
#include "picture/PictureFit.h"
#include "picture/PicturePreview_win.h"
#include "wingui/GdiHandles_win.h"

namespace {

// Design pixels at 96 DPI, inside the panel.
constexpr int kBorder = 6;
constexpr int kButtonSize = 23;
constexpr int kAreaTop = kBorder + kButtonSize + 4;

const char kNone[] = "(None)";

// The panel colour as 0x00RRGGBB, to lay transparent pixels on.
std::uint32_t PanelColour() {
  COLORREF colour = GetSysColor(COLOR_BTNFACE);
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

HWND MakeControl(HWND parent, const char* className, const char* text, DWORD style, int id,
                 DWORD exStyle, HFONT font) {
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                                 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void PlaceControl(HWND parent, int id, int x, int y, int width, int height) {
  MoveWindow(GetDlgItem(parent, id), x, y, width, height, FALSE);
}

// A small magnifying glass for the preview button: a lens up left, its
// handle down right.
void DrawMagnifier(HDC dc, const RECT& box, bool enabled) {
  int size = std::min(box.right - box.left, box.bottom - box.top);
  int lens = std::max(size * 9 / 20, 4);
  int centreX = (box.left + box.right) / 2;
  int centreY = (box.top + box.bottom) / 2;
  int left = centreX - lens * 2 / 3;
  int top = centreY - lens * 2 / 3;
  COLORREF ink = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  TScopedPen rim(CreatePen(PS_SOLID, std::max(size / 14, 1), ink));
  TScopedSelect selectPen(dc, rim.Get());
  TScopedSelect selectBrush(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, left, top, left + lens, top + lens);
  TScopedPen handle(CreatePen(PS_SOLID, std::max(size / 8, 2), ink));
  TScopedSelect selectHandle(dc, handle.Get());
  int from = lens * 85 / 100;
  MoveToEx(dc, left + from, top + from, nullptr);
  LineTo(dc, left + from + lens / 2, top + from + lens / 2);
}

void DrawButton(const DRAWITEMSTRUCT& item) {
  RECT box = item.rcItem;
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  bool enabled = (item.itemState & ODS_DISABLED) == 0;
  DrawFrameControl(item.hDC, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  if (pressed) OffsetRect(&box, 1, 1);
  DrawMagnifier(item.hDC, box, enabled);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
}

}  // namespace

void TPicturePanel::Create(HWND parent, int left, int top, unsigned dpi, HFONT font) {
  FParent = parent;
  auto scale = [dpi](int pixels) { return ScaleForDpi(pixels, dpi); };
  MakeControl(parent, "STATIC", "Picture:", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX,
              idPictureLabel, 0, font);
  HWND button = MakeControl(parent, "BUTTON", "", BS_OWNERDRAW | WS_TABSTOP | WS_DISABLED,
                            idPicturePreview, 0, font);
  MakeControl(parent, "STATIC", kNone, SS_OWNERDRAW | SS_NOTIFY, idPictureArea, 0, font);

  int width = scale(kPicturePanelWidth);
  int height = scale(kPicturePanelHeight);
  int border = scale(kBorder);
  int buttonSize = scale(kButtonSize);
  int areaTop = scale(kAreaTop);
  PlaceControl(parent, idPictureLabel, left + border, top + border,
               width - 2 * border - buttonSize - border, buttonSize);
  PlaceControl(parent, idPicturePreview, left + width - border - buttonSize, top + border,
               buttonSize, buttonSize);
  PlaceControl(parent, idPictureArea, left + border, top + areaTop, width - 2 * border,
               height - border - areaTop);
  AddTooltip(button, "Preview");
}

void TPicturePanel::AddTooltip(HWND control, const char* text) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
  // Owned by the dialog's window, so it goes when the dialog goes.
  FTooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             GetAncestor(FParent, GA_ROOT), nullptr, GetModuleHandleA(nullptr),
                             nullptr);
  if (!FTooltip) return;
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = FParent;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(FTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TPicturePanel::ShowFile(const std::string& path) {
  TPicture decoded;
  bool loaded = false;
  try {
    loaded = !path.empty() && LoadPicture(path, decoded) && decoded.Width > 0 &&
             decoded.Height > 0;
  } catch (const std::exception&) {
    loaded = false;  // a picture too large for memory shows as none
  }
  if (!loaded) {
    ShowNone();
    return;
  }
  FPicture.Width = decoded.Width;
  FPicture.Height = decoded.Height;
  FPicture.Pixels = BlendOnto(decoded.Pixels, PanelColour());
  SetDlgItemTextA(FParent, idPictureLabel, PictureCaption(true, FPicture.Width, FPicture.Height).c_str());
  SetDlgItemTextA(FParent, idPictureArea, "");
  EnableWindow(GetDlgItem(FParent, idPicturePreview), TRUE);
  InvalidateRect(GetDlgItem(FParent, idPictureArea), nullptr, FALSE);
}

void TPicturePanel::ShowNone() {
  FPicture = TPicture();
  SetDlgItemTextA(FParent, idPictureLabel, PictureCaption(false, 0, 0).c_str());
  SetDlgItemTextA(FParent, idPictureArea, kNone);
  EnableWindow(GetDlgItem(FParent, idPicturePreview), FALSE);
  InvalidateRect(GetDlgItem(FParent, idPictureArea), nullptr, FALSE);
}

bool TPicturePanel::DrawItem(const DRAWITEMSTRUCT& item) const {
  if (item.CtlID == idPicturePreview) {
    DrawButton(item);
    return true;
  }
  if (item.CtlID != idPictureArea) return false;
  RECT inner = item.rcItem;
  FillRect(item.hDC, &inner, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  if (!HasPicture()) {
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    TScopedSelect selectFont(item.hDC, reinterpret_cast<HGDIOBJ>(
                                           SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    DrawTextA(item.hDC, kNone, -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return true;
  }
  TFitRect place = FitPicture(FPicture.Width, FPicture.Height, inner.right - inner.left,
                              inner.bottom - inner.top);
  RECT target{inner.left + place.Left, inner.top + place.Top, inner.left + place.Left + place.Width,
              inner.top + place.Top + place.Height};
  DrawPicture(item.hDC, FPicture, target);
  return true;
}

bool TPicturePanel::Command(WPARAM wParam, HWND owner) const {
  int id = LOWORD(wParam);
  int code = HIWORD(wParam);
  bool asked = (id == idPicturePreview && code == BN_CLICKED) ||
               (id == idPictureArea && code == STN_DBLCLK);
  if (!asked || !HasPicture()) return false;
  ShowPicturePreview(owner, FPicture);
  return true;
}
