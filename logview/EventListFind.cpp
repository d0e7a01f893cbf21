// Finding rows of the event log: a text looked for in every column, case-insensitive in
// single-byte letters and aware of double-byte characters; the row found is selected and
// scrolled into view, and find next and find previous look again from it. The find dialog
// stays open between finds and moves off the row found; a find that went round the log says
// so in the status bar.
#include <cstdio>
#include <string>

#include "framework/FrameworkMessages.h"
#include "framework/MessageBox.h"
#include "framework/StandardIds.h"
#include "log/ClearOfRow.h"
#include "logview/EventListCtrl.h"
#include "logview/FindLogDlg.h"
#include "log/LogFind.h"
#include "res/resource.h"

namespace {

const char kCaption[] = "Ormix";
const char kNotFound[] = "「%s」は見つかりませんでした。";

}  // namespace

int CEventListCtrl::FindRow(const std::string& text, bool forward, bool* wentRound) {
  FlushPendingRows();
  const int selected = GetNextItem(-1, LVNI_SELECTED);
  const int row = static_cast<int>(FindShownRow(m_model.Rows(), m_model.Filter(), text, selected, forward));
  if (wentRound) *wentRound = FindWentRound(selected, row, forward);
  if (row < 0) return -1;
  SelectRowAlone(row, selected);
  return row;
}

void CEventListCtrl::SelectRowAlone(int item, int selected) {
  // Deselecting every item at once goes over each of them in the list view; with one row
  // selected, that row alone is deselected.
  if (selected >= 0 && GetSelectedCount() == 1) {
    SetItemState(selected, 0, LVIS_SELECTED);
  } else if (selected >= 0) {
    RedrawOff redrawOff(*this);
    SetItemState(-1, 0, LVIS_SELECTED);
  }
  SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EnsureVisible(item, FALSE);
}

int CEventListCtrl::SelectStoredRows(const std::vector<uint32_t>& rows) {
  FlushPendingRows();
  const int selected = GetNextItem(-1, LVNI_SELECTED);
  if (selected >= 0 && GetSelectedCount() == 1) {
    SetItemState(selected, 0, LVIS_SELECTED);
  } else if (selected >= 0) {
    RedrawOff redrawOff(*this);
    SetItemState(-1, 0, LVIS_SELECTED);
  }
  const int focused = GetNextItem(-1, LVNI_FOCUSED);
  if (focused >= 0) SetItemState(focused, 0, LVIS_FOCUSED);
  const long first = SelectRows(std::vector<size_t>(rows.begin(), rows.end()), -1);
  if (first >= 0) EnsureVisible(static_cast<int>(first), FALSE);
  return static_cast<int>(first);
}

void CEventListCtrl::SetStatusMessage(UINT nID) {
  ::SendMessageA(::GetAncestor(m_hWnd, GA_ROOT), WM_SETMESSAGESTRING, nID, 0);
}

void CEventListCtrl::FindAgain(bool forward, HWND owner) {
  const std::string& text = *m_pFindText;
  if (text.empty()) {
    OnFindLog();
    return;
  }
  bool wentRound = false;
  if (FindRow(text, forward, &wentRound) >= 0) {
    SetStatusMessage(!wentRound ? AFX_IDS_IDLEMESSAGE : forward ? IDS_FIND_WRAPPED_FORWARD : IDS_FIND_WRAPPED_BACKWARD);
    return;
  }
  SetStatusMessage(AFX_IDS_IDLEMESSAGE);
  char message[512];
  std::snprintf(message, sizeof(message), kNotFound, text.c_str());
  ShowMessageBox(owner ? owner : ::GetAncestor(m_hWnd, GA_ROOT), message, kCaption, MB_OK | MB_ICONINFORMATION);
}

void CEventListCtrl::OnFindLog() {
  CFindLogDlg dialog(this);
  dialog.m_strFind = *m_pFindText;
  dialog.m_onFindNext = [this](CFindLogDlg& open) {
    *m_pFindText = open.m_strFind;
    FindAgain(true, open.m_hWnd);
    // The row found stays in sight: the dialog moves off it.
    const int item = GetNextItem(-1, LVNI_FOCUSED);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    if (item < 0 || !GetItemState(item, LVIS_SELECTED) ||
        !SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)))
      return;
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&row), 2);
    RECT window = {};
    ::GetWindowRect(open.m_hWnd, &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoA(::MonitorFromWindow(open.m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const POINT place = PlaceClearOfRow(window, row, monitor.rcWork);
    if (place.x != window.left || place.y != window.top)
      ::SetWindowPos(open.m_hWnd, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  dialog.DoModal();
}

void CEventListCtrl::OnFindNextLog() { FindAgain(true); }

void CEventListCtrl::OnFindPreviousLog() { FindAgain(false); }

void CEventListCtrl::OnUpdateFindLog(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.Rows().Count() > 0); }

// Before any find, find next and previous open the find dialog.
void CEventListCtrl::OnUpdateFindAgain(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.Rows().Count() > 0); }
