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
  const size_t rows = m_rows.Count();
  return m_csv && rows > 0 ? rows + 1 : rows;
}

void SavedLogLines::Append(size_t line, std::string& out) const {
  const size_t from = out.size();
  if (!m_csv) {
    m_rows.AppendLine(line, out);
    // Every line feed becomes carriage return + line feed, as in a file written as text.
    for (size_t at = FindByte(out.data(), from, out.size(), '\n'); at < out.size();
         at = FindByte(out.data(), at + 2, out.size(), '\n'))
      out.insert(at, 1, '\r');
    out += "\r\n";
    return;
  }
  size_t count = 0;
  const int* columns = LogColumnOrder(m_rows.IsOriginShown(), count);
  for (size_t i = 0; i < count; ++i) {
    if (i) out += ',';
    if (line == 0) {
      const char* heading = kLogColumns[columns[i]].heading;
      AppendCsvField(heading, std::strlen(heading), out);
    } else {
      const std::string text = m_rows.CellText(line - 1, columns[i]);
      AppendCsvField(text.data(), text.size(), out);
    }
  }
  out += "\r\n";
}
