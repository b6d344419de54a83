// Where the macro editor opens, given what zarvel.ini holds and the monitors
// of the moment.

#include <gtest/gtest.h>

#include "common/TempFolder.h"
#include "editor/WindowBounds.h"
#include "store/Settings.h"

namespace {

const TWindowDesign kDesign{476, 320, 476, 320};
const TScreenRect kPrimary{0, 0, 1920, 1040};          // taskbar below
const TScreenRect kLeftOfPrimary{-1280, 0, -0, 1024};  // a monitor left of the main one
const TScreenRect kAbovePrimary{0, -900, 1600, 0};

TEditorBounds Stored(int left, int top, int width, int height) {
  TEditorBounds bounds;
  bounds.Left = left;
  bounds.Top = top;
  bounds.Width = width;
  bounds.Height = height;
  return bounds;
}

TScreenRect Rect(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

TScreenRect Centred(const TScreenRect& area, int width, int height) {
  return Rect(area.Left + (area.Width() - width) / 2, area.Top + (area.Height() - height) / 2, width, height);
}

TScreenRect Place(const TEditorBounds& stored, const std::vector<TScreenRect>& areas) {
  return PlaceStoredWindow(stored, kDesign, areas.front(), areas);
}

}  // namespace

TEST(WindowBounds, NothingStoredGivesTheDesignCentred) {
  TEditorBounds none = Stored(kBoundNotStored, kBoundNotStored, kBoundNotStored, kBoundNotStored);
  EXPECT_EQ(Place(none, {kPrimary}), Centred(kPrimary, 476, 320));
  // The settings' own "no value" (-1 everywhere) means the same.
  EXPECT_EQ(Place(TEditorBounds{}, {kPrimary}), Centred(kPrimary, 476, 320));
}

TEST(WindowBounds, AStoredPlaceOnTheMonitorIsKeptAsItWas) {
  EXPECT_EQ(Place(Stored(100, 50, 700, 500), {kPrimary}), Rect(100, 50, 700, 500));
  EXPECT_EQ(Place(Stored(0, 0, 476, 320), {kPrimary}), Rect(0, 0, 476, 320));
}

TEST(WindowBounds, NegativePlacesOnMonitorsLeftOfOrAboveTheMainOneAreKept) {
  std::vector<TScreenRect> twoSideBySide = {kPrimary, kLeftOfPrimary};
  EXPECT_EQ(Place(Stored(-1000, 200, 600, 400), twoSideBySide), Rect(-1000, 200, 600, 400));
  // Across the boundary between the two: reachable on the left one.
  EXPECT_EQ(Place(Stored(-300, 10, 600, 400), twoSideBySide), Rect(-300, 10, 600, 400));
  std::vector<TScreenRect> stacked = {kPrimary, kAbovePrimary};
  EXPECT_EQ(Place(Stored(40, -700, 500, 350), stacked), Rect(40, -700, 500, 350));
}

TEST(WindowBounds, APlaceOffEveryMonitorIsBroughtBackIntoView) {
  // The monitor on the left is gone.
  EXPECT_EQ(Place(Stored(-1000, 200, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
  // Far right and far below.
  EXPECT_EQ(Place(Stored(5000, 100, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
  EXPECT_EQ(Place(Stored(100, 3000, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
  // Negative values with only the main monitor leave the designed place.
  EXPECT_EQ(Place(Stored(-1, -1, -1, -1), {kPrimary}), Centred(kPrimary, 476, 320));
}

TEST(WindowBounds, TheCaptionMustBeWithinReachNotJustACorner) {
  // Only 20 pixels of the width on the monitor: too little to take hold of.
  EXPECT_EQ(Place(Stored(1900, 100, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
  // Exactly the grip width is enough.
  int left = kPrimary.Right - kCaptionGripWidth;
  EXPECT_EQ(Place(Stored(left, 100, 600, 400), {kPrimary}), Rect(left, 100, 600, 400));
  // The caption under the taskbar (below the work area) cannot be reached.
  EXPECT_EQ(Place(Stored(100, kPrimary.Bottom - 10, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
  // The caption above the top edge neither, although the body is on screen.
  EXPECT_EQ(Place(Stored(100, -5, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
}

TEST(WindowBounds, SizesBelowTheMinimumGrowAndNegativeSizesKeepTheDesign) {
  EXPECT_EQ(Place(Stored(10, 10, 100, 50), {kPrimary}), Rect(10, 10, 476, 320));
  EXPECT_EQ(Place(Stored(10, 10, 0, 0), {kPrimary}), Rect(10, 10, 476, 320));
  EXPECT_EQ(Place(Stored(10, 10, -1, 600), {kPrimary}), Rect(10, 10, 476, 600));
}

TEST(WindowBounds, ABringBackFitsTheWindowIntoItsMonitor) {
  TScreenRect small{0, 0, 800, 560};
  // Larger than the monitor: shrunk to its work area, placed at its corner.
  EXPECT_EQ(Place(Stored(-3000, 0, 1600, 1200), {small}), Rect(0, 0, 800, 560));
  // A monitor smaller than the minimum: the minimum wins, the caption stays on it.
  TScreenRect tiny{100, 50, 400, 250};
  EXPECT_EQ(PlaceStoredWindow(Stored(kBoundNotStored, kBoundNotStored, -1, -1), kDesign, tiny, {tiny}),
            Rect(100, 50, 476, 320));
}

TEST(WindowBounds, ExtremeStoredNumbersDoNotWrapIntoView) {
  EXPECT_EQ(Place(Stored(INT_MAX - 10, 10, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
  EXPECT_EQ(Place(Stored(-2000000000, 10, 2000000000, 400), {kPrimary}),
            Centred(kPrimary, kPrimary.Width(), 400));
  EXPECT_EQ(Place(Stored(10, INT_MAX, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
}

TEST(WindowBounds, NoMonitorsAtAllGiveTheHomePlace) {
  EXPECT_EQ(PlaceStoredWindow(Stored(10, 10, 600, 400), kDesign, kPrimary, {}), Centred(kPrimary, 600, 400));
}

TEST(WindowBounds, ReadingTellsAStoredMinusOneFromNoValue) {
  TTempFolder folder;
  TEditorBounds missing = ReadStoredEditorBounds(folder.Path());
  EXPECT_EQ(missing.Left, kBoundNotStored);
  EXPECT_EQ(missing.Height, kBoundNotStored);

  WriteBytes(SettingsFilePath(folder.Path()), "[MacroEditor]\r\nLeft=-1\r\nTop=-1280\r\nWidth=abc\r\n");
  TEditorBounds partial = ReadStoredEditorBounds(folder.Path());
  EXPECT_EQ(partial.Left, -1);
  EXPECT_EQ(partial.Top, -1280);
  EXPECT_EQ(partial.Width, kBoundNotStored) << "not a number counts as no value";
  EXPECT_EQ(partial.Height, kBoundNotStored);

  ASSERT_TRUE(WriteEditorBounds(folder.Path(), Stored(-1200, 30, 640, 480)));
  TEditorBounds written = ReadStoredEditorBounds(folder.Path());
  EXPECT_EQ(Rect(written.Left, written.Top, written.Width, written.Height), Rect(-1200, 30, 640, 480));
}

TEST(WindowBounds, OnlyLeftStoredIsNoPosition) {
  EXPECT_EQ(Place(Stored(100, kBoundNotStored, 600, 400), {kPrimary}), Centred(kPrimary, 600, 400));
}
