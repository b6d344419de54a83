#pragma once
// Where the macro editor opens: the bounds kept in zarvel.ini, checked
// against the monitors there are now. A window is only put where the user
// can reach its caption; monitors left of or above the main one have
// negative coordinates, so a negative position is a real place there.

#include <climits>
#include <string>
#include <vector>

#include "store/Settings.h"

struct TScreenRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TScreenRect& other) const {
    return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
  }
};

// A key the file does not hold (or holds as something other than a number).
constexpr int kBoundNotStored = INT_MIN;

// [MacroEditor] Left, Top, Width, Height; kBoundNotStored for each one
// missing, so that a stored -1 can be told from no value.
TEditorBounds ReadStoredEditorBounds(const std::string& exeDir);

// The window's own sizes, in pixels of the screen.
struct TWindowDesign {
  int Width = 0;
  int Height = 0;
  int MinWidth = 0;
  int MinHeight = 0;
};

// How much of the caption must lie on one monitor for a stored position to
// be kept: the upper edge inside its work area with this much below it, and
// this much of the width across it.
constexpr int kCaptionGripHeight = 24;
constexpr int kCaptionGripWidth = 48;

// The window's rectangle.
// Size: a stored width or height of 0 or more is used, but never below the
// minimum; otherwise the designed one.
// Position: a stored Left and Top (any sign) is kept when the caption is
// then within reach on one of the work areas; otherwise - no position
// stored, or the place is off every monitor - the window is centred in
// homeArea, made no larger than it (the minimum size still wins), with its
// upper left corner inside it.
TScreenRect PlaceStoredWindow(const TEditorBounds& stored, const TWindowDesign& design, const TScreenRect& homeArea,
                              const std::vector<TScreenRect>& workAreas);

// Whether the caption of a window with these bounds can be reached.
bool CaptionWithinReach(const TScreenRect& window, const std::vector<TScreenRect>& workAreas);
