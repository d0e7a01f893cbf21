#pragma once
// Connecting a holder as the view does, and waiting (pumping) for the outcome: for tests that
// need a connected holder before they go on.
#include <windows.h>

#include <optional>

#include "browser/BrowserEventConnection.h"
#include "support/MessagePump.h"

namespace testsupport {

// Starts connecting `holder` to `browser` (its reference taken over) and pumps until the
// outcome is known; NotAnswered also when nothing came within `timeoutMs`.
inline CBrowserEventConnection::BoundedConnect ConnectAndWait(CBrowserEventConnection& holder, IWebBrowser2* browser,
                                                              DWORD timeoutMs = 60000) {
  std::optional<CBrowserEventConnection::BoundedConnect> outcome;
  if (!holder.BeginConnect(browser, timeoutMs, nullptr,
                           [&outcome](CBrowserEventConnection::BoundedConnect result) { outcome = result; }))
    return CBrowserEventConnection::BoundedConnect::QueryFailed;
  PumpUntil([&outcome] { return outcome.has_value(); }, timeoutMs + 10000);
  return outcome.value_or(CBrowserEventConnection::BoundedConnect::NotAnswered);
}

}  // namespace testsupport
