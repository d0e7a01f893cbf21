#pragma once
// The outline that shows where a dragged bar will dock: a hollow rectangle in a window of its
// own, above every other window, that never takes the focus or the mouse.
#include <windows.h>

class CDockMarker {
 public:
  CDockMarker() = default;
  ~CDockMarker();
  CDockMarker(const CDockMarker&) = delete;
  CDockMarker& operator=(const CDockMarker&) = delete;

  // Shows the outline around `rect` (screen coordinates).
  void Show(const RECT& rect);
  void Hide();
  BOOL IsVisible() const;
  HWND GetSafeHwnd() const { return m_hWnd; }

 private:
  HWND m_hWnd = nullptr;
  RECT m_rect = {0, 0, 0, 0};
};
