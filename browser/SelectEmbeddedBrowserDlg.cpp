#include "browser/SelectEmbeddedBrowserDlg.h"

#include <wrl/client.h>

#include <memory>

#include "browser/EmbeddedBrowserDiscovery.h"
#include "framework/ApartmentWork.h"
#include "framework/InterfaceHandOff.h"
#include "res/resource.h"

CSelectEmbeddedBrowserDlg::CSelectEmbeddedBrowserDlg(CWnd* pParent)
    : CSelectBrowserDlg(IDD_SELECT_EMBEDDED_BROWSER, &CSelectEmbeddedBrowserDlg::WalkEmbedded, pParent) {}

BOOL CSelectEmbeddedBrowserDlg::WalkEmbedded(const CBrowserListingWalk::EntryFound& found,
                                            const CBrowserListingWalk::StepDone& stepped) {
  return WalkEmbeddedBrowsers(found, stepped);
}

void CSelectEmbeddedBrowserDlg::OnOK() {
  if (m_resolving) return;  // Enter again while the chosen browser is being reached
  CSelectBrowserDlg::OnOK();
}

void CSelectEmbeddedBrowserDlg::OnCancel() {
  // Esc or the close box while OK waits: the wait is short and ends in a result of its own.
  if (m_resolving) return;
  CSelectBrowserDlg::OnCancel();
}

void CSelectEmbeddedBrowserDlg::EnableButtons(BOOL enable) {
  for (int id : {IDOK, IDCANCEL, IDC_REFRESH}) ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

BOOL CSelectEmbeddedBrowserDlg::ResolveBrowser(HWND window, IWebBrowser2** browser) {
  // The host's browser answers on a worker apartment; it comes back here marshalled. If it
  // does not answer in time, the worker lets go of it whenever it does.
  auto handOff = std::make_shared<CInterfaceHandOff>();
  m_resolving = true;
  EnableButtons(FALSE);
  CApartmentWork::Run(
      [handOff, window] {
        Microsoft::WRL::ComPtr<IWebBrowser2> found;
        if (GetBrowserFromServerWindow(window, found.GetAddressOf())) handOff->Offer(found.Get(), IID_IWebBrowser2);
      },
      kResolveLimitMs);
  EnableButtons(TRUE);
  m_resolving = false;
  IWebBrowser2* taken = nullptr;
  if (FAILED(handOff->Take(IID_IWebBrowser2, reinterpret_cast<void**>(&taken))) || !taken) return FALSE;
  *browser = taken;
  return TRUE;
}
