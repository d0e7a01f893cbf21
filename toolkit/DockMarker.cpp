#include "toolkit/DockMarker.h"

namespace {

// The outline's thickness, as thick as the system draws a sizing frame's drag rectangle.
int Thickness() {
  const int cx = ::GetSystemMetrics(SM_CXFRAME);
  return cx > 2 ? cx : 3;
}

}  // namespace

CDockMarker::~CDockMarker() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

void CDockMarker::Show(const RECT& rect) {
  if (!m_hWnd) {
    // A black-filled static control: the window's region leaves only its border.
    m_hWnd = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE |
                                   WS_EX_TRANSPARENT,
                               "STATIC", nullptr, WS_POPUP | WS_DISABLED | SS_BLACKRECT, 0, 0,
                               0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!m_hWnd) return;
  }
  const int cx = rect.right - rect.left;
  const int cy = rect.bottom - rect.top;
  if (!::EqualRect(&rect, &m_rect)) {
    const int t = Thickness();
    HRGN outline = ::CreateRectRgn(0, 0, cx, cy);
    HRGN inside = ::CreateRectRgn(t, t, cx - t, cy - t);
    if (cx > 2 * t && cy > 2 * t) ::CombineRgn(outline, outline, inside, RGN_DIFF);
    ::DeleteObject(inside);
    ::SetWindowRgn(m_hWnd, outline, FALSE);  // the window owns the region from here on
    m_rect = rect;
  }
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, rect.left, rect.top, cx, cy,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CDockMarker::Hide() {
  if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CDockMarker::IsVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
