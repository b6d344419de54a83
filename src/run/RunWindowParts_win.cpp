#include "run/RunWindowParts_win.h"

#include <vector>

bool CodePageFromWide(const std::wstring& wide, unsigned codePage, std::string& text) {
  text.clear();
  if (wide.empty()) return true;
  // UTF-8 holds every character; the system refuses the lost-character
  // check for it.
  bool utf8 = codePage == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lost = FALSE;
  int size = static_cast<int>(wide.size());
  int length =
      WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, utf8 ? nullptr : &lost);
  if (length <= 0) return false;
  text.assign(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), size, &text[0], length, nullptr, nullptr);
  return !lost;
}

TScopedFont FontVariant(HFONT base, bool bold, bool italic) {
  LOGFONTW font{};
  if (!base || !GetObjectW(base, sizeof font, &font)) return TScopedFont();
  if (bold) font.lfWeight = FW_BOLD;
  if (italic) font.lfItalic = TRUE;
  return TScopedFont(CreateFontIndirectW(&font));
}

TIconHandle LoadRunIcon(int size) {
  HICON own = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"TI", IMAGE_ICON, size, size, 0));
  if (own) return TIconHandle(own);
  // Loaded without LR_SHARED, the system's icon is a copy of our own.
  HICON information = static_cast<HICON>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32516 /* OIC_INFORMATION */), IMAGE_ICON, size, size, 0));
  if (information) return TIconHandle(information);
  return TIconHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32516))));
}

void PaintRunBand(HDC dc, const RECT& client, int bandHeight) {
  RECT band{client.left, client.top, client.right, client.top + bandHeight};
  FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT line{client.left, band.bottom, client.right, band.bottom + 1};
  FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
  RECT rest{client.left, line.bottom, client.right, client.bottom};
  FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
}

bool TRunBand::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, int bandHeight,
                             INT_PTR& result) {
  if (message == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(dialog, &client);
    PaintRunBand(reinterpret_cast<HDC>(wParam), client, bandHeight);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
    result = TRUE;
    return true;
  }
  if (message == WM_CTLCOLORSTATIC) {
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    if (id < FFirstId || id > FLastId) return false;  // other labels keep their colours
    SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
    result = reinterpret_cast<INT_PTR>(FBrush.Get());
    return true;
  }
  return false;
}
