#include "log/RowFilter.h"

#include <algorithm>

void RowFilter::Apply(const EventRowStore& rows, bool byName, const std::vector<std::string>& names,
                      const std::string& text) {
  m_on = true;
  m_byName = byName;
  m_names = names;
  m_text = text;
  m_match.reset();
  if (!text.empty()) m_match.reset(new RowTextMatch(rows, text));
  m_nameChosen.assign(rows.NameCount(), -1);
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
  m_match.reset();
  std::vector<uint32_t>().swap(m_shown);
  std::vector<int8_t>().swap(m_nameChosen);
}

bool RowFilter::NameChosen(const EventRowStore& rows, size_t nameIndex) {
  if (nameIndex >= m_nameChosen.size()) m_nameChosen.resize(rows.NameCount(), -1);
  int8_t& chosen = m_nameChosen[nameIndex];
  if (chosen < 0)
    chosen = !m_byName || std::find(m_names.begin(), m_names.end(), rows.NameOfIndex(nameIndex)) != m_names.end();
  return chosen == 1;
}

bool RowFilter::Matches(const EventRowStore& rows, size_t row) {
  return NameChosen(rows, rows.NameIndexOf(row)) && (!m_match || m_match->Holds(row));
}
