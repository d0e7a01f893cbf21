// Filtering the event log: only the rows of chosen events and/or the rows holding a text are
// shown, every row stays stored and numbered, and the status bar tells how many rows show.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "events/EventCatalog.h"
#include "framework/StringResource.h"
#include "logview/EventListCtrl.h"
#include "logview/FilterLogDlg.h"
#include "res/resource.h"

namespace {

// The name as the filter dialog lists it: without the interface prefix; message rows, which
// have no event name, under a name of their own.
std::string EventLabel(const std::string& name) {
  if (name.empty()) return LoadResourceString(IDS_FILTER_MESSAGE_ROWS);
  const size_t prefix = sizeof(kEventRowNamePrefix) - 1;
  return name.compare(0, prefix, kEventRowNamePrefix) == 0 ? name.substr(prefix) : name;
}

}  // namespace

// The selection belongs to shown positions, which a change of the filter moves: the selected
// rows are kept by their places in the store, and the focus stays on its row if that is
// selected. The list finds the next selected row by going over the rows between, so the walk
// stops at the last selected one, and is left out when every shown row is selected; with one
// row selected, that row alone is deselected, not every row one by one.
std::vector<size_t> CEventListCtrl::DeselectRows(long& focusRow) {
  const UINT selectedCount = GetSelectedCount();
  const int focused = GetNextItem(-1, LVNI_FOCUSED);
  const bool focusSelected = focused >= 0 && GetItemState(focused, LVIS_SELECTED);
  std::vector<size_t> keep;
  keep.reserve(selectedCount);
  if (selectedCount == 1 && focusSelected) {
    keep.push_back(RowAt(focused));
  } else if (selectedCount > 0 && selectedCount == m_model.ShownCount()) {
    for (size_t item = 0; item < selectedCount; ++item) keep.push_back(RowAt(static_cast<int>(item)));
  } else {
    for (int item = -1; keep.size() < selectedCount && (item = GetNextItem(item, LVNI_SELECTED)) >= 0;)
      keep.push_back(RowAt(item));
  }
  focusRow = focusSelected ? static_cast<long>(RowAt(focused)) : -1;
  if (selectedCount == 1 && !keep.empty())
    SetItemState(static_cast<int>(m_model.Filter().ItemOf(keep.front())), 0, LVIS_SELECTED);
  else if (selectedCount > 1)
    SetItemState(-1, 0, LVIS_SELECTED);
  if (focused >= 0) SetItemState(focused, 0, LVIS_FOCUSED);
  return keep;
}

long CEventListCtrl::SelectRows(const std::vector<size_t>& rows, long focusRow) {
  const size_t count = m_model.ShownCount();
  long focusItem = focusRow >= 0 ? m_model.Filter().ItemOf(static_cast<size_t>(focusRow)) : -1;
  std::vector<int> items;
  items.reserve(rows.size());
  for (size_t row : rows) {
    const long item = m_model.Filter().ItemOf(row);
    if (item >= 0) items.push_back(static_cast<int>(item));
  }
  // Every shown row kept selected (a narrower filter over a select-all) takes one message.
  if (count > 0 && items.size() == count) {
    SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  } else {
    for (int item : items) SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
  }
  if (focusItem < 0 && !items.empty()) focusItem = items.front();
  if (focusItem >= 0) SetItemState(static_cast<int>(focusItem), LVIS_FOCUSED, LVIS_FOCUSED);
  return focusItem;
}

