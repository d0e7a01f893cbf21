#include "view/JournalDlg.h"

#include "framework/DataExchange.h"
#include "res/resource.h"

CJournalDlg::CJournalDlg(CWnd* pParentWnd) : CDialog(IDD_JOURNAL, pParentWnd) {}

void CJournalDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (HWND check = pDX->PrepareCtrl(IDC_JOURNAL_ON)) {
    if (pDX->m_bSaveAndValidate)
      m_bOn = ::SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
      ::SendMessageA(check, BM_SETCHECK, m_bOn ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  DDX_Text(pDX, IDC_JOURNAL_FOLDER, m_strFolder);
}
