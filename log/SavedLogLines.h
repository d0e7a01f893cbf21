#pragma once
// The bytes of a saved event log, line by line, with no file and no window: every stored
// row, as plain lines (the column texts joined by commas, as copying writes them, each line
// feed inside a text written as carriage return + line feed) or as RFC 4180 comma-separated
// values (a heading line, each field quoted where it needs to be, its line breaks kept as they
// are inside the quotes). Every line ends in carriage return + line feed.
#include <cstddef>
#include <string>

#include "log/EventRowStore.h"

class SavedLogLines {
 public:
  // `rows` must outlive the lines.
  SavedLogLines(const EventRowStore& rows, bool csv) : m_rows(rows), m_csv(csv) {}

  // No lines at all for a log without rows.
  size_t Count() const;
  // Appends line `line` to `out`, its line end included.
  void Append(size_t line, std::string& out) const;

 private:
  const EventRowStore& m_rows;
  bool m_csv;
};

// A CSV field as RFC 4180 writes it: in double quotes, its quotes doubled, when it holds a
// comma, a quote, a carriage return or a line feed; as it is otherwise.
void AppendCsvField(const char* field, size_t length, std::string& out);
