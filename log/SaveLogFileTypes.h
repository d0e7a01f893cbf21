#pragma once
// The file types that the save dialog of an event log offers, with no window: the plain
// types (log, text, any file), led by a CSV type while the log saves as CSV; and, while a
// filter hides rows, each type twice, once for every row and once for the shown rows alone,
// so the dialog says which rows go to the file. The first entry, the default, writes every
// row.
#include <windows.h>

#include <cstddef>
#include <string>

class SaveLogFileTypes {
 public:
  // `csv`: the log saves as CSV. `filtered`: a filter is on; `shownRows` of `allRows` show.
  SaveLogFileTypes(bool csv, bool filtered, size_t shownRows, size_t allRows);

  // The filter for the file dialog, "text|pattern|...||".
  const std::string& Filter() const { return m_filter; }
  // The extension a name without one gets: "csv" while saving as CSV, else "log".
  const char* DefaultExtension() const { return m_csv ? "csv" : "log"; }
  // Whether the entry chosen (1-based, as the dialog reports it) writes the shown rows alone.
  bool ShownRowsOnly(DWORD filterIndex) const { return m_filtered && filterIndex >= 1 && filterIndex % 2 == 0; }

 private:
  bool m_csv;
  bool m_filtered;
  std::string m_filter;
};
