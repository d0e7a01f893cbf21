#include "log/RowTextMatch.h"

#include <cstring>

RowTextMatch::RowTextMatch(const EventRowStore& rows, const std::string& text) : m_rows(rows), m_search(text) {}

bool RowTextMatch::Holds(size_t row) {
  if (NameHolds(m_rows.NameIndexOf(row))) return true;
  if (m_search.FoundIn(m_rows.Text(row), m_rows.TextLength(row))) return true;
  if (m_rows.IsOriginShown() && OriginHolds(m_rows.OriginOf(row))) return true;
  if (!m_search.CouldBeNumberOrTime()) return false;
  char cells[EventRowStore::kNumberAndTimeBytes];
  return m_search.FoundIn(cells, m_rows.NumberAndTimeText(row, cells));
}

bool RowTextMatch::NameHolds(size_t nameIndex) {
  if (nameIndex >= m_nameHolds.size()) m_nameHolds.resize(m_rows.NameCount(), kUnknown);
  int8_t& holds = m_nameHolds[nameIndex];
  if (holds == kUnknown) {
    const char* name = m_rows.NameOfIndex(nameIndex);
    holds = m_search.FoundIn(name, std::strlen(name)) ? kYes : kNo;
  }
  return holds == kYes;
}

bool RowTextMatch::OriginHolds(EventRowStore::Origin origin) {
  int8_t& holds = m_originHolds[static_cast<size_t>(origin) % 4];
  if (holds == kUnknown) {
    const char* text = EventRowStore::OriginText(origin);
    holds = m_search.FoundIn(text, std::strlen(text)) ? kYes : kNo;
  }
  return holds == kYes;
}
