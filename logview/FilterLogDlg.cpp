#include "logview/FilterLogDlg.h"

#include <commctrl.h>

#include <cstdio>

#include "res/resource.h"

ORMIX_BEGIN_MESSAGE_MAP(CFilterLogDlg, CDialog)
  msgmap::ButtonClicked<&CFilterLogDlg::OnCheckAll>(IDC_FILTER_ALL),
  msgmap::ButtonClicked<&CFilterLogDlg::OnCheckNone>(IDC_FILTER_NONE),
  msgmap::ButtonClicked<&CFilterLogDlg::OnClearFilter>(IDC_FILTER_CLEAR),
ORMIX_END_MESSAGE_MAP()

namespace {

// The state image of a check box list item: 1 unchecked, 2 checked.
UINT CheckState(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }

}  // namespace

CFilterLogDlg::CFilterLogDlg(CWnd* pParentWnd) : CDialog(IDD_FILTER_LOG, pParentWnd) {}

BOOL CFilterLogDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  HWND list = ::GetDlgItem(m_hWnd, IDC_FILTER_EVENTS);
  ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  RECT client = {};
  ::GetClientRect(list, &client);
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (size_t i = 0; i < m_events.size(); ++i) {
    char text[512];
    std::snprintf(text, sizeof(text), "%s (%lu)", m_events[i].label.c_str(),
                  static_cast<unsigned long>(m_events[i].rows));
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text;
    const int at = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = CheckState(m_events[i].checked);
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
  }
  return TRUE;
}

void CFilterLogDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_FILTER_TEXT, m_strText);
}

void CFilterLogDlg::OnOK() {
  HWND list = ::GetDlgItem(m_hWnd, IDC_FILTER_EVENTS);
  for (size_t i = 0; i < m_events.size(); ++i) {
    const UINT state = static_cast<UINT>(
        ::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
    m_events[i].checked = (state & LVIS_STATEIMAGEMASK) == CheckState(true);
  }
  CDialog::OnOK();
}

void CFilterLogDlg::CheckEveryEvent(bool checked) {
  LVITEMA item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = CheckState(checked);
  ::SendDlgItemMessageA(m_hWnd, IDC_FILTER_EVENTS, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(&item));
}

void CFilterLogDlg::OnCheckAll() { CheckEveryEvent(true); }

void CFilterLogDlg::OnCheckNone() { CheckEveryEvent(false); }

void CFilterLogDlg::OnClearFilter() { EndDialog(IDC_FILTER_CLEAR); }
