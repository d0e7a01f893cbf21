#include "framework/DataExchange.h"

#include "framework/Wnd.h"

HWND CDataExchange::PrepareCtrl(int nIDC) {
  m_hWndLastControl = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
  return m_hWndLastControl;
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (!hWndCtrl) return;
  if (pDX->m_bSaveAndValidate)
    index = static_cast<int>(::SendMessageA(hWndCtrl, LB_GETCURSEL, 0, 0));
  else
    ::SendMessageA(hWndCtrl, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& text) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (!hWndCtrl) return;
  if (!pDX->m_bSaveAndValidate) {
    ::SetWindowTextA(hWndCtrl, text.c_str());
    return;
  }
  const int length = ::GetWindowTextLengthA(hWndCtrl);
  std::string read(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(hWndCtrl, &read[0], length + 1);
  read.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  text = read;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (hWndCtrl) rControl.SubclassWindow(hWndCtrl);
}
