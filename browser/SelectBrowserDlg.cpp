#include "browser/SelectBrowserDlg.h"

#include <mshtml.h>

#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "browser/BrowserAnswerWait.h"
#include "browser/BrowserDiscovery.h"
#include "events/EventCatalog.h"
#include "framework/ComIdentity.h"
#include "framework/MessageBox.h"
#include "framework/StringResource.h"
#include "res/resource.h"

namespace {

const char kCaption[] = "Ormix";
const char kSelectBrowserMessage[] = "イベントを記録するInternet Explorerを選択してください。";
const char kNoEventMessage[] = "記録するイベントが選択されていません。";
const char kBrowserNotFoundMessage[] = "指定されたInternet Explorerは見つかりません。";
const char kListingStatus[] = "Internet Explorerを探しています...";
const char kNotAnsweredStatus[] = "応答しないウィンドウがあったため、一覧に含まれていません。";
// How long a window that did not hand out its document is given to answer a message that
// asks nothing, before its browser counts as not answering rather than gone.
constexpr UINT kWindowAnswerMs = 1000;

bool WindowIsHung(HWND window) {
  if (!::IsWindow(window)) return false;
  DWORD_PTR reply = 0;
  if (::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWindowAnswerMs, &reply)) return false;
  return ::GetLastError() != ERROR_INVALID_WINDOW_HANDLE && ::IsWindow(window);
}

}  // namespace

ORMIX_BEGIN_MESSAGE_MAP(CSelectBrowserDlg, CDialog)
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnRefresh>(IDC_REFRESH),
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnSelectAll>(IDC_SELECT_ALL),
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnClearAll>(IDC_CLEAR_ALL),
  msgmap::Control<&CSelectBrowserDlg::OnSelectionChange>(LBN_SELCHANGE, IDC_BROWSER_LIST),
  msgmap::Destroy<&CSelectBrowserDlg::OnDestroy>(),
ORMIX_END_MESSAGE_MAP()

CSelectBrowserDlg::CSelectBrowserDlg(CWnd* pParent)
    : CDialog(IDD_SELECT_BROWSER, pParent), m_nSelected(-1), m_pBrowser(nullptr),
      m_nNothingListedText(IDS_NO_BROWSER_RUNNING), m_pfnResolve(&CSelectBrowserDlg::ResolveShellBrowser) {}

CSelectBrowserDlg::CSelectBrowserDlg(UINT nIDTemplate, CBrowserListingWalk::Walker walker, Resolver resolve,
                                     CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_nSelected(-1), m_pBrowser(nullptr), m_nNothingListedText(IDS_NO_BROWSER_RUNNING),
      m_pfnResolve(resolve), m_listing(walker) {}

void CSelectBrowserDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_LBIndex(pDX, IDC_BROWSER_LIST, m_nSelected);
}

BOOL CSelectBrowserDlg::FillBrowserList() {
  return FillBrowserListBox(::GetDlgItem(m_hWnd, IDC_BROWSER_LIST));
}

BOOL CSelectBrowserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CreateStatusLine();
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
  // The dialog stays open and answers while the browser is looked up; the lookup ends it.
  m_bLookingUp = StartLookup(window);
  if (!m_bLookingUp) RejectVanishedBrowser();
}

void CSelectBrowserDlg::FinishLookup(HWND window, Lookup lookup) {
  m_bLookingUp = false;
  if (lookup == Lookup::Vanished) {
    RejectVanishedBrowser();
    return;
  }
  if (lookup == Lookup::WindowHung) {
    // Still running: the entry stays, to be chosen again once the browser answers.
    ShowMessage(LoadResourceString(IDS_BROWSER_NOT_ANSWERED).c_str());
    return;
  }
  if (const WatchedBrowser* watched = m_pBrowser ? WatchedAs(m_pBrowser) : nullptr) {
    if (!ConfirmWatchedAgain(*watched)) return;
    if (m_nSwitchToTab >= 0) {
      // The tab holds the same proxy, so this release is no call into the browser.
      m_pBrowser->Release();
      m_pBrowser = nullptr;
    }
  }
  m_bNotAnswered = lookup == Lookup::NotAnswered;
  m_hWndChosen = window;
  CDialog::OnOK();
}

