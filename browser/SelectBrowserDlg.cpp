#include "browser/SelectBrowserDlg.h"

#include <mshtml.h>

#include "browser/BrowserDiscovery.h"
#include "events/EventCatalog.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

namespace {

const char kCaption[] = "Ormix";
const char kSelectBrowserMessage[] = "イベントを記録するInternet Explorerを選択してください。";
const char kNoEventMessage[] = "記録するイベントが選択されていません。";
const char kBrowserNotFoundMessage[] = "指定されたInternet Explorerは見つかりません。";

}  // namespace

ORMIX_BEGIN_MESSAGE_MAP(CSelectBrowserDlg, CDialog)
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnRefresh>(IDC_REFRESH),
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnSelectAll>(IDC_SELECT_ALL),
  msgmap::ButtonClicked<&CSelectBrowserDlg::OnClearAll>(IDC_CLEAR_ALL),
ORMIX_END_MESSAGE_MAP()

CSelectBrowserDlg::CSelectBrowserDlg(CWnd* pParent)
    : CDialog(IDD_SELECT_BROWSER, pParent), m_nSelected(-1), m_pBrowser(nullptr) {}

void CSelectBrowserDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_LBIndex(pDX, IDC_BROWSER_LIST, m_nSelected);
}

BOOL CSelectBrowserDlg::FillBrowserList() {
  return FillBrowserListBox(::GetDlgItem(m_hWnd, IDC_BROWSER_LIST));
}

BOOL CSelectBrowserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  FillBrowserList();
  for (const EventInfo& event : kEventCatalog)
    SendDlgItemMessage(event.checkBoxId, BM_SETCHECK,
                       m_eventMask.Get(event.maskIndex) != 0 ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

void CSelectBrowserDlg::OnOK() {
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
  IHTMLDocument* document = nullptr;
  if (!GetDocumentFromWindow(window, &document)) {
    RejectVanishedBrowser();
    return;
  }
  const BOOL found = GetBrowserFromDocument(document, &m_pBrowser);
  document->Release();
  if (!found) {
    m_pBrowser = nullptr;
    RejectVanishedBrowser();
    return;
  }
  CDialog::OnOK();
}

void CSelectBrowserDlg::RejectVanishedBrowser() {
  ShowMessage(kBrowserNotFoundMessage);
  SendDlgItemMessage(IDC_BROWSER_LIST, LB_DELETESTRING, static_cast<WPARAM>(m_nSelected));
}

void CSelectBrowserDlg::ShowMessage(const char* text) {
  ShowMessageBox(m_hWnd, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CSelectBrowserDlg::OnRefresh() {
  UpdateData(TRUE);
  HWND remembered = nullptr;
  if (m_nSelected != -1)
    remembered = reinterpret_cast<HWND>(
        SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA, static_cast<WPARAM>(m_nSelected)));

  FillBrowserList();

  if (m_nSelected == -1) return;
  const LRESULT count = SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    if (reinterpret_cast<HWND>(SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA,
                                                  static_cast<WPARAM>(i))) == remembered) {
      SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, static_cast<WPARAM>(i));
      return;
    }
  }
}

void CSelectBrowserDlg::SetAllChecks(int state) {
  for (const EventInfo& event : kEventCatalog)
    SendDlgItemMessage(event.checkBoxId, BM_SETCHECK, static_cast<WPARAM>(state));
}

void CSelectBrowserDlg::OnSelectAll() { SetAllChecks(BST_CHECKED); }

void CSelectBrowserDlg::OnClearAll() { SetAllChecks(BST_UNCHECKED); }
