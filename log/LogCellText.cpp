#include "log/LogCellText.h"

#include <cstdio>

namespace {

// Two digits of `value`, the tens first.
char* TwoDigits(unsigned long value, char* out) {
  *out++ = static_cast<char>('0' + value / 10 % 10);
  *out++ = static_cast<char>('0' + value % 10);
  return out;
}

}  // namespace

size_t FormatRowNumber(long number, char* out) {
  if (number < 0 || number > 99999999)
    return static_cast<size_t>(std::snprintf(out, kCellTextBytes, "%08ld", number));
  unsigned long n = static_cast<unsigned long>(number);
  for (int i = 7; i >= 0; --i, n /= 10) out[i] = static_cast<char>('0' + n % 10);
  out[8] = '\0';
  return 8;
}

size_t FormatTimeOfDay(unsigned long milliseconds, bool withMilliseconds, char* out) {
  const unsigned long seconds = milliseconds / 1000;
  char* at = TwoDigits(seconds / 3600 % 100, out);
  *at++ = ':';
  at = TwoDigits(seconds / 60 % 60, at);
  *at++ = ':';
  at = TwoDigits(seconds % 60, at);
  if (withMilliseconds) {
    const unsigned long ms = milliseconds % 1000;
    *at++ = '.';
    *at++ = static_cast<char>('0' + ms / 100);
    at = TwoDigits(ms % 100, at);
  }
  *at = '\0';
  return static_cast<size_t>(at - out);
}
