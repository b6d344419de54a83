#pragma once
// The macro editor's pictures, drawn in code at the size the screen needs.

#include <windows.h>

#include <commctrl.h>

#include "wingui/GdiHandles_win.h"

// Toolbar pictures, in this order.
enum TToolbarPicture : int {
  tpAddCatagory = 0,
  tpAddMacro = 1,
  tpRemoveCatagory = 2,
  tpDeleteMacro = 3,
  tpEditMacro = 4,
  kToolbarPictureCount = 5,
};

// The list's pictures, in this order.
enum TListPicture : int {
  lpMacro = 0,
  lpSortAscending = 1,
  lpSortDescending = 2,
  kListPictureCount = 3,
};

// size x size pictures (32 at 96 DPI); hot ones are lighter, for the button
// under the mouse. The caller destroys the list.
TImageList MakeToolbarPictures(int size, bool hot);
// size x size pictures (16 at 96 DPI).
TImageList MakeListPictures(int size);
