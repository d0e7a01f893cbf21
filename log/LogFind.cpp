#include "log/LogFind.h"

#include "log/RowTextMatch.h"

long FindShownRow(const EventRowStore& rows, const RowFilter& shown, const std::string& text, long from,
                  bool forward) {
  RowTextMatch match(rows, text);
  const long count = static_cast<long>(shown.ShownCount(rows));
  if (match.IsEmpty() || count == 0) return -1;
  if (from < 0 || from >= count) from = forward ? -1 : count;
  for (long step = 1; step <= count; ++step) {
    const long item = ((forward ? from + step : from - step) % count + count) % count;
    if (match.Holds(shown.RowAt(static_cast<size_t>(item)))) return item;
  }
  return -1;
}

bool FindWentRound(long from, long found, bool forward) {
  if (from < 0 || found < 0) return false;
  return forward ? found <= from : found >= from;
}
