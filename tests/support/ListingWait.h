#pragma once
// Waits as a user waits for the selection dialog's list to fill: dispatching messages until
// the dialog's listing has ended, or the deadline has passed. True when it has ended.
#include <windows.h>

#include "browser/SelectBrowserDlg.h"
#include "framework/ApartmentWork.h"

namespace testsupport {

inline bool WaitForListing(CSelectBrowserDlg& dialog, DWORD timeoutMs = 20000) {
  const DWORD start = ::GetTickCount();
  while (dialog.IsListing()) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    CApartmentWork::WaitPumping(nullptr, 20);
  }
  return true;
}

}  // namespace testsupport
