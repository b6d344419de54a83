#include "editor/OptionsPictures_win.h"

#include <functional>

#include "wingui/GdiHandles_win.h"

namespace {

// Drawn over this colour, which becomes transparent.
constexpr COLORREF kTransparent = RGB(255, 0, 255);

// One picture's canvas: coordinates in a grid of `units` per side, scaled
// to the picture's pixels.
class TCanvas {
 public:
  TCanvas(HDC dc, int size, int units) : FDC(dc), FSize(size), FUnits(units) {}
  int X(int unit) const { return MulDiv(unit, FSize, FUnits); }

  void Box(int left, int top, int right, int bottom, COLORREF fill, COLORREF line) {
    TScopedBrush brush(CreateSolidBrush(fill));
    TScopedPen pen(CreatePen(PS_SOLID, LineWidth(), line));
    TScopedSelect useBrush(FDC, brush.Get());
    TScopedSelect usePen(FDC, pen.Get());
    Rectangle(FDC, X(left), X(top), X(right), X(bottom));
  }
  void Shape(std::initializer_list<POINT> units, COLORREF fill, COLORREF line) {
    std::vector<POINT> points;
    for (POINT p : units) points.push_back({X(p.x), X(p.y)});
    TScopedBrush brush(CreateSolidBrush(fill));
    TScopedPen pen(CreatePen(PS_SOLID, LineWidth(), line));
    TScopedSelect useBrush(FDC, brush.Get());
    TScopedSelect usePen(FDC, pen.Get());
    Polygon(FDC, points.data(), static_cast<int>(points.size()));
  }
  void Disc(int left, int top, int right, int bottom, COLORREF fill, COLORREF line) {
    TScopedBrush brush(CreateSolidBrush(fill));
    TScopedPen pen(CreatePen(PS_SOLID, LineWidth(), line));
    TScopedSelect useBrush(FDC, brush.Get());
    TScopedSelect usePen(FDC, pen.Get());
    Ellipse(FDC, X(left), X(top), X(right), X(bottom));
  }
  void Bar(int left, int top, int right, int bottom, COLORREF colour) {
    RECT rect{X(left), X(top), X(right), X(bottom)};
    if (rect.bottom <= rect.top) rect.bottom = rect.top + 1;
    if (rect.right <= rect.left) rect.right = rect.left + 1;
    TScopedBrush brush(CreateSolidBrush(colour));
    FillRect(FDC, &rect, brush.Get());
  }

