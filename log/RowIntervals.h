#pragma once
// The time between rows of an event log, with no window: what the Δ column shows (the time
// since the shown row before) and the time between two rows. Rows keep their times of day to
// the millisecond and come in the order they were stamped, so a row whose time of day is
// earlier than the row's before it was stamped after midnight.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "log/EventRowStore.h"
#include "log/RowFilter.h"

constexpr uint32_t kMillisecondsPerDay = 24u * 60 * 60 * 1000;

// Milliseconds from time of day `from` to time of day `to` (each in milliseconds since
// midnight), `to` taken on the next day when it is earlier.
uint32_t MillisecondsBetween(uint32_t from, uint32_t to);

// Milliseconds from stored row `earlier` to stored row `later`, which comes after it.
inline uint32_t MillisecondsBetweenRows(const EventRowStore& rows, size_t earlier, size_t later) {
  return MillisecondsBetween(rows.TimeOfDay(earlier), rows.TimeOfDay(later));
}

// The Δ of shown position `item`: milliseconds since the shown row before it; none for the
// first shown row.
std::optional<uint32_t> MillisecondsSinceShownRowBefore(const EventRowStore& rows, const RowFilter& shown, size_t item);

// Milliseconds with their digits grouped by thousands ("1,234,567"), written into `out`
// (kCellTextBytes). The length written; a zero follows.
size_t FormatMilliseconds(uint32_t milliseconds, char* out);
