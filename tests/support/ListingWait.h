#pragma once
// The selection dialog as a user works it: waiting for its list to fill, picking an entry.
#include <windows.h>

#include "browser/SelectBrowserDlg.h"
#include "support/MessagePump.h"
#include "res/resource.h"

namespace testsupport {

// Dispatches messages until the dialog's listing has ended, or the deadline has passed. True
// when it has ended.
inline bool WaitForListing(CSelectBrowserDlg& dialog, DWORD timeoutMs = 20000) {
  return PumpUntil([&dialog] { return !dialog.IsListing(); }, timeoutMs);
}

// Dispatches messages until OK's lookup of the chosen browser has ended (the dialog then has
// ended too, or says why not), or the deadline has passed. True when it has ended.
inline bool WaitForLookup(CSelectBrowserDlg& dialog, DWORD timeoutMs = 20000) {
  return PumpUntil([&dialog] { return !dialog.IsLookingUp(); }, timeoutMs);
}

// Selects the entry of the browser shown in window `frame`; false when none is listed.
inline bool SelectListedWindow(CDialog& dialog, HWND frame) {
  const LRESULT count = dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCOUNT);
  for (WPARAM i = 0; static_cast<LRESULT>(i) < count; ++i)
    if (reinterpret_cast<HWND>(dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA, i)) == frame)
      return dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, i) != LB_ERR;
  return false;
}

}  // namespace testsupport
