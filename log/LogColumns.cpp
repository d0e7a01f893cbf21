#include "log/LogColumns.h"

const LogColumnInfo kLogColumns[kLogColumnCount] = {
    {"番号", "ABCEF00000", "ABCEF00000", 16, LogColumnAlign::kCentre},
    {"日時", "00:00:0000", "00:00:00.00000", 0, LogColumnAlign::kCentre},
    {"イベント名", "DIID_DWebBrowserEvents2::CommandStateChange00", "DIID_DWebBrowserEvents2::CommandStateChange00", 0,
     LogColumnAlign::kLeft},
    {"パラメータ", nullptr, nullptr, 0, LogColumnAlign::kLeft},
    // Its widest text and its heading, with room for the cell margins.
    {"フレーム", "フレーム00", "フレーム00", 0, LogColumnAlign::kLeft},
    // The longest time between two rows, a day less a millisecond, with room for the margins;
    // right-aligned, so that the digits of the rows stand under one another.
    {"Δ(ms)", "00,000,00000", "00,000,00000", 0, LogColumnAlign::kRight},
};

const int* LogColumnOrder(bool originShown, size_t& count) {
  static const int kPlain[] = {kNumberColumn, kTimeColumn, kNameColumn, kTextColumn};
  static const int kWithOrigin[] = {kNumberColumn, kTimeColumn, kNameColumn, kOriginColumn, kTextColumn};
  count = originShown ? 5 : 4;
  return originShown ? kWithOrigin : kPlain;
}

int ListColumnLayout::ColumnAt(int index) const {
  if (index < 0 || index >= Count()) return -1;
  if (index < kOriginColumn) return index;
  return index == kOriginColumn && m_bOrigin ? kOriginColumn : kDeltaColumn;
}

int ListColumnLayout::IndexOf(int column) const {
  if (column < kOriginColumn) return column;
  if (column == kOriginColumn) return m_bOrigin ? kOriginColumn : -1;
  return column == kDeltaColumn && m_bDelta ? kOriginColumn + m_bOrigin : -1;
}

std::vector<int> ListColumnLayout::ShownOrder() const {
  std::vector<int> order;
  for (int column : {kNumberColumn, kTimeColumn, kDeltaColumn, kNameColumn, kOriginColumn, kTextColumn})
    if (IndexOf(column) >= 0) order.push_back(IndexOf(column));
  return order;
}
