#include "framework/ToolTipCtrl.h"

ORMIX_IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

namespace {
// The tool record as every version of the control reads it: a larger size (with the
// reserved field of newer headers) is refused by the control of older common controls.
TOOLINFOA MakeToolInfo(CWnd* pWnd, const char* text, UINT_PTR nIDTool) {
  TOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V2_SIZE;
  info.hwnd = pWnd ? pWnd->m_hWnd : nullptr;
  info.uId = nIDTool;
  info.lpszText = const_cast<char*>(text);
  return info;
}
}  // namespace

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
  return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                  nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* text, const RECT& rect, UINT_PTR nIDTool) {
  TOOLINFOA info = MakeToolInfo(pWnd, text, nIDTool);
  info.rect = rect;
  return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFOA info = MakeToolInfo(pWnd, text, nIDTool);
  SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::RelayEvent(MSG* pMsg) {
  if (m_hWnd) SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}
