#pragma once
// The number and time texts of a log's rows, written by hand: saving, and finding or
// filtering by digits, write them for every row. The one place either text is formatted.
#include <cstddef>

// Room for either text with its terminating zero.
constexpr size_t kCellTextBytes = 24;

// "%08ld": at least eight digits, zero-filled; more when the number needs them. The length
// written; a zero follows.
size_t FormatRowNumber(long number, char* out);
// A time of day, given in milliseconds since midnight, on the 24-hour clock: "HH:MM:SS", or
// "HH:MM:SS.mmm". The length written; a zero follows.
size_t FormatTimeOfDay(unsigned long milliseconds, bool withMilliseconds, char* out);
