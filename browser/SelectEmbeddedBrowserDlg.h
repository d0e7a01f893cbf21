#pragma once
// The modal dialog in which the user picks a browser control embedded in another program,
// and the events to record. It has the browser selection dialog's controls, buttons and
// rules and is used the same way (m_eventMask in, m_pBrowser and m_eventMask out on IDOK);
// its list holds the embedded browsers, named by host executable, caption and title. OK
// reaches the chosen browser off the dialog's thread and waits for it only so long.
#include <windows.h>
#include <exdisp.h>

#include "browser/SelectBrowserDlg.h"

class CSelectEmbeddedBrowserDlg : public CSelectBrowserDlg {
 public:
  explicit CSelectEmbeddedBrowserDlg(CWnd* pParent = nullptr);

  // The dialog's listing: the embedded browsers, each entry's place its number in the walk.
  static BOOL WalkEmbedded(const CBrowserListingWalk::EntryFound& found, const CBrowserListingWalk::StepDone& stepped,
                           const CBrowserListingWalk::StepFailed& failed);
};
