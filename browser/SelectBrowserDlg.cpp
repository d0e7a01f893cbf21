#include "browser/SelectBrowserDlg.h"

#include <mshtml.h>

#include <wrl/client.h>

#include <optional>

#include "browser/BrowserAnswerWait.h"
#include "browser/BrowserDiscovery.h"
#include "events/EventCatalog.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

namespace {

const char kCaption[] = "Ormix";
const char kSelectBrowserMessage[] = "イベントを記録するInternet Explorerを選択してください。";
const char kNoEventMessage[] = "記録するイベントが選択されていません。";
const char kBrowserNotFoundMessage[] = "指定されたInternet Explorerは見つかりません。";
const char kListingStatus[] = "Internet Explorerを探しています...";
const char kNotAnsweredStatus[] = "応答しないウィンドウがあったため、一覧に含まれていません。";

}  // namespace

ORMIX_BEGIN_MESSAGE_MAP(CSelectBrowserDlg, CDialog)
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnRefresh>(IDC_REFRESH),
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnSelectAll>(IDC_SELECT_ALL),
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnClearAll>(IDC_CLEAR_ALL),
  msgmap::Destroy<&CSelectBrowserDlg::OnDestroy>(),
ORMIX_END_MESSAGE_MAP()

CSelectBrowserDlg::CSelectBrowserDlg(CWnd* pParent)
    : CDialog(IDD_SELECT_BROWSER, pParent), m_nSelected(-1), m_pBrowser(nullptr),
      m_pfnResolve(&CSelectBrowserDlg::ResolveShellBrowser) {}

CSelectBrowserDlg::CSelectBrowserDlg(UINT nIDTemplate, CBrowserListingWalk::Walker walker, Resolver resolve,
                                     CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_nSelected(-1), m_pBrowser(nullptr), m_pfnResolve(resolve), m_listing(walker) {}

void CSelectBrowserDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_LBIndex(pDX, IDC_BROWSER_LIST, m_nSelected);
}

BOOL CSelectBrowserDlg::FillBrowserList() {
  return FillBrowserListBox(::GetDlgItem(m_hWnd, IDC_BROWSER_LIST));
}

BOOL CSelectBrowserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_hWndStatus = ::GetDlgItem(m_hWnd, IDC_LISTING_STATUS);
  StartListing(nullptr);
  for (const EventInfo& event : kEventCatalog)
    SendDlgItemMessage(event.checkBoxId, BM_SETCHECK,
                       m_eventMask.Get(event.maskIndex) != 0 ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

void CSelectBrowserDlg::OnOK() {
  // Enter while the list is being filled, or while the chosen browser is being looked up.
  if (IsListing() || m_bLookingUp) return;
  UpdateData(TRUE);

  // The mask follows the boxes even when OK is refused below.
  bool anyChecked = false;
  for (const EventInfo& event : kEventCatalog) {
    const bool checked = SendDlgItemMessage(event.checkBoxId, BM_GETCHECK) == BST_CHECKED;
    m_eventMask.Set(event.maskIndex, checked ? 1 : 0);
    anyChecked = anyChecked || checked;
  }

  if (m_nSelected == -1) {
    ShowMessage(kSelectBrowserMessage);
    return;
  }
  if (!anyChecked) {
    ShowMessage(kNoEventMessage);
    return;
  }

  const HWND window = reinterpret_cast<HWND>(
      SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA, static_cast<WPARAM>(m_nSelected)));
  m_bLookingUp = true;
  const Lookup lookup = LookUpBrowser(window);
  m_bLookingUp = false;
  // The dialog went while it waited (its owner closed): nothing is chosen.
  if (!m_hWnd || !::IsWindow(m_hWnd)) return;
  if (lookup == Lookup::Vanished) {
    RejectVanishedBrowser();
    return;
  }
  m_bNotAnswered = lookup == Lookup::NotAnswered;
  CDialog::OnOK();
}

BOOL CSelectBrowserDlg::ResolveShellBrowser(HWND window, IWebBrowser2** browser) {
  Microsoft::WRL::ComPtr<IHTMLDocument> document;
  if (!GetDocumentFromWindow(window, document.GetAddressOf())) return FALSE;
  return GetBrowserFromDocument(document.Get(), browser);
}

