#pragma once
// The columns of an event log in one table: heading, the sample text that sizes the column
// and alignment. Creating and measuring the list, the CSV heading line and the order of the
// texts in a saved or copied line all read it.
#include <cstddef>

// Column indexes as the list view knows them; the origin column, while shown, stands
// between the event name and the text, but keeps the last index.
enum LogColumn : int { kNumberColumn = 0, kTimeColumn = 1, kNameColumn = 2, kTextColumn = 3, kOriginColumn = 4 };
constexpr int kLogColumnCount = 5;

struct LogColumnInfo {
  const char* heading;
  // The text whose width (plus `padding`) the column gets; none for the text column, which
  // grows with the rows. The time column has a longer sample while it shows milliseconds.
  const char* sample;
  const char* sampleWithMilliseconds;
  int padding;
  bool centred;
};

extern const LogColumnInfo kLogColumns[kLogColumnCount];

// The columns in the order they are shown, saved and copied: with the origin column or
// without it. `count` receives how many.
const int* LogColumnOrder(bool originShown, size_t& count);
