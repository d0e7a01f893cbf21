#include "logview/MeasureText.h"

#include <cstring>

BOOL MeasureText(HWND hWnd, HFONT hFont, const char* text, int& width, int& height) {
  width = 0;
  height = 0;
  HDC hdc = ::GetDC(hWnd);
  if (!hdc) return TRUE;
  HGDIOBJ previous = hFont ? ::SelectObject(hdc, hFont) : nullptr;
  SIZE size = {0, 0};
  const size_t length = text ? std::strlen(text) : 0;
  ::GetTextExtentPoint32A(hdc, text ? text : "", static_cast<int>(length), &size);
  if (previous) ::SelectObject(hdc, previous);
  ::ReleaseDC(hWnd, hdc);
  width = size.cx;
  height = size.cy;
  return TRUE;
}
