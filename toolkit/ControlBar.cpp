#include "toolkit/ControlBar.h"

#include "framework/FrameWnd.h"
#include "toolkit/ControlBarStyles.h"
#include "toolkit/ToolkitFrameWnd.h"

ORMIX_IMPLEMENT_DYNAMIC(CControlBar, CWnd)

ORMIX_BEGIN_MESSAGE_MAP(CControlBar, CWnd)
  msgmap::Destroy<&CControlBar::OnDestroy>(),
ORMIX_END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
  if (m_pToolkitFrame) m_pToolkitFrame->RemoveControlBar(this);
}

void CControlBar::EnableDocking(DWORD dwDockStyle, DWORD dwFlags) {
  m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
  m_dwDockFlags = dwFlags;
}

SIZE CControlBar::CalcFixedLayout() {
  RECT rect = {};
  if (m_hWnd) GetWindowRect(&rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CControlBar::FitToWidth(int) {}

void CControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

BOOL CControlBar::CreateBar(CWnd* pParent, LPCSTR className, DWORD dwCtrlStyle, DWORD dwStyle,
                            UINT nID) {
  if (!pParent || !pParent->m_hWnd) return FALSE;
  m_dwStyle = dwStyle & CBRS_ALL;
  const DWORD windowStyle = (dwStyle & ~CBRS_ALL) | dwCtrlStyle | WS_CHILD;
  if (!CreateEx(0, className, nullptr, windowStyle, 0, 0, 0, 0, pParent->m_hWnd,
                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
    return FALSE;
  if (pParent->IsKindOf(ORMIX_RUNTIME_CLASS(CFrameWnd)))
    m_pFrame = static_cast<CFrameWnd*>(pParent);
  if (pParent->IsKindOf(ORMIX_RUNTIME_CLASS(CToolkitFrameWnd))) {
    m_pToolkitFrame = static_cast<CToolkitFrameWnd*>(pParent);
    m_pToolkitFrame->AddControlBar(this);
  }
  return TRUE;
}

void CControlBar::OnDestroy() {
  if (m_pToolkitFrame) m_pToolkitFrame->RemoveControlBar(this);
  m_pToolkitFrame = nullptr;
  CWnd::OnDestroy();
}
