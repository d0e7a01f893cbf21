// Telling a page's events from its frames' in the event log: each event with a browser
// argument is stored with where it came from, and the frame column, while shown, says so and
// marks the page's own DocumentComplete, the moment the page has loaded, with its own icon.
#include "logview/EventListCtrl.h"

EventRowStore::Origin CEventListCtrl::OriginOf(IDispatch* browser, bool loaded) const {
  using Origin = EventRowStore::Origin;
  // Without the browser argument, or without a browser to compare with, nothing is known.
  if (!browser || !IsAttached()) return Origin::None;
  if (!IsConnectedBrowser(browser)) return Origin::Frame;
  return loaded ? Origin::PageLoaded : Origin::Page;
}

int CEventListCtrl::ShownImage(size_t row) const {
  const EventRowStore& rows = m_model.Rows();
  if (rows.IsOriginShown() && rows.OriginOf(row) == EventRowStore::Origin::PageLoaded) return kImageLoaded;
  return rows.Image(row);
}

void CEventListCtrl::SetFrameColumnShown(bool on) {
  if (on == m_model.Rows().IsOriginShown()) return;
  m_model.SetOriginShown(on);
  MatchFilterTextAgain();  // the column's texts are matched only while it is shown
  if (!m_hWnd) return;
  if (on) {
    InsertColumn(kOriginColumn, kLogColumns[kOriginColumn].heading, LVCFMT_LEFT);
    // Shown between the event name and the parameters; the column indexes stay as they are.
    size_t count = 0;
    const int* order = LogColumnOrder(true, count);
    SetColumnOrderArray(static_cast<int>(count), order);
    MeasureColumn(kOriginColumn);
  } else {
    DeleteColumn(kOriginColumn);
  }
  // The icons change with the column.
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}
