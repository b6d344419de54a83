#include "picture/PicturePreview_win.h"

#include "wingui/DialogBase_win.h"
#include "picture/PictureFit.h"
#include "wingui/GdiHandles_win.h"

namespace {

constexpr int kSpare = 10;

class TfrmPicturePreview : public TDialogBase {
 public:
  explicit TfrmPicturePreview(const TPicture& picture, HWND owner)
      : FPicture(picture), FOwner(owner) {}

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void FormPaint();

  const TPicture& FPicture;
  HWND FOwner;
};

INT_PTR TfrmPicturePreview::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;  // the paint covers every pixel
    case WM_PAINT:
      FormPaint();
      return TRUE;
    case WM_SIZE:
      InvalidateRect(Handle(), nullptr, FALSE);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
        EndDialog(Handle(), IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void TfrmPicturePreview::FormCreate() {
  // A tool window's thin caption; the template cannot carry extended styles.
  LONG_PTR exStyle = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
  SetWindowLongPtrA(Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE));

  HMONITOR monitor = MonitorFromWindow(FOwner ? FOwner : Handle(), MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(monitor, &info);
  // The room the client may take: the work area less the frame.
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, static_cast<DWORD>(exStyle | WS_EX_TOOLWINDOW));
  int roomWidth = (info.rcWork.right - info.rcWork.left) - (frame.right - frame.left);
  int roomHeight = (info.rcWork.bottom - info.rcWork.top) - (frame.bottom - frame.top);
  TFitSize client =
      PreviewClientSize(FPicture.Width, FPicture.Height, Scale(kSpare), roomWidth, roomHeight);

  RECT outer{0, 0, client.Width, client.Height};
  AdjustWindowRectEx(&outer, style, FALSE, static_cast<DWORD>(exStyle | WS_EX_TOOLWINDOW));
  SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  CenterOnMonitor(monitor);
}

void TfrmPicturePreview::FormPaint() {
  TScopedPaint paint(Handle());
  RECT client;
  GetClientRect(Handle(), &client);
  if (FPicture.Width > 0 && FPicture.Height > 0) {
    DrawPicture(paint.Get(), FPicture, client);
  } else {
    FillRect(paint.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  }
}

}  // namespace

void DrawPicture(HDC dc, const TPicture& picture, const RECT& target) {
  if (picture.Width <= 0 || picture.Height <= 0 ||
      picture.Pixels.size() != static_cast<size_t>(picture.Width) * picture.Height)
    return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.Width;
  info.bmiHeader.biHeight = -picture.Height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // Halftone keeps shrunk pictures smooth; it needs the brush origin set.
  int oldMode = SetStretchBltMode(dc, HALFTONE);
  POINT oldOrigin;
  SetBrushOrgEx(dc, 0, 0, &oldOrigin);
  StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
                0, 0, picture.Width, picture.Height, picture.Pixels.data(), &info, DIB_RGB_COLORS,
                SRCCOPY);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  SetStretchBltMode(dc, oldMode);
}

void ShowPicturePreview(HWND owner, const TPicture& opaquePicture) {
  TfrmPicturePreview form(opaquePicture, owner);
  form.ShowModal(owner, "Preview",
                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME);
}
