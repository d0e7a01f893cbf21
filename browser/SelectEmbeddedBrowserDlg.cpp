#include "browser/SelectEmbeddedBrowserDlg.h"

#include "browser/EmbeddedBrowserDiscovery.h"
#include "res/resource.h"

CSelectEmbeddedBrowserDlg::CSelectEmbeddedBrowserDlg(CWnd* pParent)
    : CSelectBrowserDlg(IDD_SELECT_EMBEDDED_BROWSER, &CSelectEmbeddedBrowserDlg::WalkEmbedded,
                        &GetBrowserFromServerWindow, pParent) {
  m_nNothingListedText = IDS_NO_EMBEDDED_BROWSER;
}

BOOL CSelectEmbeddedBrowserDlg::WalkEmbedded(const CBrowserListingWalk::EntryFound& found,
                                            const CBrowserListingWalk::StepDone& stepped,
                                            const CBrowserListingWalk::StepFailed&) {
  // One window after another: each entry's place is its number in the walk.
  long place = 0;
  return WalkEmbeddedBrowsers([&found, &place](const BrowserListEntry& entry) { found(place++, entry); }, stepped);
}
