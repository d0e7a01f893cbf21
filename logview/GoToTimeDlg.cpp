#include "logview/GoToTimeDlg.h"

#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "log/LogGoToTime.h"
#include "res/resource.h"

namespace {

const char kCaption[] = "Ormix";
const char kUnreadable[] = "時刻は HH:MM:SS または HH:MM:SS.mmm の形で入力してください。\n(例: 13:05:09、13:05:09.250)";

}  // namespace

CGoToTimeDlg::CGoToTimeDlg(CWnd* pParentWnd) : CDialog(IDD_GO_TO_TIME, pParentWnd) {}

void CGoToTimeDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_GO_TO_TIME_TEXT, m_strTime);
}

void CGoToTimeDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  const std::optional<uint32_t> time = ParseTimeOfDay(m_strTime);
  if (!time) {
    ShowMessageBox(m_hWnd, kUnreadable, kCaption, MB_OK | MB_ICONEXCLAMATION);
    // Back to the text, selected whole, to be typed again.
    const HWND text = ::GetDlgItem(m_hWnd, IDC_GO_TO_TIME_TEXT);
    ::SetFocus(text);
    ::SendMessageA(text, EM_SETSEL, 0, -1);
    return;
  }
  m_time = *time;
  EndDialog(IDOK);
}
