#include "log/RowIntervals.h"

#include "log/LogCellText.h"

uint32_t MillisecondsBetween(uint32_t from, uint32_t to) {
  return to >= from ? to - from : kMillisecondsPerDay - from + to;
}

std::optional<uint32_t> MillisecondsSinceShownRowBefore(const EventRowStore& rows, const RowFilter& shown, size_t item) {
  if (item == 0 || item >= shown.ShownCount(rows)) return std::nullopt;
  return MillisecondsBetweenRows(rows, shown.RowAt(item - 1), shown.RowAt(item));
}

size_t FormatMilliseconds(uint32_t milliseconds, char* out) {
  // The digits backwards, a comma before every third, then turned round.
  char reversed[kCellTextBytes];
  size_t length = 0;
  do {
    if (length % 4 == 3) reversed[length++] = ',';
    reversed[length++] = static_cast<char>('0' + milliseconds % 10);
    milliseconds /= 10;
  } while (milliseconds > 0);
  for (size_t i = 0; i < length; ++i) out[i] = reversed[length - 1 - i];
  out[length] = '\0';
  return length;
}
