// The times of a log's rows with no window: the time since the shown row before (the Δ
// column) and between two rows, over midnight; the time typed to go to, and the first shown
// row at or after it.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/EventRowStore.h"
#include "log/LogGoToTime.h"
#include "log/RowFilter.h"
#include "log/RowIntervals.h"

namespace {

// A row's time of day given in milliseconds since midnight.
SYSTEMTIME At(uint32_t ms) {
  return {0, 0, 0, 0, static_cast<WORD>(ms / 3600000), static_cast<WORD>(ms / 60000 % 60),
          static_cast<WORD>(ms / 1000 % 60), static_cast<WORD>(ms % 1000)};
}

constexpr uint32_t Ms(uint32_t hour, uint32_t minute, uint32_t second, uint32_t ms = 0) {
  return ((hour * 60 + minute) * 60 + second) * 1000 + ms;
}

// Rows of the names and times given, in that order.
void Fill(EventRowStore& rows, const std::vector<std::pair<const char*, uint32_t>>& named) {
  long number = 1;
  for (const auto& [name, ms] : named) rows.Append(number++, At(ms), name, "", 0);
}

// Each shown row's Δ is the time since the shown row before, whatever the hidden rows between;
// a row after midnight counts on from the day before. The time between two rows likewise; the
// text groups the digits by thousands.
TEST(RowIntervalsTest, EachShownRowsDeltaIsTheTimeSinceTheShownRowBefore) {
  EventRowStore rows;
  Fill(rows, {{"A", Ms(23, 59, 58, 500)}, {"B", Ms(23, 59, 59)}, {"A", Ms(23, 59, 59, 900)},
              {"B", Ms(0, 0, 1, 100)}, {"A", Ms(0, 0, 1, 100)}, {"A", Ms(0, 20, 1, 100)}});
  RowFilter filter;
  using Deltas = std::vector<std::optional<uint32_t>>;
  const auto deltas = [&] {
    Deltas each;
    for (size_t item = 0; item < filter.ShownCount(rows); ++item)
      each.push_back(MillisecondsSinceShownRowBefore(rows, filter, item));
    return each;
  };
  EXPECT_EQ((Deltas{std::nullopt, 500, 900, 1200, 0, 1200000}), deltas());
  filter.Apply(rows, true, {"A"}, "");
  EXPECT_EQ((Deltas{std::nullopt, 1400, 1200, 1200000}), deltas());
  filter.Apply(rows, true, {"B"}, "");
  EXPECT_EQ((Deltas{std::nullopt, 2100}), deltas());
  EXPECT_EQ(2100u, MillisecondsBetweenRows(rows, 1, 3));
  for (const auto& [ms, text] : {std::pair<uint32_t, std::string>{0, "0"}, {999, "999"}, {1200000, "1,200,000"}}) {
    char out[kCellTextBytes];
    EXPECT_EQ(text, std::string(out, FormatMilliseconds(ms, out)));
  }
}

TEST(LogGoToTimeTest, ReadsATimeOfDayWithOrWithoutMillisecondsAndRefusesAnythingElse) {
  const std::pair<const char*, uint32_t> good[] = {
      {"00:00:00", 0},
      {"12:34:56", Ms(12, 34, 56)},
      {"23:59:59.999", Ms(23, 59, 59, 999)},
      {"9:05:00", Ms(9, 5, 0)},
      {"  09:05:00.007 ", Ms(9, 5, 0, 7)},
  };
  for (const auto& [text, ms] : good) EXPECT_EQ(std::optional<uint32_t>(ms), ParseTimeOfDay(text)) << text;
  const char* bad[] = {"", "   ", "12:34", "12:34:5", "123:00:00", "24:00:00", "12:60:00", "12:00:60", "12:00:00.5",
                       "12:00:00.1234", "12:00:00.", "12:00:00,000", "12-00-00", "１２:００:００", "12:00:00 pm",
                       ":12:00:00", "12::00:00"};
  for (const char* text : bad) EXPECT_EQ(std::nullopt, ParseTimeOfDay(text)) << text;
}

// The first shown row at or after a time, in the log's order: times after midnight belong to
// the next day; a time before a log's first row, on the day it began, finds that row.
TEST(LogGoToTimeTest, FindsTheFirstShownRowAtOrAfterTheTimeInTheLogsOrder) {
  EventRowStore day;
  Fill(day, {{"A", Ms(10, 0, 0)}, {"B", Ms(10, 0, 5)}, {"A", Ms(10, 0, 5)}, {"A", Ms(11, 0, 0)}});
  EventRowStore night;
  Fill(night, {{"A", Ms(23, 0, 0)}, {"B", Ms(23, 59, 59, 999)}, {"A", Ms(0, 0, 0, 1)}, {"B", Ms(0, 30, 0)}});
  RowFilter all, onlyA;
  const struct {
    const char* what;
    const EventRowStore& rows;
    bool filtered;
    uint32_t time;
    long item;
  } cases[] = {
      {"exact", day, false, Ms(10, 0, 5), 1},
      {"between rows", day, false, Ms(10, 30, 0), 3},
      {"after the last", day, false, Ms(11, 0, 0, 1), -1},
      {"before the first", day, false, Ms(9, 0, 0), 0},
      {"filtered, exact", day, true, Ms(10, 0, 5), 1},
      {"filtered, between", day, true, Ms(10, 0, 1), 1},
      {"before midnight", night, false, Ms(23, 30, 0), 1},
      {"after midnight", night, false, Ms(0, 0, 0), 2},
      {"after midnight, later", night, false, Ms(0, 10, 0), 3},
      {"after the next day's last", night, false, Ms(1, 0, 0), -1},
      {"filtered, after midnight", night, true, Ms(0, 0, 0, 2), -1},
      {"filtered, before midnight", night, true, Ms(23, 0, 1), 1},
  };
  for (const auto& c : cases) {
    const RowFilter* filter = &all;
    if (c.filtered) {
      onlyA.Apply(c.rows, true, {"A"}, "");
      filter = &onlyA;
    }
    EXPECT_EQ(c.item, FirstShownRowAtOrAfter(c.rows, *filter, c.time)) << c.what;
  }
  EXPECT_EQ(-1, FirstShownRowAtOrAfter(EventRowStore(), all, 0)) << "no row";
}

}  // namespace
