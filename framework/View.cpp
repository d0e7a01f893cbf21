#include "framework/View.h"

#include "framework/Document.h"

ORMIX_IMPLEMENT_DYNAMIC(CView, CWnd)
ORMIX_IMPLEMENT_DYNAMIC(CCtrlView, CView)

ORMIX_BEGIN_MESSAGE_MAP(CView, CWnd)
  msgmap::Create<&CView::OnCreate>(),
ORMIX_END_MESSAGE_MAP()

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::CreateView(CWnd* pParent, UINT nID, CCreateContext* pContext) {
  RECT rect = {0, 0, 0, 0};
  return CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rect.left, rect.top, 0,
                  0, pParent ? pParent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), pContext);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) {
    // A plain view gets a class of its own with no background brush: it paints itself.
    static const char kViewClass[] = "OrmixView";
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(cs.hInstance, kViewClass, &wc)) {
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = ::DefWindowProcA;
      wc.hInstance = cs.hInstance;
      wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
      wc.lpszClassName = kViewClass;
      if (!::RegisterClassA(&wc)) return FALSE;
    }
    cs.lpszClass = kViewClass;
  }
  return TRUE;
}

int CView::OnCreate(LPCREATESTRUCTA cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  auto* context = cs ? static_cast<CCreateContext*>(cs->lpCreateParams) : nullptr;
  if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnInitialUpdate() { Invalidate(); }

void CView::PostNcDestroy() { delete this; }

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.lpszClass = m_strClass.c_str();
  cs.style |= static_cast<LONG>(m_dwDefaultStyle);
  return CView::PreCreateWindow(cs);
}
