#pragma once
// The columns of an event log in one table: heading, the sample text that sizes the column
// and alignment. Creating and measuring the list, the CSV heading line and the order of the
// texts in a saved or copied line all read it.
#include <cstddef>
#include <vector>

// The columns of a log. The four first are the list view's column indexes too; the origin
// column, while shown, stands between the event name and the text, and the Δ column (the
// time since the shown row before, a view of the time column that no file holds) between
// the time and the event name; the list places both as ListColumnLayout says.
enum LogColumn : int {
  kNumberColumn = 0,
  kTimeColumn = 1,
  kNameColumn = 2,
  kTextColumn = 3,
  kOriginColumn = 4,
  kDeltaColumn = 5
};
constexpr int kLogColumnCount = 6;

enum class LogColumnAlign { kLeft, kCentre, kRight };

struct LogColumnInfo {
  const char* heading;
  // The text whose width (plus `padding`) the column gets; none for the text column, which
  // grows with the rows. The time column has a longer sample while it shows milliseconds.
  const char* sample;
  const char* sampleWithMilliseconds;
  int padding;
  LogColumnAlign align;
};

extern const LogColumnInfo kLogColumns[kLogColumnCount];

// The columns in the order they are saved and copied: with the origin column or without it.
// `count` receives how many.
const int* LogColumnOrder(bool originShown, size_t& count);

// Where the columns of a log stand in its list view, with the origin and Δ columns shown or
// not. The list view numbers its columns as they were inserted and renumbers the ones after
// a column it deletes; so the four first keep their indexes, the columns shown on request
// come after them (the origin column first, at kOriginColumn), and the order array shows
// every column in its place: number, time, Δ, event name, origin, text.
class ListColumnLayout {
 public:
  ListColumnLayout(bool originShown, bool deltaShown) : m_bOrigin(originShown), m_bDelta(deltaShown) {}

  int Count() const { return 4 + m_bOrigin + m_bDelta; }
  // The LogColumn at list index `index`; -1 for no column.
  int ColumnAt(int index) const;
  // The list index of LogColumn `column`; -1 while it is not shown.
  int IndexOf(int column) const;
  // The list indexes in the order the columns are shown.
  std::vector<int> ShownOrder() const;

 private:
  bool m_bOrigin;
  bool m_bDelta;
};