const CSelectBrowserDlg::WatchedBrowser* CSelectBrowserDlg::WatchedAs(IUnknown* browser) const {
  for (const WatchedBrowser& watched : m_watched)
    if (IsSameComObject(browser, watched.browser)) return &watched;
  return nullptr;
}

bool CSelectBrowserDlg::ConfirmWatchedAgain(const WatchedBrowser& watched) {
  const std::string format = LoadResourceString(IDS_BROWSER_WATCHED_QUESTION);
  std::string text(format.size() + watched.label.size() + 16, '\0');
  const int length = std::snprintf(&text[0], text.size(), format.c_str(), watched.label.c_str());
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  switch (ShowMessageBox(m_hWnd, text.c_str(), kCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      m_nSwitchToTab = watched.tab;
      return true;
    case IDNO:
      return true;
    default:
      // Back to the dialog: the browser found is not handed over. The tab holds the same
      // proxy, so this release is no call into the browser.
      m_pBrowser->Release();
      m_pBrowser = nullptr;
      return false;
  }
}

BOOL CSelectBrowserDlg::ResolveShellBrowser(HWND window, IWebBrowser2** browser) {
  Microsoft::WRL::ComPtr<IHTMLDocument> document;
  if (!GetDocumentFromWindow(window, document.GetAddressOf())) return FALSE;
  return GetBrowserFromDocument(document.Get(), browser);
}

void CSelectBrowserDlg::OnCancel() {
  // A lookup under way is given up: its browser is let go on its worker.
  m_lookup.Abandon();
  m_bLookingUp = false;
  CDialog::OnCancel();
}

bool CSelectBrowserDlg::StartLookup(HWND window) {
  // The browser found, marshalled for the dialog's thread: a normal marshal carries its
  // references along, so taking it asks nothing of the browser. One nobody takes goes on
  // the worker.
  return m_lookup.Start(
      [window, resolve = m_pfnResolve] {
        LookupOutcome outcome;
        Microsoft::WRL::ComPtr<IWebBrowser2> browser;
        if (resolve(window, browser.GetAddressOf())) outcome.browser.Marshal(browser.Get());
        else outcome.windowHung = WindowIsHung(window);
        return outcome;
      },
      nullptr,
      [this, window](std::optional<LookupOutcome> outcome) {
        if (!outcome) {
          m_lookup.Abandon();
          FinishLookup(window, Lookup::NotAnswered);
          return;
        }
        m_pBrowser = outcome->browser.Take().Detach();
        FinishLookup(window, m_pBrowser           ? Lookup::Found
                             : outcome->windowHung ? Lookup::WindowHung
                                                   : Lookup::Vanished);
      },
      BrowserAnswerWaitMs());
}

void CSelectBrowserDlg::RejectVanishedBrowser() {
  ShowMessage(kBrowserNotFoundMessage);
  SendDlgItemMessage(IDC_BROWSER_LIST, LB_DELETESTRING, static_cast<WPARAM>(m_nSelected));
  ShowStatusLine();
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
  MoveFocusOffButtons();
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), FALSE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_REFRESH), FALSE);
  m_listing.Start([this, remembered](const std::vector<BrowserListEntry>& entries, CBrowserListingWalk::End end) {
    ShowListing(entries, end, remembered);
  });
}

void CSelectBrowserDlg::ShowListing(const std::vector<BrowserListEntry>& entries, CBrowserListingWalk::End end,
                                    HWND remembered) {
  const HWND list = ::GetDlgItem(m_hWnd, IDC_BROWSER_LIST);
  // The buttons first: another program that sees the entries finds them usable.
  ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_REFRESH), TRUE);
  RestoreFocus();
  // An empty list always says why; a shorter one says so when someone did not answer.
  using End = CBrowserListingWalk::End;
  if (!entries.empty())
    SetListingStatus(end == End::NotAnswered ? kNotAnsweredStatus : "");
  else
    SetListingStatus(LoadResourceString(end == End::Whole         ? m_nNothingListedText
                                        : end == End::NotAnswered ? IDS_NO_BROWSER_LISTED
                                                                  : IDS_BROWSER_LIST_UNREADABLE)
                         .c_str());
  SendDlgItemMessage(IDC_BROWSER_LIST, LB_RESETCONTENT);
  AddBrowserEntries(list, entries);
  const LRESULT count = remembered ? SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCOUNT) : 0;
  for (LRESULT i = 0; i < count; ++i) {
    if (reinterpret_cast<HWND>(SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA,
                                                  static_cast<WPARAM>(i))) == remembered) {
      SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, static_cast<WPARAM>(i));
      break;
    }
  }
  ShowStatusLine();
}

