#pragma once
// Pieces the run's dialogs share: the white band at the top with the
// program's icon, the run's texts (in the macro's code page) in Unicode
// controls and back, and the fonts of the band's labels.

#include <windows.h>

#include <string>

#include "run/RunText_win.h"  // WideFromRunText: the run's texts for Unicode controls
#include "wingui/GdiHandles_win.h"
#include "wingui/WinHandles_win.h"

// Height of the white band at the top, in design pixels; a line below it.
constexpr int kRunBandHeight = 49;

// The control's text in the code page; false when some character had no
// place in it (`text` then holds a lossy copy).
bool CodePageFromWide(const std::wstring& wide, unsigned codePage, std::string& text);

// The dialog's font made bold or italic.
TScopedFont FontVariant(HFONT base, bool bold, bool italic);

// The program's icon "TI" at size x size pixels, or the system's
// information icon when the program has none; always ours to destroy.
TIconHandle LoadRunIcon(int size);

// Paints the white band (its height scaled by the caller), the line below
// it and the face colour under the rest.
void PaintRunBand(HDC dc, const RECT& client, int bandHeight);

// The band's part of a run dialog's procedure: its painting, and white
// behind the band's labels (control ids firstId to lastId).
class TRunBand {
 public:
  TRunBand(int firstId, int lastId) : FFirstId(firstId), FLastId(lastId) {}
  // True when the message was the band's; `result` is then what the dialog
  // procedure returns. bandHeight is in pixels of the dialog's DPI.
  bool HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, int bandHeight, INT_PTR& result);

 private:
  int FFirstId;
  int FLastId;
  TScopedBrush FBrush{CreateSolidBrush(RGB(255, 255, 255))};
};
