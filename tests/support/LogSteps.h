#pragma once
// Rows of a log for tests that need no window, written as steps: an event, where it came
// from and its time of day, stored and handed to the log's navigation index as LogModel does.
#include <windows.h>

#include <string>

#include "events/EventCatalog.h"
#include "log/EventRowStore.h"
#include "log/NavigationIndex.h"

namespace testsupport {

// `where`: "" no browser argument, "page", "loaded" (the page's own DocumentComplete), else
// the label of a frame. An empty `event` is one of the log's own message rows.
struct LogStep {
  const char* event;
  const char* where;
  uint32_t ms = 0;  // time of day
  const char* text = "";
};

inline void AddLogStep(EventRowStore& rows, NavigationIndex& index, const LogStep& step) {
  using Origin = EventRowStore::Origin;
  const std::string where = step.where;
  const Origin origin = where.empty()        ? Origin::None
                        : where == "page"   ? Origin::Page
                        : where == "loaded" ? Origin::PageLoaded
                                            : Origin::Frame;
  SYSTEMTIME time = {};
  time.wHour = static_cast<WORD>(step.ms / 3600000);
  time.wMinute = static_cast<WORD>(step.ms / 60000 % 60);
  time.wSecond = static_cast<WORD>(step.ms / 1000 % 60);
  time.wMilliseconds = static_cast<WORD>(step.ms % 1000);
  const std::string name = *step.event ? std::string(kEventRowNamePrefix) + step.event : std::string();
  rows.Append(static_cast<long>(rows.Count() + 1), time, name.c_str(), step.text, 0, origin,
              origin == Origin::Frame ? step.where : nullptr);
  index.Add(rows.Count() - 1);
}

}  // namespace testsupport
