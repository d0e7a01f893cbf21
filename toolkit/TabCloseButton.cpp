#include "toolkit/TabCloseButton.h"

ORMIX_IMPLEMENT_DYNAMIC(CTabCloseButton, CWnd)

ORMIX_BEGIN_MESSAGE_MAP(CTabCloseButton, CWnd)
  msgmap::Mouse<&CTabCloseButton::OnMouseMove>(WM_MOUSEMOVE),
  msgmap::Message<&CTabCloseButton::OnMouseLeave>(WM_MOUSELEAVE),
ORMIX_END_MESSAGE_MAP()

namespace {

// The cross is drawn in a square of this size, centred in the button.
constexpr int kGlyphSize = 14;

}  // namespace

BOOL CTabCloseButton::Create(CWnd* pParent, UINT nID) {
  const RECT rect = {0, 0, kGlyphSize, kGlyphSize};
  return CWnd::Create("BUTTON", "", BS_OWNERDRAW, rect, pParent, nID);
}

void CTabCloseButton::SetHot(BOOL bHot) {
  if (!bHot == !m_bHot) return;
  m_bHot = bHot;
  Invalidate(FALSE);
}

void CTabCloseButton::OnMouseMove(UINT, POINT) {
  if (!m_bHot) {
    // Told when the pointer leaves, to put the plain look back.
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    ::TrackMouseEvent(&track);
  }
  SetHot(TRUE);
  Default();
}

LRESULT CTabCloseButton::OnMouseLeave(WPARAM, LPARAM) {
  SetHot(FALSE);
  return Default();
}

void CTabCloseButton::Draw(const DRAWITEMSTRUCT& item) const {
  RECT rc = item.rcItem;
  ::FillRect(item.hDC, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
  // The glyph's square, centred; raised while hot, sunken while pressed.
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  RECT glyph = {};
  glyph.left = rc.left + (rc.right - rc.left - kGlyphSize) / 2;
  glyph.top = rc.top + (rc.bottom - rc.top - kGlyphSize) / 2;
  glyph.right = glyph.left + kGlyphSize;
  glyph.bottom = glyph.top + kGlyphSize;
  if (pressed) {
    ::DrawEdge(item.hDC, &glyph, BDR_SUNKENOUTER, BF_RECT);
  } else if (m_bHot) {
    ::DrawEdge(item.hDC, &glyph, BDR_RAISEDINNER, BF_RECT);
  }
  // The cross, drawn by hand because the caption glyph font is not everywhere.
  const int shift = pressed ? 1 : 0;
  const int inset = 4;
  const int left = glyph.left + inset + shift, top = glyph.top + inset + shift;
  const int right = glyph.right - inset - 1 + shift, bottom = glyph.bottom - inset - 1 + shift;
  HPEN pen = ::CreatePen(PS_SOLID, 2, ::GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = ::SelectObject(item.hDC, pen);
  ::MoveToEx(item.hDC, left, top, nullptr);
  ::LineTo(item.hDC, right, bottom);
  ::MoveToEx(item.hDC, right, top, nullptr);
  ::LineTo(item.hDC, left, bottom);
  ::SelectObject(item.hDC, old);
  ::DeleteObject(pen);
}
