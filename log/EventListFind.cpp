// Finding rows of the event log: a text looked for in every column, case-insensitive in
// single-byte letters and aware of double-byte characters; the row found is selected and
// scrolled into view, and find next and find previous look again from it.
#include <cstdio>
#include <string>

#include "framework/MessageBox.h"
#include "log/EventListCtrl.h"
#include "log/FindLogDlg.h"
#include "log/RowTextMatch.h"

namespace {

const char kCaption[] = "Ormix";
const char kNotFound[] = "「%s」は見つかりませんでした。";

}  // namespace

std::string& CEventListCtrl::FindText() {
  static std::string text;
  return text;
}

int CEventListCtrl::FindRow(const std::string& text, bool forward) {
  FlushPendingRows();
  RowTextMatch match(m_rows, text);
  const int count = static_cast<int>(ShownCount());  // the rows a filter shows
  if (match.IsEmpty() || count == 0) return -1;
  const int selected = GetNextItem(-1, LVNI_SELECTED);
  const int from = selected >= 0 ? selected : (forward ? -1 : count);
  for (int step = 1; step <= count; ++step) {
    const int row = ((forward ? from + step : from - step) % count + count) % count;
    if (!match.Holds(RowAt(row))) continue;
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
  return -1;
}

void CEventListCtrl::FindAgain(bool forward) {
  if (FindText().empty() || FindRow(FindText(), forward) >= 0) return;
  char message[512];
  std::snprintf(message, sizeof(message), kNotFound, FindText().c_str());
  ShowMessageBox(::GetAncestor(m_hWnd, GA_ROOT), message, kCaption, MB_OK | MB_ICONINFORMATION);
}

void CEventListCtrl::OnFindLog() {
  CFindLogDlg dialog(this);
  dialog.m_strFind = FindText();
  if (dialog.DoModal() != IDOK || dialog.m_strFind.empty()) return;
  FindText() = dialog.m_strFind;
  FindAgain(true);
}

void CEventListCtrl::OnFindNextLog() { FindAgain(true); }

void CEventListCtrl::OnFindPreviousLog() { FindAgain(false); }

void CEventListCtrl::OnUpdateFindLog(CCmdUI* pCmdUI) { pCmdUI->Enable(m_rows.Count() > 0); }

void CEventListCtrl::OnUpdateFindAgain(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_rows.Count() > 0 && !FindText().empty());
}
