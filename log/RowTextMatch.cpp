#include "log/RowTextMatch.h"

#include <cstring>

RowTextMatch::RowTextMatch(const EventRowStore& rows, const std::string& text) : m_rows(rows), m_search(text) {}

bool RowTextMatch::Holds(size_t row) {
  if (NameHolds(m_rows.NameIndexOf(row))) return true;
  if (m_search.FoundIn(m_rows.Text(row), m_rows.TextLength(row))) return true;
  if (m_rows.IsOriginShown()) {
    if (OriginHolds(m_rows.OriginOf(row))) return true;
    size_t length = 0;
    const char* cell = m_rows.OriginCell(row, length);
    // Only a frame named in its row has a text of its own to look in.
    if (cell != EventRowStore::OriginText(m_rows.OriginOf(row)) && m_search.FoundIn(cell, length)) return true;
  }
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
