#pragma once
// Where a window that stands over a list goes so that a row of the list shows, with no window:
// left where it is when it does not cover the row; otherwise moved straight down below the
// row if it fits in the work area there, else straight up above it, else to the side with
// more room, kept inside the work area. All rectangles in screen coordinates.
#include <windows.h>

// The new top-left corner of `window`.
POINT PlaceClearOfRow(const RECT& window, const RECT& row, const RECT& workArea);
