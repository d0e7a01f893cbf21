#pragma once
// Whether a row of an event log holds a text in any column the log shows, as find and the
// filter look for it: the parameter bytes searched where they are stored, each event name and
// each frame-column text once, the number and time only for a text that could be one of them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "log/EventRowStore.h"
#include "log/LogTextSearch.h"

class RowTextMatch {
 public:
  // `rows` must outlive the match; rows appended later are matched too.
  RowTextMatch(const EventRowStore& rows, const std::string& text);
  RowTextMatch(const RowTextMatch&) = delete;
  RowTextMatch& operator=(const RowTextMatch&) = delete;

  bool IsEmpty() const { return m_search.IsEmpty(); }
  bool Holds(size_t row);

 private:
  // What is known of a name or an origin text: not looked at yet, or whether it holds the text.
  enum : int8_t { kUnknown = -1, kNo = 0, kYes = 1 };
  bool NameHolds(size_t nameIndex);
  bool OriginHolds(EventRowStore::Origin origin);

  const EventRowStore& m_rows;
  const LogTextSearch m_search;
  std::vector<int8_t> m_nameHolds;  // per name index of the store
  int8_t m_originHolds[4] = {kUnknown, kUnknown, kUnknown, kUnknown};
};