 private:
  int LineWidth() const { return FSize >= 48 ? 2 : 1; }
  HDC FDC;
  int FSize;
  int FUnits;
};

struct TPalette {
  COLORREF Folder, FolderTab, FolderLine, Page, PageLine, Text, Add, Remove, Pencil, PencilTip, Outline;
};

const TPalette kNormal{RGB(240, 196, 64),  RGB(222, 170, 40), RGB(150, 104, 20), RGB(250, 250, 250),
                       RGB(90, 110, 140),  RGB(70, 120, 200), RGB(40, 160, 60),  RGB(210, 50, 40),
                       RGB(230, 140, 30),  RGB(60, 60, 60),   RGB(255, 255, 255)};
const TPalette kHot{RGB(255, 220, 110), RGB(250, 200, 80),  RGB(170, 120, 30), RGB(255, 255, 255),
                    RGB(60, 100, 170),  RGB(40, 110, 230),  RGB(50, 200, 80),  RGB(240, 70, 60),
                    RGB(250, 170, 50),  RGB(40, 40, 40),    RGB(255, 255, 255)};

// Pictures are drawn in a 32-unit grid.
void Folder(TCanvas& c, const TPalette& p) {
  c.Shape({{2, 8}, {12, 8}, {15, 11}, {26, 11}, {26, 27}, {2, 27}}, p.FolderTab, p.FolderLine);
  c.Shape({{2, 14}, {28, 14}, {26, 27}, {2, 27}}, p.Folder, p.FolderLine);
}

void Page(TCanvas& c, const TPalette& p) {
  c.Shape({{6, 2}, {20, 2}, {26, 8}, {26, 30}, {6, 30}}, p.Page, p.PageLine);
  c.Shape({{20, 2}, {20, 8}, {26, 8}}, p.Page, p.PageLine);
  for (int y = 12; y <= 24; y += 4) c.Bar(9, y, y == 24 ? 17 : 23, y + 1, p.Text);
}

void Plus(TCanvas& c, const TPalette& p) {
  c.Disc(17, 17, 31, 31, p.Add, p.Outline);
  c.Bar(20, 23, 28, 25, p.Outline);
  c.Bar(23, 20, 25, 28, p.Outline);
}

void Minus(TCanvas& c, const TPalette& p) {
  c.Disc(17, 17, 31, 31, p.Remove, p.Outline);
  c.Bar(20, 23, 28, 25, p.Outline);
}

void Pencil(TCanvas& c, const TPalette& p) {
  c.Shape({{26, 10}, {31, 15}, {18, 28}, {13, 23}}, p.Pencil, p.PencilTip);
  c.Shape({{13, 23}, {18, 28}, {11, 30}}, p.Page, p.PencilTip);
}

void DrawToolbarPicture(TCanvas& c, int picture, const TPalette& p) {
  switch (picture) {
    case tpAddCatagory: Folder(c, p); Plus(c, p); break;
    case tpAddMacro: Page(c, p); Plus(c, p); break;
    case tpRemoveCatagory: Folder(c, p); Minus(c, p); break;
    case tpDeleteMacro: Page(c, p); Minus(c, p); break;
    case tpEditMacro: Page(c, p); Pencil(c, p); break;
  }
}

// The list's pictures in a 16-unit grid.
void DrawListPicture(TCanvas& c, int picture) {
  const COLORREF mark = RGB(110, 110, 110);
  switch (picture) {
    case lpMacro:
      c.Shape({{2, 1}, {10, 1}, {13, 4}, {13, 15}, {2, 15}}, RGB(252, 252, 252), RGB(90, 110, 140));
      c.Bar(4, 5, 11, 6, RGB(70, 120, 200));
      c.Bar(4, 8, 11, 9, RGB(70, 120, 200));
      c.Bar(4, 11, 9, 12, RGB(70, 120, 200));
      break;
    case lpSortAscending: c.Shape({{4, 10}, {8, 5}, {12, 10}}, mark, mark); break;
    case lpSortDescending: c.Shape({{4, 6}, {12, 6}, {8, 11}}, mark, mark); break;
  }
}

TImageList MakePictures(int size, int count, int units, const std::function<void(TCanvas&, int)>& draw) {
  TImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 0));
  if (!list) return list;
  TScopedGetDC screen(nullptr);
  TScopedMemoryDC dc(screen.Get());
  for (int picture = 0; picture < count; ++picture) {
    TScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), size, size));
    {
      TScopedSelect useBitmap(dc.Get(), bitmap.Get());
      RECT all{0, 0, size, size};
      TScopedBrush background(CreateSolidBrush(kTransparent));
      FillRect(dc.Get(), &all, background.Get());
      TCanvas canvas(dc.Get(), size, units);
      draw(canvas, picture);
    }
    ImageList_AddMasked(list.Get(), bitmap.Get(), kTransparent);
  }
  return list;
}

}  // namespace

TImageList MakeToolbarPictures(int size, bool hot) {
  const TPalette& palette = hot ? kHot : kNormal;
  return MakePictures(size, kToolbarPictureCount, 32,
                      [&](TCanvas& canvas, int picture) { DrawToolbarPicture(canvas, picture, palette); });
}

TImageList MakeListPictures(int size) {
  return MakePictures(size, kListPictureCount, 16, DrawListPicture);
}
