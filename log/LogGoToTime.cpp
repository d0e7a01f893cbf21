#include "log/LogGoToTime.h"

#include "log/RowIntervals.h"

namespace {

// Reads exactly `digits` decimal digits at `at`, moving past them.
bool ReadDigits(const std::string& text, size_t& at, size_t digits, uint32_t& value) {
  value = 0;
  for (size_t end = at + digits; at < end; ++at) {
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
    value = value * 10 + static_cast<uint32_t>(text[at] - '0');
  }
  return true;
}

}  // namespace

std::optional<uint32_t> ParseTimeOfDay(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  const std::string time = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  size_t at = 0;
  uint32_t hour = 0, minute = 0, second = 0, millisecond = 0;
  const size_t hourDigits = time.find(':') == 1 ? 1 : 2;
  if (!ReadDigits(time, at, hourDigits, hour) || at >= time.size() || time[at++] != ':' ||
      !ReadDigits(time, at, 2, minute) || at >= time.size() || time[at++] != ':' || !ReadDigits(time, at, 2, second))
    return std::nullopt;
  if (at < time.size() && (time[at++] != '.' || !ReadDigits(time, at, 3, millisecond))) return std::nullopt;
  if (at != time.size() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
}

long FirstShownRowAtOrAfter(const EventRowStore& rows, const RowFilter& shown, uint32_t time) {
  const size_t shownCount = shown.ShownCount(rows);
  if (shownCount == 0) return -1;
  // Times on the log's own clock: milliseconds since the midnight before its first row.
  const uint32_t start = rows.TimeOfDay(0);
  const uint64_t wanted = time < start ? uint64_t{time} + kMillisecondsPerDay : time;
  uint64_t dayStart = 0;
  uint32_t previous = start;
  size_t item = 0;
  // Every stored row counts the days, shown or not; only shown ones are answers.
  for (size_t row = 0; row < rows.Count(); ++row) {
    const uint32_t at = rows.TimeOfDay(row);
    if (at < previous) dayStart += kMillisecondsPerDay;
    previous = at;
    if (item >= shownCount || shown.RowAt(item) != row) continue;
    if (dayStart + at >= wanted) return static_cast<long>(item);
    ++item;
  }
  // A time before the first row's, in a log that never reached the next day.
  return time < start && dayStart == 0 ? 0 : -1;
}
