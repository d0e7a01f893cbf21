#pragma once
// The rows of a long log shaped as a browser loading pages, for the benchmarks that need
// navigations: one page in 200 rows, with the events a browser sends for a page with one
// frame ("menu") and a download around it, the rest status texts and progress, as a page
// loading sends many (10,000 navigations in a million rows, on two tracks). Rows are 3 ms
// apart from 09:00, so a million rows take most of an hour and cross no midnight.
#include <windows.h>

#include <string>
#include <vector>

#include "events/EventCatalog.h"
#include "log/EventRowStore.h"

struct NavigationLogRow {
  const char* name;  // as the log stores it: "DIID_DWebBrowserEvents2::BeforeNavigate2", ...
  const char* text;
  EventRowStore::Origin origin;
  const char* frameLabel;  // the frame's name for a frame's row, else NULL
};

// The time of day of row `row` (0 first).
inline SYSTEMTIME NavigationLogTime(size_t row) {
  const size_t ms = 9 * 3600000 + row * 3;
  SYSTEMTIME time = {};
  time.wHour = static_cast<WORD>(ms / 3600000);
  time.wMinute = static_cast<WORD>(ms / 60000 % 60);
  time.wSecond = static_cast<WORD>(ms / 1000 % 60);
  time.wMilliseconds = static_cast<WORD>(ms % 1000);
  return time;
}

// Calls `take(row, const NavigationLogRow&)` for rows 0 to `count` - 1, in order.
template <typename Take>
void ForEachNavigationLogRow(size_t count, Take take) {
  struct Event {
    size_t slot;
    EventRowStore::Origin origin;
    const char* text;
  };
  using Origin = EventRowStore::Origin;
  const Event kNavigation[] = {
      {kBeforeNavigate2, Origin::Page,
       "URL:http://www.example.co.jp/news/today.html  Flags:0  TargetFrameName:  PostData:  Headers:"},
      {kDownloadBegin, Origin::None, ""},
      {kNavigateComplete2, Origin::Page, "URL:http://www.example.co.jp/news/today.html"},
      {kTitleChange, Origin::None, "Text:今日のニュース"},
      {kBeforeNavigate2, Origin::Frame,
       "URL:http://www.example.co.jp/news/menu.html  Flags:0  TargetFrameName:menu  PostData:  Headers:"},
      {kNavigateComplete2, Origin::Frame, "URL:http://www.example.co.jp/news/menu.html"},
      {kDocumentComplete, Origin::Frame, "URL:http://www.example.co.jp/news/menu.html"},
  };
  const Event kLoading[] = {
      {kStatusTextChange, Origin::None, "Text:サイト www.example.co.jp に接続しています..."},
      {kProgressChange, Origin::None, "Progress:4500  ProgressMax:10000"},
  };
  const Event kLoaded[] = {
      {kDownloadComplete, Origin::None, ""},
      {kDocumentComplete, Origin::PageLoaded, "URL:http://www.example.co.jp/news/today.html"},
  };
  std::vector<std::string> names;
  for (const EventInfo& event : kEventCatalog) names.push_back(std::string(kEventRowNamePrefix) + event.name);
  for (size_t i = 0; i < count; ++i) {
    const size_t step = i % 200;
    const Event& event = step < 7 ? kNavigation[step] : step >= 198 ? kLoaded[step - 198] : kLoading[step % 2];
    take(i, NavigationLogRow{names[event.slot].c_str(), event.text, event.origin,
                             event.origin == Origin::Frame ? "menu" : nullptr});
  }
}
