#include "logview/FindLogDlg.h"

#include "res/resource.h"

CFindLogDlg::CFindLogDlg(CWnd* pParentWnd) : CDialog(IDD_FIND_LOG, pParentWnd) {}

void CFindLogDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_FIND_TEXT, m_strFind);
}

void CFindLogDlg::OnOK() {
  if (!m_onFindNext) {
    CDialog::OnOK();
    return;
  }
  if (!UpdateData(TRUE) || m_strFind.empty()) return;
  m_onFindNext(*this);
}
