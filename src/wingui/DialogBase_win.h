#pragma once
// The one base of the program's dialogs. A dialog is an empty in-memory
// template (style and caption only); its controls are made in code at
// WM_INITDIALOG and placed in pixels of the designs, each size passed
// through Scale for the monitor's DPI.

#include <windows.h>

#include <string>

#include "wingui/GdiHandles_win.h"
#include "wingui/ProgramIcon_win.h"

// Pixels of a 96-DPI design at the given DPI.
int ScaleForDpi(int pixels, unsigned dpi);
// The DPI of the monitor a window is on (96 where the system cannot say).
unsigned DpiOfWindow(HWND window);

class TDialogBase {
 public:
  TDialogBase() = default;
  TDialogBase(const TDialogBase&) = delete;
  TDialogBase& operator=(const TDialogBase&) = delete;
  virtual ~TDialogBase() = default;

  // Shows the dialog modally on the calling thread; returns the code given
  // to EndDialog (or -1 when the dialog could not be made).
  INT_PTR ShowModal(HWND owner, const std::string& caption, DWORD style);
  // The same as a Unicode window: typed text reaches its W controls
  // unchanged, whatever the ANSI code page can hold. Its caption is UTF-8
  // (ShowModal's is ANSI).
  INT_PTR ShowModalUnicode(HWND owner, const std::string& caption, DWORD style);

 protected:
  // Every message after WM_INITDIALOG has stored this object, and
  // WM_INITDIALOG itself. Returns what a dialog procedure returns.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // The DPI changed (moved to another monitor): fonts and pictures anew.
  // The base then applies the suggested window rectangle.
  virtual void DpiChanged() {}

  HWND Handle() const { return FHandle; }
  unsigned Dpi() const { return FDpi; }
  int Scale(int pixels) const { return ScaleForDpi(pixels, FDpi); }

  // A child control with the dialog's font; placed later with Place.
  HWND AddControl(const char* className, const char* text, DWORD style, int id, DWORD exStyle = 0);
  // The same as a Unicode control, for text of any language.
  HWND AddControlW(const wchar_t* className, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0);
  // Moves a control to design pixels (x, y, width, height), scaled.
  void Place(int id, int x, int y, int width, int height);
  // The font of the designs (Tahoma 8 pt) at the current DPI, for all controls.
  HFONT DialogFont() const { return FFont.Get(); }
  void ApplyFontToControls();
  // The smallest size the user can drag the window to, in design pixels of
  // the outside border, kept at every DPI.
  void SetMinimumSize(int width, int height) {
    FMinWidth = width;
    FMinHeight = height;
  }
  // Sizes the window so that its client area is width x height design
  // pixels, scaled, whatever its border.
  void SetClientSize(int width, int height);
  // Centres the window in the work area of the given monitor.
  void CenterOnMonitor(HMONITOR monitor);
  // Centres it on the monitor that holds the mouse pointer.
  void CenterOnPointerMonitor();
  void ShowError(const std::string& text);
  // The program's icon on the title bar and in the task switcher, at the
  // sizes of the window's DPI, and anew when that changes.
  void ShowProgramIcon();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Run(HWND owner, const std::string& caption, DWORD style, bool unicode);
  void MakeFont();

  HWND FHandle = nullptr;
  unsigned FDpi = 96;
  TScopedFont FFont;
  int FMinWidth = 0;
  int FMinHeight = 0;
  bool FShowsProgramIcon = false;
  TWindowIcons FIcons;
};

// A window's whole text, read as ANSI or as Unicode.
std::string WindowText(HWND window);
std::wstring WindowTextW(HWND window);
