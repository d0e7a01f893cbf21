#pragma once
// An event log as a trace that timeline tools open (the Trace Event Format: one JSON object
// whose "traceEvents" are the events), with no window. It is written through WriteLogFile, as
// a saved log is, so a trace that cannot be written leaves nothing half-written.
//
// The log is one process (its pid given by the caller, named by "process_name"), each of its
// navigation index's tracks one thread (tid track + 1, named by "thread_name": "ページ" or the
// frame column's text, and sorted in track order). On its track:
//   - each navigation is a complete event ("X"): name its URL, from its BeforeNavigate2 to the
//     row that ended it (an open one to the log's last row), args its own rows' numbers
//     ("rows"), how it ended ("ended": completed, replaced, failed, quit, open) and the number
//     of the row that ended it ("endRow", null while open); inside it, a complete event
//     "NavigateComplete2" from its begin to its NavigateComplete2, when one came;
//   - every other row is an instant event ("i", thread scope): name its event (without the
//     interface's prefix; "メッセージ" for the log's own message rows), args its number and its
//     parameter text.
// Times ("ts", "dur") are microseconds from the log's first row. Every text is converted from
// code page 932 to UTF-8. nlohmann-json writes the JSON of every event but the rows' and
// escapes every text that needs it (TraceExport.cpp says why the rows' are put together).
// A navigation's own rows (its BeforeNavigate2, NavigateComplete2 and the DocumentComplete that
// completed it) are in its complete event rather than instants of their own.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "log/EventRowStore.h"
#include "log/FileLines.h"
#include "log/LogFileWriter.h"
#include "log/NavigationIndex.h"

class TraceLines final : public FileLines {
 public:
  // `rows` and `index` (the rows' navigations) must outlive the lines; `processName` is the
  // tab's, in code page 932.
  TraceLines(const EventRowStore& rows, const NavigationIndex& index, const std::string& processName, unsigned pid);
  ~TraceLines();
  TraceLines(const TraceLines&) = delete;
  TraceLines& operator=(const TraceLines&) = delete;

  // None for a log without rows. The first line opens the object and names the process; then
  // a line per track, per navigation and per row (empty for a navigation's own row); the last
  // line closes the object.
  size_t Count() const override;
  void Append(size_t line, std::string& out) const override;

 private:
  void AppendTrack(size_t track, std::string& out) const;
  void AppendNavigation(size_t navigation, std::string& out) const;
  void AppendRow(size_t row, std::string& out) const;

  const EventRowStore& m_rows;
  const NavigationIndex& m_index;
  std::string m_processName;
  unsigned m_pid;
  // The rows that belong to a navigation's complete event, in order.
  std::vector<uint32_t> m_navigationRows;
  // Writes the events' JSON (TraceExport.cpp); reused from line to line.
  struct Writer;
  std::unique_ptr<Writer> m_writer;
};
