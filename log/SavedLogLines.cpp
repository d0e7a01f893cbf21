#include "log/SavedLogLines.h"

#include <cstring>

#include "log/ByteScan.h"

void AppendCsvField(const char* field, size_t length, std::string& out) {
  bool special = false;
  for (size_t i = 0; i < length && !special; ++i)
    special = field[i] == ',' || field[i] == '"' || field[i] == '\r' || field[i] == '\n';
  if (!special) {
    out.append(field, length);
    return;
  }
  out += '"';
  for (size_t i = 0; i < length; ++i) {
    if (field[i] == '"') out += '"';
    out += field[i];
  }
  out += '"';
}

size_t SavedLogLines::Count() const {
  const size_t rows = RowCount();
  return m_csv && rows > 0 ? rows + 1 : rows;
}

void SavedLogLines::AppendCsvRecord(const EventRowStore& rows, size_t row, std::string& out) {
  size_t count = 0;
  const int* columns = LogColumnOrder(rows.IsOriginShown(), count);
  for (size_t i = 0; i < count; ++i) {
    if (i) out += ',';
    const std::string text = rows.CellText(row, columns[i]);
    AppendCsvField(text.data(), text.size(), out);
  }
}

void SavedLogLines::Append(size_t line, std::string& out) const {
  const size_t from = out.size();
  if (!m_csv) {
    m_rows.AppendLine(RowOf(line), out);
    // Every line feed becomes carriage return + line feed, as in a file written as text.
    for (size_t at = FindByte(out.data(), from, out.size(), '\n'); at < out.size();
         at = FindByte(out.data(), at + 2, out.size(), '\n'))
      out.insert(at, 1, '\r');
    out += "\r\n";
    return;
  }
  if (line > 0) {
    AppendCsvRecord(m_rows, RowOf(line - 1), out);
  } else {
    size_t count = 0;
    const int* columns = LogColumnOrder(m_rows.IsOriginShown(), count);
    for (size_t i = 0; i < count; ++i) {
      if (i) out += ',';
      const char* heading = kLogColumns[columns[i]].heading;
      AppendCsvField(heading, std::strlen(heading), out);
    }
  }
  out += "\r\n";
}
