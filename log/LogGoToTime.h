#pragma once
// Going to a time of day in an event log, with no window: the time as the user types it, and
// the first shown row stamped at or after it.
#include <cstdint>
#include <optional>
#include <string>

#include "log/EventRowStore.h"
#include "log/RowFilter.h"

// The time of day of "HH:MM:SS" or "HH:MM:SS.mmm" (the hour may have one digit; spaces
// around are let through), in milliseconds since midnight; none for any other text or a
// time not on the 24-hour clock.
std::optional<uint32_t> ParseTimeOfDay(const std::string& text);

// The shown position of the first shown row, in the log's order, stamped at or after time of
// day `time` (milliseconds since midnight); -1 when none is. The log's days run from its
// first row: each row whose time of day is earlier than the row's before it begins the next
// day. A time earlier than the first row's is the next day's in a log that crossed midnight,
// and in one that did not, a time before the log began: its first shown row.
long FirstShownRowAtOrAfter(const EventRowStore& rows, const RowFilter& shown, uint32_t time);
