#pragma once
// Waiting (pumping) until every tab of a view has finished connecting to its browser: a tab
// shows at once and connects on its own, so a test that goes on with the log waits here.
#include <windows.h>

#include "logview/EventListCtrl.h"
#include "support/MessagePump.h"
#include "toolkit/TabView.h"

namespace testsupport {

inline bool NoTabConnecting(CTabView& view) {
  for (int i = 0; i < view.GetTabCount(); ++i)
    if (auto* list = dynamic_cast<CEventListCtrl*>(view.TabWindow(i)); list && list->IsConnecting()) return false;
  return true;
}

inline bool WaitForConnects(CTabView& view, DWORD timeoutMs = 60000) {
  return PumpUntil([&view] { return NoTabConnecting(view); }, timeoutMs);
}

}  // namespace testsupport
