#pragma once
// The size in pixels of a text drawn in a font on a window's device context.
#include <windows.h>

// Measures all of `text` (its bytes in the ANSI code page) in `hFont` (the window's
// current font if NULL) on `hWnd`'s device context. Always TRUE.
BOOL MeasureText(HWND hWnd, HFONT hFont, const char* text, int& width, int& height);