void CSelectBrowserDlg::OnCancel() {
  if (m_bLookingUp) return;  // the lookup under way ends the dialog itself
  CDialog::OnCancel();
}

CSelectBrowserDlg::Lookup CSelectBrowserDlg::LookUpBrowser(HWND window) {
  // The browser found, marshalled for the dialog's thread: a normal marshal carries its
  // references along, so taking it asks nothing of the browser. One nobody takes goes on
  // the worker.
  using Found = CMarshalledInterface<IWebBrowser2>;
  const bool started = m_lookup.Start([window, resolve = m_pfnResolve] {
    Found found;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser;
    if (resolve(window, browser.GetAddressOf())) found.Marshal(browser.Get());
    return found;
  });
  if (!started) return Lookup::Vanished;
  if (!m_lookup.Wait(BrowserAnswerWaitMs())) {
    m_lookup.Abandon();
    return Lookup::NotAnswered;
  }
  std::optional<Found> found = m_lookup.Take();
  if (!found) return Lookup::NotAnswered;
  m_pBrowser = found->Take().Detach();
  return m_pBrowser ? Lookup::Found : Lookup::Vanished;
}

void CSelectBrowserDlg::RejectVanishedBrowser() {
  ShowMessage(kBrowserNotFoundMessage);
  SendDlgItemMessage(IDC_BROWSER_LIST, LB_DELETESTRING, static_cast<WPARAM>(m_nSelected));
}

void CSelectBrowserDlg::ShowMessage(const char* text) {
  ShowMessageBox(m_hWnd, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CSelectBrowserDlg::OnRefresh() {
  if (IsListing() || m_bLookingUp) return;
  UpdateData(TRUE);
  HWND remembered = nullptr;
  if (m_nSelected != -1)
    remembered = reinterpret_cast<HWND>(
        SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA, static_cast<WPARAM>(m_nSelected)));
  StartListing(remembered);
}

void CSelectBrowserDlg::StartListing(HWND remembered) {
  SendDlgItemMessage(IDC_BROWSER_LIST, LB_RESETCONTENT);
  SetListingStatus(kListingStatus);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), FALSE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_REFRESH), FALSE);
  m_listing.Start([this, remembered](const std::vector<BrowserListEntry>& entries, bool everyoneAnswered) {
    ShowListing(entries, everyoneAnswered, remembered);
  });
}

void CSelectBrowserDlg::ShowListing(const std::vector<BrowserListEntry>& entries, bool everyoneAnswered,
                                    HWND remembered) {
  const HWND list = ::GetDlgItem(m_hWnd, IDC_BROWSER_LIST);
  // The buttons first: another program that sees the entries finds them usable.
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_REFRESH), TRUE);
  SetListingStatus(everyoneAnswered ? "" : kNotAnsweredStatus);
  SendDlgItemMessage(IDC_BROWSER_LIST, LB_RESETCONTENT);
  AddBrowserEntries(list, entries);
  if (!remembered) return;
  const LRESULT count = SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    if (reinterpret_cast<HWND>(SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA,
                                                  static_cast<WPARAM>(i))) == remembered) {
      SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, static_cast<WPARAM>(i));
      return;
    }
  }
}

void CSelectBrowserDlg::SetListingStatus(const char* text) {
  if (!m_hWndStatus) return;
  ::SetWindowTextA(m_hWndStatus, text);
  ::ShowWindow(m_hWndStatus, *text ? SW_SHOWNA : SW_HIDE);
}

void CSelectBrowserDlg::OnDestroy() {
  // Nothing of a listing or a lookup still under way may reach the dialog once it has gone.
  m_listing.Abandon();
  m_lookup.Abandon();
  m_hWndStatus = nullptr;
  Default();
}

void CSelectBrowserDlg::SetAllChecks(int state) {
  for (const EventInfo& event : kEventCatalog)
    SendDlgItemMessage(event.checkBoxId, BM_SETCHECK, static_cast<WPARAM>(state));
}

void CSelectBrowserDlg::OnSelectAll() { SetAllChecks(BST_CHECKED); }

void CSelectBrowserDlg::OnClearAll() { SetAllChecks(BST_UNCHECKED); }
