#pragma once
// Waits as a user waits for the selection dialog's list to fill: dispatching messages until
// the dialog's listing has ended, or the deadline has passed. True when it has ended.
#include <windows.h>

#include "browser/SelectBrowserDlg.h"
#include "framework/BoundedWork.h"

namespace testsupport {

inline bool WaitForListing(CSelectBrowserDlg& dialog, DWORD timeoutMs = 20000) {
  CBoundedWorkBase::WaitPumping(nullptr, timeoutMs, [&dialog] { return !dialog.IsListing(); });
  return !dialog.IsListing();
}

}  // namespace testsupport