void CSelectBrowserDlg::MoveFocusOffButtons() {
  const HWND focus = ::GetFocus();
  m_hWndFocusAfterListing = nullptr;
  if (focus != ::GetDlgItem(m_hWnd, IDOK) && focus != ::GetDlgItem(m_hWnd, IDC_REFRESH)) return;
  m_hWndFocusAfterListing = focus;
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_hWnd, IDC_BROWSER_LIST)), TRUE);
}

void CSelectBrowserDlg::RestoreFocus() {
  const HWND list = ::GetDlgItem(m_hWnd, IDC_BROWSER_LIST);
  const HWND focus = ::GetFocus();
  // Back to the button the user left, unless the user has moved on meanwhile.
  if (m_hWndFocusAfterListing && focus == list)
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndFocusAfterListing), TRUE);
  else if (!focus && ::GetActiveWindow() == m_hWnd)
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
  m_hWndFocusAfterListing = nullptr;
}

void CSelectBrowserDlg::SetListingStatus(const char* text) {
  m_strListingStatus = text;
  ShowStatusLine();
}

void CSelectBrowserDlg::OnSelectionChange() { ShowStatusLine(); }

void CSelectBrowserDlg::CreateStatusLine() {
  // Under the hint text, beside the refresh button, as wide as the hint's line allows.
  RECT place = {12, 117, 12 + 230, 117 + 9};
  ::MapDialogRect(m_hWnd, &place);
  m_hWndStatus = ::CreateWindowExA(0, "Static", "", WS_CHILD | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, place.left,
                                   place.top, place.right - place.left, place.bottom - place.top, m_hWnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LISTING_STATUS)),
                                   reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE)), nullptr);
  if (m_hWndStatus) ::SendMessageA(m_hWndStatus, WM_SETFONT, static_cast<WPARAM>(SendMessage(WM_GETFONT)), FALSE);
}

std::string CSelectBrowserDlg::ListingStatusLine() const {
  if (!m_strListingStatus.empty() || m_watched.empty()) return m_strListingStatus;
  // Which of the listed browsers a tab already watches, named as the list names them.
  const HWND list = ::GetDlgItem(m_hWnd, IDC_BROWSER_LIST);
  const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
  std::string names;
  int watchedCount = 0;
  for (LRESULT i = 0; i < count; ++i) {
    const HWND window = reinterpret_cast<HWND>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    bool watched = false;
    for (const WatchedBrowser& entry : m_watched) watched = watched || entry.window == window;
    if (!watched) continue;
    std::string text(static_cast<size_t>(std::max<LRESULT>(0, ::SendMessageA(list, LB_GETTEXTLEN, i, 0))), '\0');
    if (!text.empty()) ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    names += (watchedCount++ ? "、" : "") + text;
  }
  if (watchedCount == 0) return "";
  const std::string format = LoadResourceString(IDS_BROWSERS_WATCHED_COUNT);
  std::string line(format.size() + names.size() + 16, '\0');
  const int length = std::snprintf(&line[0], line.size(), format.c_str(), watchedCount, names.c_str());
  line.resize(length > 0 ? std::min(static_cast<size_t>(length), line.size() - 1) : 0);
  return line;
}

void CSelectBrowserDlg::ShowStatusLine() {
  if (!m_hWndStatus) return;
  const LRESULT selected = SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCURSEL);
  const HWND window = selected == LB_ERR ? nullptr
                                         : reinterpret_cast<HWND>(SendDlgItemMessage(
                                               IDC_BROWSER_LIST, LB_GETITEMDATA, static_cast<WPARAM>(selected)));
  bool watched = false;
  for (const WatchedBrowser& entry : m_watched) watched = watched || (window && entry.window == window);
  const std::string text = watched ? LoadResourceString(IDS_BROWSER_WATCHED_NOTE) : ListingStatusLine();
  ::SetWindowTextA(m_hWndStatus, text.c_str());
  ::ShowWindow(m_hWndStatus, text.empty() ? SW_HIDE : SW_SHOWNA);
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
