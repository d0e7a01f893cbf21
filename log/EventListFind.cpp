// Finding rows of the event log: a text looked for in every column, case-insensitive in
// single-byte letters and aware of double-byte characters; the row found is selected and
// scrolled into view, and find next and find previous look again from it.
#include <cstdio>
#include <string>

#include "framework/MessageBox.h"
#include "log/EventListCtrl.h"
#include "log/FindLogDlg.h"
#include "log/LogFind.h"

namespace {

const char kCaption[] = "Ormix";
const char kNotFound[] = "「%s」は見つかりませんでした。";

}  // namespace

int CEventListCtrl::FindRow(const std::string& text, bool forward) {
  FlushPendingRows();
  const int selected = GetNextItem(-1, LVNI_SELECTED);
  const int row = static_cast<int>(FindShownRow(m_rows, m_filter, text, selected, forward));
  if (row < 0) return -1;
  // Only the row found stays selected. Deselecting every item at once goes over each of
  // them in the list view; with one row selected, that row alone is deselected.
  if (selected >= 0 && GetSelectedCount() == 1)
    SetItemState(selected, 0, LVIS_SELECTED);
  else if (selected >= 0)
    SetItemState(-1, 0, LVIS_SELECTED);
  SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EnsureVisible(row, FALSE);
  return row;
}

void CEventListCtrl::FindAgain(bool forward) {
  const std::string& text = *m_pFindText;
  if (text.empty() || FindRow(text, forward) >= 0) return;
  char message[512];
  std::snprintf(message, sizeof(message), kNotFound, text.c_str());
  ShowMessageBox(::GetAncestor(m_hWnd, GA_ROOT), message, kCaption, MB_OK | MB_ICONINFORMATION);
}

void CEventListCtrl::OnFindLog() {
  CFindLogDlg dialog(this);
  dialog.m_strFind = *m_pFindText;
  if (dialog.DoModal() != IDOK || dialog.m_strFind.empty()) return;
  *m_pFindText = dialog.m_strFind;
  FindAgain(true);
}

void CEventListCtrl::OnFindNextLog() { FindAgain(true); }

void CEventListCtrl::OnFindPreviousLog() { FindAgain(false); }

void CEventListCtrl::OnUpdateFindLog(CCmdUI* pCmdUI) { pCmdUI->Enable(m_rows.Count() > 0); }

void CEventListCtrl::OnUpdateFindAgain(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_rows.Count() > 0 && !m_pFindText->empty());
}
