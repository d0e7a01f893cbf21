#pragma once
// Which rows of an event log are shown: while a filter is on, the rows of the chosen event
// names and/or the rows holding a text in any column, kept as an index of row positions that
// grows as matching rows are appended; while it is off, every row, with no index kept.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "log/EventRowStore.h"
#include "log/RowTextMatch.h"

class RowFilter {
 public:
  RowFilter() = default;
  RowFilter(const RowFilter&) = delete;
  RowFilter& operator=(const RowFilter&) = delete;

  // Turns the filter on over the rows stored: with `byName`, only rows whose event name is
  // one of `names`; with a non-empty `text`, only rows holding it (as find matches it).
  void Apply(const EventRowStore& rows, bool byName, const std::vector<std::string>& names,
             const std::string& text);
  // Turns the filter off and lets go of its index.
  void Off();
  bool IsOn() const { return m_on; }

  // Takes in the row just appended at `row`, shown if it matches.
  void Appended(const EventRowStore& rows, size_t row) {
    if (m_on && Matches(rows, row)) m_shown.push_back(static_cast<uint32_t>(row));
  }
  size_t ShownCount(const EventRowStore& rows) const { return m_on ? m_shown.size() : rows.Count(); }
  // The stored row that the shown position `item` holds.
  size_t RowAt(size_t item) const { return m_on ? m_shown[item] : item; }
  // The shown position of stored row `row`, or -1 when the filter hides it.
  long ItemOf(size_t row) const;

  bool ByName() const { return m_byName; }
  const std::vector<std::string>& Names() const { return m_names; }
  const std::string& Text() const { return m_text; }

 private:
  bool Matches(const EventRowStore& rows, size_t row);
  // Whether the event name of `nameIndex` is one the filter shows; decided once per name.
  bool NameChosen(const EventRowStore& rows, size_t nameIndex);

  bool m_on = false;
  bool m_byName = false;
  std::vector<std::string> m_names;
  std::string m_text;
  std::unique_ptr<RowTextMatch> m_match;  // none for an empty text
  std::vector<int8_t> m_nameChosen;       // per name index of the store: -1 not yet known
  std::vector<uint32_t> m_shown;            // the rows shown, in order
};