template <typename Change>
void CEventListCtrl::ChangeFilter(Change change) {
  FlushPendingRows();
  if (!m_hWnd) {
    change();
    return;
  }
  std::optional<RedrawOff> redrawOff(std::in_place, *this);
  long focusRow = -1;
  const std::vector<size_t> keep = DeselectRows(focusRow);
  change();
  const int count = static_cast<int>(m_model.ShownCount());
  m_nShownCount = count;
  // Every row was measured for the parameter column as it came, so the column stays.
  SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
  const long focusItem = SelectRows(keep, focusRow);
  // Scrolling waits for redraw: with it off, the list stays at the top.
  redrawOff.reset();
  if (focusItem >= 0) {
    EnsureVisible(static_cast<int>(focusItem), FALSE);
  } else if (count > 0) {
    EnsureVisible(count - 1, FALSE);
  }
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CEventListCtrl::ApplyFilter(bool byName, const std::vector<std::string>& names, const std::string& text) {
  ChangeFilter([&] { m_model.ApplyFilter(byName, names, text); });
}

void CEventListCtrl::MatchFilterTextAgain() {
  const RowFilter& filter = m_model.Filter();
  if (!filter.IsOn() || filter.Text().empty()) return;
  const std::vector<std::string> names = filter.Names();
  const std::string text = filter.Text();
  ApplyFilter(filter.ByName(), names, text);
}

void CEventListCtrl::ClearFilter() {
  if (!m_model.Filter().IsOn()) return;
  ChangeFilter([&] { m_model.ClearFilter(); });
}

void CEventListCtrl::OnFilterLog() {
  FlushPendingRows();
  CFilterLogDlg dialog(this);
  const EventRowStore& stored = m_model.Rows();
  const RowFilter& filter = m_model.Filter();
  // The events the log holds, with the counts kept as rows came: no row is read here.
  for (size_t index = 0; index < stored.NameCount(); ++index) {
    const size_t rows = stored.RowsWithName(index);
    if (rows == 0) continue;
    const std::string name = stored.NameOfIndex(index);
    const std::vector<std::string>& chosen = filter.Names();
    const bool checked = !filter.IsOn() || !filter.ByName() ||
                         std::find(chosen.begin(), chosen.end(), name) != chosen.end();
    dialog.m_events.push_back({name, EventLabel(name), rows, checked});
  }
  std::stable_sort(dialog.m_events.begin(), dialog.m_events.end(),
                   [](const CFilterLogDlg::Event& a, const CFilterLogDlg::Event& b) {
                     return !a.name.empty() && !b.name.empty() ? a.label < b.label : a.name.empty() && !b.name.empty();
                   });
  dialog.m_strText = filter.IsOn() ? filter.Text() : std::string();
  const INT_PTR result = dialog.DoModal();
  if (result == IDC_FILTER_CLEAR) {
    ClearFilter();
    return;
  }
  if (result != IDOK) return;
  std::vector<std::string> names;
  bool every = true;
  for (const CFilterLogDlg::Event& event : dialog.m_events) {
    if (event.checked)
      names.push_back(event.name);
    else
      every = false;
  }
  // Every event and no text is no filter: events of names not seen yet show too.
  if (every && dialog.m_strText.empty())
    ClearFilter();
  else
    ApplyFilter(!every, names, dialog.m_strText);
}

void CEventListCtrl::OnUpdateFilterLog(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_model.Rows().Count() > 0);
  pCmdUI->SetCheck(m_model.Filter().IsOn() ? 1 : 0);
}

void CEventListCtrl::OnUpdateClearFilterLog(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.Filter().IsOn()); }

void CEventListCtrl::OnUpdateIdleMessage(CCmdUI* pCmdUI) {
  std::string shown = SelectedRowsInterval();
  char text[MAX_PATH + 64];
  if (m_model.Filter().IsOn()) {
    std::snprintf(text, sizeof(text), LoadResourceString(IDS_FILTER_SHOWN_ROWS).c_str(),
                  static_cast<int>(m_model.ShownCount()), static_cast<int>(m_model.Rows().Count()));
    if (!shown.empty()) shown += "    ";
    shown += text;
  }
  // The journal's file name, for the selected tab.
  if (m_model.IsJournaling() && !m_model.JournalFailed()) {
    const std::string path = m_model.JournalPath();
    const size_t slash = path.find_last_of("\\/");
    std::snprintf(text, sizeof(text), LoadResourceString(IDS_JOURNAL_STATUS).c_str(),
                  path.c_str() + (slash == std::string::npos ? 0 : slash + 1));
    if (!shown.empty()) shown += "    ";
    shown += text;
  }
  if (!shown.empty()) pCmdUI->SetText(shown.c_str());
}
