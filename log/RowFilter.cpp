#include "log/RowFilter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void RowFilter::Apply(const EventRowStore& rows, bool byName, const std::vector<std::string>& names,
                      const std::string& text) {
  m_on = true;
  m_byName = byName;
  m_names = names;
  m_text = text;
  m_search.reset();
  if (!text.empty()) m_search.reset(new LogTextSearch(text));
  m_nameStates.assign(rows.NameCount(), kNameUnknown);
  std::vector<uint32_t>().swap(m_shown);
  const size_t count = rows.Count();
  for (size_t row = 0; row < count; ++row)
    if (Matches(rows, row)) m_shown.push_back(static_cast<uint32_t>(row));
  m_shown.shrink_to_fit();
}

long RowFilter::ItemOf(size_t row) const {
  if (!m_on) return static_cast<long>(row);
  const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), static_cast<uint32_t>(row));
  if (found == m_shown.end() || *found != row) return -1;
  return static_cast<long>(found - m_shown.begin());
}

void RowFilter::Off() {
  m_on = false;
  m_search.reset();
  std::vector<uint32_t>().swap(m_shown);
  std::vector<uint8_t>().swap(m_nameStates);
}

// Each event name is looked at once: whether it is chosen and whether it holds the text.
uint8_t RowFilter::NameState(const EventRowStore& rows, size_t nameIndex) {
  if (nameIndex >= m_nameStates.size()) m_nameStates.resize(rows.NameCount(), kNameUnknown);
  uint8_t& state = m_nameStates[nameIndex];
  if (state != kNameUnknown) return state;
  const char* name = rows.NameOfIndex(nameIndex);
  state = kNameKnown;
  if (!m_byName || std::find(m_names.begin(), m_names.end(), name) != m_names.end()) state |= kNameChosen;
  if (m_search && m_search->FoundIn(name, std::strlen(name))) state |= kNameHoldsText;
  return state;
}

bool RowFilter::Matches(const EventRowStore& rows, size_t row) {
  const uint8_t name = NameState(rows, rows.NameIndexOf(row));
  if (!(name & kNameChosen)) return false;
  if (!m_search || (name & kNameHoldsText)) return true;
  if (m_search->FoundIn(rows.Text(row), rows.TextLength(row))) return true;
  if (!m_search->CouldBeNumberOrTime()) return false;
  char cells[48];
  const size_t length = NumberAndTime(rows, row, cells);
  return m_search->FoundIn(cells, length);
}

// Written by hand rather than formatted: a text of digits makes this run for every row.
size_t RowFilter::NumberAndTime(const EventRowStore& rows, size_t row, char* out) {
  size_t length = 0;
  const long number = rows.Number(row);
  if (number >= 0 && number <= 99999999) {
    unsigned long n = static_cast<unsigned long>(number);
    for (int i = 7; i >= 0; --i, n /= 10) out[i] = static_cast<char>('0' + n % 10);
    length = 8;
  } else {
    length = static_cast<size_t>(std::snprintf(out, 24, "%08ld", number));
  }
  out[length++] = ',';
  const unsigned long time = rows.TimeOfDay(row);
  const unsigned long seconds = time / 1000;
  const unsigned long parts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
  for (int i = 0; i < 3; ++i) {
    if (i) out[length++] = ':';
    out[length++] = static_cast<char>('0' + parts[i] / 10 % 10);
    out[length++] = static_cast<char>('0' + parts[i] % 10);
  }
  if (rows.IsTimeWithMilliseconds()) {
    out[length++] = '.';
    out[length++] = static_cast<char>('0' + time % 1000 / 100);
    out[length++] = static_cast<char>('0' + time % 100 / 10);
    out[length++] = static_cast<char>('0' + time % 10);
  }
  return length;
}
