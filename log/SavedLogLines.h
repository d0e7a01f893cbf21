#pragma once
// The bytes of a saved event log, line by line, with no file and no window: every stored
// row, as plain lines (the column texts joined by commas, as copying writes them, each line
// feed inside a text written as carriage return + line feed) or as RFC 4180 comma-separated
// values (a heading line, each field quoted where it needs to be, its line breaks kept as they
// are inside the quotes). Every line ends in carriage return + line feed. While a filter is
// on, the lines may be those of the shown rows alone.
#include <cstddef>
#include <string>

#include "log/EventRowStore.h"
#include "log/FileLines.h"
#include "log/RowFilter.h"

class SavedLogLines final : public FileLines {
 public:
  // `rows` (and `shownOnly`, when given: only the rows it shows are written) must outlive
  // the lines.
  SavedLogLines(const EventRowStore& rows, bool csv, const RowFilter* shownOnly = nullptr)
      : m_rows(rows), m_csv(csv), m_shownOnly(shownOnly) {}

  // No lines at all for a log without rows.
  size_t Count() const override;
  // Appends line `line` to `out`, its line end included.
  void Append(size_t line, std::string& out) const override;

  // Appends the fields of stored row `row` as a CSV record, with no line end: each field
  // quoted where it needs to be, so line breaks in a field stay within the one record.
  static void AppendCsvRecord(const EventRowStore& rows, size_t row, std::string& out);

 private:
  size_t RowCount() const { return m_shownOnly ? m_shownOnly->ShownCount(m_rows) : m_rows.Count(); }
  size_t RowOf(size_t index) const { return m_shownOnly ? m_shownOnly->RowAt(index) : index; }

  const EventRowStore& m_rows;
  bool m_csv;
  const RowFilter* m_shownOnly;
};

// A CSV field as RFC 4180 writes it: in double quotes, its quotes doubled, when it holds a
// comma, a quote, a carriage return or a line feed; as it is otherwise.
void AppendCsvField(const char* field, size_t length, std::string& out);
