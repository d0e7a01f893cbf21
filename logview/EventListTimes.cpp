// The time between rows of the event log: the Δ column (the time since the shown row before,
// a view of the time column that no file holds), the time between two selected rows in the
// status bar, and going to a time of day. (The times themselves: RowIntervals.h and
// LogGoToTime.h.)
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/MessageBox.h"
#include "framework/StringResource.h"
#include "log/LogCellText.h"
#include "log/LogGoToTime.h"
#include "log/RowIntervals.h"
#include "logview/EventListCtrl.h"
#include "logview/GoToTimeDlg.h"
#include "res/resource.h"

namespace {

const char kCaption[] = "Ormix";
const char kNoRowAtOrAfter[] = "%s 以降の行はありません。";

}  // namespace

void CEventListCtrl::SetDeltaColumnShown(bool on) {
  if (on == m_bDeltaShown) return;
  // The column comes and goes last in the list, so no other column's index moves.
  const int index = ListColumnLayout(m_model.Rows().IsOriginShown(), true).IndexOf(kDeltaColumn);
  m_bDeltaShown = on;
  if (!m_hWnd) return;
  ShowOptionalColumn(index, kDeltaColumn, on);
}

void CEventListCtrl::CopyDeltaText(size_t item, char* out, size_t size) const {
  char text[kCellTextBytes] = "";
  size_t length = 0;
  if (const auto delta = MillisecondsSinceShownRowBefore(m_model.Rows(), m_model.Filter(), item))
    length = FormatMilliseconds(*delta, text);
  if (length >= size) length = size - 1;
  std::memcpy(out, text, length);
  out[length] = '\0';
}

std::string CEventListCtrl::SelectedRowsInterval() {
  if (GetSelectedCount() != 2) return "";
  // Finding the selected items goes over the items before them, up to a whole long log at
  // each idle moment. The two found last, while both are still selected, are the two.
  auto selected = [&](int item) {
    return item >= 0 && static_cast<size_t>(item) < m_model.ShownCount() && GetItemState(item, LVIS_SELECTED);
  };
  if (!selected(m_nSelectedPair[0]) || !selected(m_nSelectedPair[1]) || m_nSelectedPair[0] == m_nSelectedPair[1]) {
    m_nSelectedPair[0] = GetNextItem(-1, LVNI_SELECTED);
    m_nSelectedPair[1] = m_nSelectedPair[0] >= 0 ? GetNextItem(m_nSelectedPair[0], LVNI_SELECTED) : -1;
    if (m_nSelectedPair[1] < 0) return "";
  }
  char interval[kCellTextBytes];
  FormatMilliseconds(MillisecondsBetweenRows(m_model.Rows(), RowAt(m_nSelectedPair[0]), RowAt(m_nSelectedPair[1])),
                     interval);
  char text[128];
  std::snprintf(text, sizeof(text), LoadResourceString(IDS_SELECTED_ROWS_INTERVAL).c_str(), interval);
  return text;
}

int CEventListCtrl::GoToTime(uint32_t time) {
  FlushPendingRows();
  const long item = FirstShownRowAtOrAfter(m_model.Rows(), m_model.Filter(), time);
  if (item < 0) return -1;
  SelectRowAlone(static_cast<int>(item), GetNextItem(-1, LVNI_SELECTED));
  ::SetFocus(m_hWnd);
  return static_cast<int>(item);
}

void CEventListCtrl::OnGoToTime() {
  FlushPendingRows();
  if (m_model.ShownCount() == 0) return;
  // The selected row's time (the focused one's, when it is selected), else the first row's,
  // to the millisecond as the row keeps it.
  int item = GetNextItem(-1, LVNI_FOCUSED);
  if (item < 0 || !GetItemState(item, LVIS_SELECTED))
    item = GetSelectedCount() > 0 ? GetNextItem(-1, LVNI_SELECTED) : 0;
  char shown[kCellTextBytes];
  FormatTimeOfDay(m_model.Rows().TimeOfDay(RowAt(item < 0 ? 0 : item)), true, shown);
  CGoToTimeDlg dialog(this);
  dialog.m_strTime = shown;
  if (dialog.DoModal() != IDOK || GoToTime(dialog.m_time) >= 0) return;
  char wanted[kCellTextBytes];
  FormatTimeOfDay(dialog.m_time, dialog.m_time % 1000 != 0, wanted);
  char message[128];
  std::snprintf(message, sizeof(message), kNoRowAtOrAfter, wanted);
  ShowMessageBox(::GetAncestor(m_hWnd, GA_ROOT), message, kCaption, MB_OK | MB_ICONINFORMATION);
}

void CEventListCtrl::OnUpdateGoToTime(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.ShownCount() > 0); }
