#include "toolkit/DockBar.h"

#include <windowsx.h>

#include "toolkit/ControlBar.h"
#include "toolkit/ControlBarStyles.h"
#include "toolkit/ToolkitFrameWnd.h"

ORMIX_IMPLEMENT_DYNAMIC(CDockBar, CWnd)

ORMIX_BEGIN_MESSAGE_MAP(CDockBar, CWnd)
  msgmap::Message<&CDockBar::OnLButtonDown>(WM_LBUTTONDOWN),
  msgmap::Message<&CDockBar::OnMouseMove>(WM_MOUSEMOVE),
  msgmap::Message<&CDockBar::OnLButtonUp>(WM_LBUTTONUP),
  msgmap::Message<&CDockBar::OnCaptureChanged>(WM_CAPTURECHANGED),
  msgmap::NotifyReflect<&CDockBar::OnHeightChange>(RBN_HEIGHTCHANGE),
ORMIX_END_MESSAGE_MAP()

BOOL CDockBar::Create(CToolkitFrameWnd* pFrame, DWORD dwEdge, BOOL bFlat) {
  m_pFrame = pFrame;
  m_dwEdge = dwEdge;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                CCS_NODIVIDER;
  if (!bFlat) style |= RBS_BANDBORDERS;
  // The top area sizes itself along the top edge; the bottom one is placed by the frame.
  if (dwEdge == CBRS_ALIGN_TOP)
    style |= CCS_TOP;
  else
    style |= CCS_BOTTOM | CCS_NOPARENTALIGN | CCS_NORESIZE;
  const UINT nID = dwEdge == CBRS_ALIGN_TOP ? AFX_IDW_DOCKBAR_TOP : AFX_IDW_DOCKBAR_BOTTOM;
  if (!CreateEx(0, REBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, pFrame->m_hWnd,
                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
    return FALSE;
  REBARINFO info = {};
  info.cbSize = sizeof(info);
  SendMessage(RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
  return TRUE;
}

void CDockBar::FillBandInfo(CControlBar* pBar, BOOL bBreak, int cx, BOOL bVisible,
                            REBARBANDINFOA* info) const {
  const SIZE size = pBar->CalcFixedLayout();
  *info = {};
  info->cbSize = sizeof(*info);
  info->fMask =
      RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_IDEALSIZE;
  info->fStyle = RBBS_GRIPPERALWAYS;
  if (bBreak) info->fStyle |= RBBS_BREAK;
  if (!bVisible) info->fStyle |= RBBS_HIDDEN;
  if (!(pBar->GetDockFlags() & CBRS_EX_FLATLOOK)) info->fStyle |= RBBS_CHILDEDGE;
  info->hwndChild = pBar->m_hWnd;
  info->cxMinChild = static_cast<UINT>(size.cx);
  info->cyMinChild = static_cast<UINT>(size.cy);
  info->cxIdeal = static_cast<UINT>(size.cx);
  info->cx = static_cast<UINT>(cx > 0 ? cx : size.cx);
  info->wID = static_cast<UINT>(pBar->GetDlgCtrlID());
}

BOOL CDockBar::InsertBar(CControlBar* pBar, int nIndex, BOOL bBreak, int cx, BOOL bVisible) {
  if (!pBar || !pBar->m_hWnd || FindBand(static_cast<UINT>(pBar->GetDlgCtrlID())) >= 0)
    return FALSE;
  // The rebar keeps sending the bar's notifications to the frame, whatever its parent.
  ::SetParent(pBar->m_hWnd, m_hWnd);
  char className[32] = {};
  ::GetClassNameA(pBar->m_hWnd, className, sizeof(className));
  if (::lstrcmpiA(className, TOOLBARCLASSNAMEA) == 0)
    pBar->SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(m_pFrame->m_hWnd));
  REBARBANDINFOA info;
  FillBandInfo(pBar, bBreak, cx, bVisible, &info);
  if (!SendMessage(RB_INSERTBANDA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info)))
    return FALSE;
  pBar->ShowWindow(bVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
  return TRUE;
}

BOOL CDockBar::RemoveBar(CControlBar* pBar) {
  if (!pBar) return FALSE;
  const int index = FindBand(static_cast<UINT>(pBar->GetDlgCtrlID()));
  if (index < 0) return FALSE;
  SendMessage(RB_DELETEBAND, static_cast<WPARAM>(index));
  pBar->ShowWindow(SW_HIDE);
  return TRUE;
}

int CDockBar::FindBand(UINT nID) const {
  return static_cast<int>(SendMessage(RB_IDTOINDEX, nID));
}

int CDockBar::GetBandCount() const { return static_cast<int>(SendMessage(RB_GETBANDCOUNT)); }

CDockBar::Band CDockBar::GetBand(int nIndex) const {
  REBARBANDINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID;
  SendMessage(RB_GETBANDINFOA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&info));
  return Band{info.wID, (info.fStyle & RBBS_BREAK) != 0, static_cast<int>(info.cx),
              (info.fStyle & RBBS_HIDDEN) == 0};
}

void CDockBar::ShowBar(CControlBar* pBar, BOOL bShow) {
  const int index = pBar ? FindBand(static_cast<UINT>(pBar->GetDlgCtrlID())) : -1;
  if (index < 0) return;
  SendMessage(RB_SHOWBAND, static_cast<WPARAM>(index), bShow ? TRUE : FALSE);
  pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CDockBar::UpdateBarSize(CControlBar* pBar, int cxDock) {
  const int index = pBar ? FindBand(static_cast<UINT>(pBar->GetDlgCtrlID())) : -1;
  if (index < 0) return;
  if (cxDock > 0) pBar->FitToWidth(GetBandClientWidth(index, cxDock));
  const SIZE size = pBar->CalcFixedLayout();
  REBARBANDINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
  info.cxMinChild = static_cast<UINT>(size.cx);
  info.cyMinChild = static_cast<UINT>(size.cy);
  info.cxIdeal = static_cast<UINT>(size.cx);
  SendMessage(RB_SETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

int CDockBar::GetBarHeight() const {
  // An area without visible bands takes no room.
  const int count = GetBandCount();
  for (int i = 0; i < count; ++i)
    if (GetBand(i).bVisible) return static_cast<int>(SendMessage(RB_GETBARHEIGHT));
  return 0;
}

int CDockBar::GetBandClientWidth(int nIndex, int cxDock) const {
  RECT borders = {};
  SendMessage(RB_GETBANDBORDERS, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&borders));
  // The rebar keeps a few pixels at the row's right end as well.
  const int width = cxDock - borders.left - borders.right - ::GetSystemMetrics(SM_CXEDGE) * 2;
  return width > 0 ? width : 0;
}

// --- moving a bar to the other edge -------------------------------------------------------

namespace {

LPARAM Shifted(LPARAM lParam, int dx) {
  return MAKELPARAM(static_cast<short>(GET_X_LPARAM(lParam) + dx), GET_Y_LPARAM(lParam));
}

}  // namespace

int CDockBar::FindGripperX(int nIndex, int y) const {
  RECT band = {};
  SendMessage(RB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&band));
  for (int x = band.left; x < band.right; ++x) {
    RBHITTESTINFO hit = {};
    hit.pt = POINT{x, y};
    SendMessage(RB_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iBand == nIndex && hit.flags == RBHT_GRABBER) return x;
    if (hit.flags == RBHT_CLIENT) break;
  }
  return -1;
}

LRESULT CDockBar::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
  RBHITTESTINFO hit = {};
  hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  SendMessage(RB_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  m_nDragBand = -1;
  m_cxGrabOffset = 0;
  m_bTowardOther = FALSE;
  if (hit.iBand < 0 || hit.flags == RBHT_CLIENT || hit.flags == RBHT_CHEVRON) return Default();
  // The rebar starts its own drag only on its narrow gripper; a press anywhere in the band's
  // header is handed to it as a press on the gripper. The rebar's drag notification carries
  // no band index, so the band is remembered here.
  RECT band = {}, borders = {};
  SendMessage(RB_GETRECT, static_cast<WPARAM>(hit.iBand), reinterpret_cast<LPARAM>(&band));
  SendMessage(RB_GETBANDBORDERS, static_cast<WPARAM>(hit.iBand),
              reinterpret_cast<LPARAM>(&borders));
  const bool inHeader = hit.pt.x < band.left + borders.left;
  const int gripperX = hit.flags == RBHT_GRABBER ? hit.pt.x
                       : inHeader                ? FindGripperX(hit.iBand, hit.pt.y)
                                                 : -1;
  if (gripperX < 0) return Default();
  m_nDragBand = hit.iBand;
  m_cxGrabOffset = gripperX - hit.pt.x;
  return DefWindowProc(WM_LBUTTONDOWN, wParam, Shifted(lParam, m_cxGrabOffset));
}

RECT CDockBar::TargetRect(int nBarHeight) const {
  CDockBar* other =
      m_pFrame->GetDockBar(m_dwEdge == CBRS_ALIGN_TOP ? CBRS_ALIGN_BOTTOM : CBRS_ALIGN_TOP);
  RECT area = {};
  other->GetWindowRect(&area);
  // The bar goes on a new row after the other area's rows: below them at the top, at the
  // very bottom of the bottom area.
  if (other->GetEdge() == CBRS_ALIGN_TOP) {
    area.top = area.bottom;
    area.bottom = area.top + nBarHeight;
  } else {
    area.top = area.bottom - nBarHeight;
  }
  return area;
}

LRESULT CDockBar::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  if (m_nDragBand < 0 || !(wParam & MK_LBUTTON) || !m_pFrame) return Default();
  const UINT otherEdge = m_dwEdge == CBRS_ALIGN_TOP ? CBRS_ALIGN_BOTTOM : CBRS_ALIGN_TOP;
  CDockBar* other = m_pFrame->GetDockBar(otherEdge);
  auto* bar = dynamic_cast<CControlBar*>(m_pFrame->GetControlBar(GetBand(m_nDragBand).nID));
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ClientToScreen(m_hWnd, &pt);
  RECT client;
  m_pFrame->GetClientRect(&client);
  ::MapWindowPoints(m_pFrame->m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int middle = (client.top + client.bottom) / 2;
  const BOOL towardOther = other && bar && (bar->GetDockStyle() == 0 ||
                                            (bar->GetDockStyle() & otherEdge)) &&
                           (m_dwEdge == CBRS_ALIGN_TOP ? pt.y > middle : pt.y < middle);
  if (!towardOther && !m_bTowardOther)
    return DefWindowProc(WM_MOUSEMOVE, wParam, Shifted(lParam, m_cxGrabOffset));
  if (towardOther && !m_bTowardOther) {
    // The rebar's own drag moves bands within this area only: end it, keep the mouse.
    m_bHandingOver = TRUE;
    SendMessage(RB_ENDDRAG);
    ::SetCapture(m_hWnd);
    m_bHandingOver = FALSE;
  }
  m_bTowardOther = towardOther;
  if (towardOther) {
    RECT barRect;
    bar->GetWindowRect(&barRect);
    m_marker.Show(TargetRect(barRect.bottom - barRect.top));
  } else {
    m_marker.Hide();
  }
  return 0;
}

void CDockBar::EndDrag() {
  m_nDragBand = -1;
  m_bTowardOther = FALSE;
  m_marker.Hide();
}

LRESULT CDockBar::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
  if (m_nDragBand < 0) return Default();
  const BOOL move = m_bTowardOther;
  const UINT nID = GetBand(m_nDragBand).nID;
  const LPARAM shifted = Shifted(lParam, m_cxGrabOffset);
  EndDrag();
  // Back in this area after the pointer went past the middle, the mouse is still this
  // area's own capture rather than the rebar's.
  const LRESULT result = move ? 0 : DefWindowProc(WM_LBUTTONUP, wParam, shifted);
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (move)
    m_pFrame->MoveBarToEdge(nID, m_dwEdge == CBRS_ALIGN_TOP ? CBRS_ALIGN_BOTTOM : CBRS_ALIGN_TOP);
  return result;
}

LRESULT CDockBar::OnCaptureChanged(WPARAM, LPARAM lParam) {
  // Another window took the mouse (a menu, a dialog): the drag is over.
  if (reinterpret_cast<HWND>(lParam) != m_hWnd && !m_bHandingOver) EndDrag();
  return Default();
}

void CDockBar::OnHeightChange(NMHDR*, LRESULT* result) {
  *result = 0;
  if (m_pFrame) m_pFrame->RecalcLayout(FALSE);
}
