#pragma once
// Measures labels in one font on one screen DC, and cuts a label wider than a limit to its
// longest prefix that fits with "..." after it, never inside a double-byte character of the
// ANSI code page. Made for one layout pass: it holds the DC until it is destroyed.
#include <windows.h>

#include <string>

class CLabelFitter {
 public:
  static constexpr char kEllipsis[] = "...";

  // Measures in `font` (the stock GUI font when NULL) on a DC of `hWnd`.
  CLabelFitter(HWND hWnd, HFONT font);
  ~CLabelFitter();
  CLabelFitter(const CLabelFitter&) = delete;
  CLabelFitter& operator=(const CLabelFitter&) = delete;

  int Width(const std::string& text) const;
  // The font's average character width, in pixels.
  int AverageCharWidth() const;
  // `text` if it is at most `maxWidth` pixels wide; otherwise its longest prefix that fits
  // in `maxWidth` with the ellipsis, followed by the ellipsis.
  std::string Fit(const std::string& text, int maxWidth) const;

  // Length of the longest prefix of `text` that is at most `limit` bytes and does not end
  // inside a double-byte character.
  static size_t BoundaryPrefix(const std::string& text, size_t limit);

 private:
  HWND m_hWnd;
  HDC m_hDC;
  HGDIOBJ m_hOldFont = nullptr;
};
