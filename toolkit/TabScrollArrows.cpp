#include "toolkit/TabScrollArrows.h"

#include <commctrl.h>

ORMIX_IMPLEMENT_DYNAMIC(CTabScrollArrows, CWnd)

ORMIX_BEGIN_MESSAGE_MAP(CTabScrollArrows, CWnd)
  msgmap::Message<&CTabScrollArrows::OnWindowPosChanging>(WM_WINDOWPOSCHANGING),
  msgmap::Message<&CTabScrollArrows::OnSetRange32>(UDM_SETRANGE32),
  msgmap::Message<&CTabScrollArrows::OnSetRange>(UDM_SETRANGE),
ORMIX_END_MESSAGE_MAP()

RECT CTabScrollArrows::TabRect(int nIndex) const {
  RECT rect = {};
  ::SendMessageA(::GetParent(m_hWnd), TCM_GETITEMRECT, static_cast<WPARAM>(nIndex),
                 reinterpret_cast<LPARAM>(&rect));
  return rect;
}

int CTabScrollArrows::StripRight() const {
  if (!m_hWnd || !(GetStyle() & WS_VISIBLE)) return -1;
  RECT rect = {};
  GetWindowRect(&rect);
  POINT left = {rect.left, rect.top};
  ::ScreenToClient(::GetParent(m_hWnd), &left);
  return left.x;
}

LRESULT CTabScrollArrows::OnWindowPosChanging(WPARAM, LPARAM lParam) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
  if (pos && !(pos->flags & SWP_NOMOVE)) {
    RECT client = {};
    ::GetClientRect(::GetParent(m_hWnd), &client);
    const int right = client.right - m_nReserved;
    if (pos->x + pos->cx > right) pos->x = right - pos->cx;
  }
  return Default();
}

int CTabScrollArrows::LastStartTab(int stripRight) const {
  const int count = static_cast<int>(::SendMessageA(::GetParent(m_hWnd), TCM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return 0;
  // The tab the strip starts with lands at the control's left edge.
  const LONG lastRight = TabRect(count - 1).right;
  int start = count - 1;
  while (start > 0) {
    // A tab scrolled away to the left has an empty rectangle (Wine gives it no place), so
    // the strip is measured no further left than the first tab it shows: the range then
    // reaches that tab at least, and the arrows keep scrolling both ways.
    const RECT previous = TabRect(start - 1);
    if (::IsRectEmpty(&previous) || lastRight - previous.left > stripRight) break;
    --start;
  }
  return start;
}

LRESULT CTabScrollArrows::OnSetRange32(WPARAM wParam, LPARAM lParam) {
  const int right = StripRight();
  if (right < 0) return DefWindowProc(UDM_SETRANGE32, wParam, lParam);
  return DefWindowProc(UDM_SETRANGE32, wParam, static_cast<LPARAM>(LastStartTab(right)));
}

LRESULT CTabScrollArrows::OnSetRange(WPARAM wParam, LPARAM lParam) {
  const int right = StripRight();
  if (right < 0) return DefWindowProc(UDM_SETRANGE, wParam, lParam);
  return DefWindowProc(UDM_SETRANGE, wParam,
                       MAKELPARAM(static_cast<WORD>(LastStartTab(right)), HIWORD(lParam)));
}

void CTabScrollArrows::EnsureTabVisible(int nIndex) {
  const int right = StripRight();
  if (right < 0) return;
  const HWND hWndTabs = ::GetParent(m_hWnd);
  const int count = static_cast<int>(::SendMessageA(hWndTabs, TCM_GETITEMCOUNT, 0, 0));
  for (int step = 0; step < count; ++step) {
    const RECT tab = TabRect(nIndex);
    if (tab.right <= right) return;
    const int pos = static_cast<int>(SendMessage(UDM_GETPOS32));
    if (pos >= nIndex) return;  // the tab starts the strip: it cannot come further
    // As a click on the right arrow does.
    ::SendMessageA(hWndTabs, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos + 1),
                   reinterpret_cast<LPARAM>(m_hWnd));
    if (static_cast<int>(SendMessage(UDM_GETPOS32)) == pos) return;
  }
}
