#include "browser/SelectEmbeddedBrowserDlg.h"

#include "browser/EmbeddedBrowserDiscovery.h"
#include "res/resource.h"

CSelectEmbeddedBrowserDlg::CSelectEmbeddedBrowserDlg(CWnd* pParent)
    : CSelectBrowserDlg(IDD_SELECT_EMBEDDED_BROWSER, &CSelectEmbeddedBrowserDlg::WalkEmbedded,
                        &GetBrowserFromServerWindow, pParent) {}

BOOL CSelectEmbeddedBrowserDlg::WalkEmbedded(const CBrowserListingWalk::EntryFound& found,
                                            const CBrowserListingWalk::StepDone& stepped) {
  return WalkEmbeddedBrowsers(found, stepped);
}
