#pragma once
// The "Preview" window of the picture panel, and the drawing both share.

#include <windows.h>

#include "picture/PictureDecode.h"

// Draws an opaque picture (0xAARRGGBB rows from the top) stretched into
// `target`.
void DrawPicture(HDC dc, const TPicture& picture, const RECT& target);

// Shows the picture in a modal, resizable tool window titled "Preview",
// centred on the owner's monitor, first sized to the picture with 10 pixels
// to spare across and down; Escape closes it.
void ShowPicturePreview(HWND owner, const TPicture& opaquePicture);
