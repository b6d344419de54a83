#include "editor/WindowBounds.h"

#include <algorithm>

TEditorBounds ReadStoredEditorBounds(const std::string& exeDir) {
  TEditorBounds bounds;
  bounds.Left = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyLeft, kBoundNotStored);
  bounds.Top = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyTop, kBoundNotStored);
  bounds.Width = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyWidth, kBoundNotStored);
  bounds.Height = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyHeight, kBoundNotStored);
  return bounds;
}

bool CaptionWithinReach(const TScreenRect& window, const std::vector<TScreenRect>& workAreas) {
  for (const TScreenRect& area : workAreas) {
    // 64-bit sums: stored values may be anything an int holds.
    long long top = window.Top;
    bool upperEdgeInside = top >= area.Top && top + kCaptionGripHeight <= area.Bottom;
    long long across = std::min<long long>(window.Right, area.Right) - std::max<long long>(window.Left, area.Left);
    if (upperEdgeInside && across >= kCaptionGripWidth) return true;
  }
  return false;
}

namespace {

int StoredSize(int stored, int designed, int minimum) {
  if (stored < 0) return designed;
  return std::max(stored, minimum);
}

TScreenRect CentredIn(const TScreenRect& area, int width, int height, int minWidth, int minHeight) {
  width = std::max(std::min(width, area.Width()), minWidth);
  height = std::max(std::min(height, area.Height()), minHeight);
  TScreenRect rect;
  rect.Left = std::max(area.Left + (area.Width() - width) / 2, area.Left);
  rect.Top = std::max(area.Top + (area.Height() - height) / 2, area.Top);
  rect.Right = rect.Left + width;
  rect.Bottom = rect.Top + height;
  return rect;
}

}  // namespace

TScreenRect PlaceStoredWindow(const TEditorBounds& stored, const TWindowDesign& design, const TScreenRect& homeArea,
                              const std::vector<TScreenRect>& workAreas) {
  int width = StoredSize(stored.Width, design.Width, design.MinWidth);
  int height = StoredSize(stored.Height, design.Height, design.MinHeight);
  if (stored.Left != kBoundNotStored && stored.Top != kBoundNotStored) {
    // Sums in 64 bits: a huge stored size must not wrap the right edge
    // around into view.
    long long right = static_cast<long long>(stored.Left) + width;
    long long bottom = static_cast<long long>(stored.Top) + height;
    if (right <= INT_MAX && bottom <= INT_MAX) {
      TScreenRect rect{stored.Left, stored.Top, static_cast<int>(right), static_cast<int>(bottom)};
      if (CaptionWithinReach(rect, workAreas)) return rect;
    }
  }
  return CentredIn(homeArea, width, height, design.MinWidth, design.MinHeight);
}
