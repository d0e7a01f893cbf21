#include "view/OrmixView.h"

#include <mshtml.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserAnswerWait.h"
#include "browser/SelectBrowserDlg.h"
#include "browser/SelectEmbeddedBrowserDlg.h"
#include "framework/AdoptReference.h"
#include "framework/AnsiString.h"
#include "threads/Dispatcher.h"
#include "framework/FontDialog.h"
#include "framework/MessageBox.h"
#include "framework/StringResource.h"
#include "framework/StandardIds.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "settings/AppValues.h"
#include "settings/RegistrySettings.h"

ORMIX_IMPLEMENT_DYNCREATE(COrmixView, CTabView)

ORMIX_BEGIN_MESSAGE_MAP(COrmixView, CTabView)
  msgmap::Create<&COrmixView::OnCreate>(),
  msgmap::Command<&COrmixView::OnSelectBrowser>(ID_SELECT_BROWSER),
  msgmap::Command<&COrmixView::OnTabActivate>(ID_TAB_ACTIVATE),
  msgmap::UpdateCommand<&COrmixView::OnUpdateTabActivate>(ID_TAB_ACTIVATE),
  msgmap::Command<&COrmixView::OnTabClose>(ID_TAB_CLOSE),
  msgmap::UpdateCommand<&COrmixView::OnUpdateTabClose>(ID_TAB_CLOSE),
  msgmap::Command<&COrmixView::OnTabEqualWidth>(ID_TAB_EQUAL_WIDTH),
  msgmap::UpdateCommand<&COrmixView::OnUpdateTabEqualWidth>(ID_TAB_EQUAL_WIDTH),
  msgmap::Command<&COrmixView::OnViewFont>(ID_VIEW_FONT),
  msgmap::Command<&COrmixView::OnViewJournal>(ID_VIEW_JOURNAL),
  msgmap::UpdateCommand<&COrmixView::OnUpdateViewJournal>(ID_VIEW_JOURNAL),
  msgmap::Command<&COrmixView::OnFileSaveTrace>(ID_FILE_SAVE_TRACE),
  msgmap::UpdateCommand<&COrmixView::OnUpdateFileSaveTrace>(ID_FILE_SAVE_TRACE),
  msgmap::Command<&COrmixView::OnViewWaterfall>(ID_VIEW_WATERFALL),
  msgmap::UpdateCommand<&COrmixView::OnUpdateViewWaterfall>(ID_VIEW_WATERFALL),
  msgmap::Command<&COrmixView::OnTabCloseButton>(ID_TAB_CLOSE_BUTTON),
  msgmap::Command<&COrmixView::OnSelectEmbeddedBrowser>(ID_SELECT_EMBEDDED_BROWSER),
  msgmap::Command<&COrmixView::OnTabNext>(ID_TAB_NEXT),
  msgmap::UpdateCommand<&COrmixView::OnUpdateTabSwitch>(ID_TAB_NEXT),
  msgmap::Command<&COrmixView::OnTabPrevious>(ID_TAB_PREVIOUS),
  msgmap::UpdateCommand<&COrmixView::OnUpdateTabSwitch>(ID_TAB_PREVIOUS),
  msgmap::Command<&COrmixView::OnTabCloseButton>(ID_TAB_CLOSE_ACTIVE),
  msgmap::UpdateCommand<&COrmixView::OnUpdateTabCloseActive>(ID_TAB_CLOSE_ACTIVE),
  msgmap::Mouse<&COrmixView::OnRButtonDown>(WM_RBUTTONDOWN),
  msgmap::NcHitTest<&COrmixView::OnNcHitTest>(),
  msgmap::SetFocus<&COrmixView::OnSetFocus>(),
  msgmap::Destroy<&COrmixView::OnDestroy>(),
  msgmap::NcDestroy<&COrmixView::OnNcDestroy>(),
ORMIX_END_MESSAGE_MAP()

namespace {

const char kDefaultTabLabel[] = "Internet Explorer";
const char kConnectingLabel[] = "接続中...";
const char kActivateItem[] = "アクティブ化(&A)";
const char kCloseItem[] = "閉じる(&C)";
const char kAppCaption[] = "Ormix";
const char kUnkeptLogsQuestion[] = "保存されていない行のあるログが %d 個あります。\n終了する前に保存しますか?";
const char kConnectFailed[] =
    "Internet Explorerに接続できませんでした。\nこのタブにはイベントが記録されません。";
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_REPORT;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
constexpr COLORREF kTabIconMask = RGB(0, 128, 128);
constexpr COLORREF kRowIconMask = RGB(255, 0, 255);

// The top-level window that owns the dialogs and messages raised from the view.
CWnd* OwnerOf(HWND hWnd) { return CWnd::FromHandle(::GetAncestor(hWnd, GA_ROOT)); }

}  // namespace

COrmixView::COrmixView() : m_nContextTab(-1), m_lfList(), m_nNextListId(1000) { appvalues::CreateKeys(); }

COrmixView::~COrmixView() = default;

LOGFONTA COrmixView::SystemStatusFont() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return metrics.lfStatusFont;
  LOGFONTA font = {};
  ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  return font;
}

void COrmixView::CreateListFont(const LOGFONTA& fallback) {
  // A face name read from outside may lack its terminating zero.
  m_lfList.lfFaceName[LF_FACESIZE - 1] = '\0';
  if (m_fontList.CreateFontIndirect(&m_lfList)) return;
  m_lfList = fallback;
  m_fontList.CreateFontIndirect(&m_lfList);
}

int COrmixView::OnCreate(LPCREATESTRUCTA cs) {
  SetShortenLabels(FALSE);
  if (CTabView::OnCreate(cs) == -1) return -1;
  // The strip repaints itself whenever a tab changes; it must not paint over the logs,
  // which paint only what changed in them (a log's column header would stay blank).
  ModifyStyle(0, WS_CLIPCHILDREN);
  if (!m_imlTabs.Create(IDB_TAB_ICONS, 16, 1, kTabIconMask)) return -1;
  // The journaled tab's icon follows the tab icon, at kJournaledTabImage.
  m_imlTabs.Add(IDB_JOURNAL_TAB_ICON, kTabIconMask);
  SendMessage(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imlTabs.GetSafeHandle()));

  // Only a stored 0 leaves the tabs sized to their labels.
  if (appvalues::ReadFlag(kTabFixedWidthValue, true)) ChangeTabStyle(0, TCS_FIXEDWIDTH);
  m_logOptions.Load();
  m_journalSettings.Load();
  m_appliedJournalFolder = JournalFolder();

  AttachMenuDrawing(IDR_MAINFRAME);
  SetCloseButtonTip(IDS_TAB_CLOSE_TIP);
  // The page-loaded icon follows the row icons, at CEventListCtrl::kImageLoaded.
  if (m_imlEvents.Create(IDB_ROW_ICONS, 16, 4, kRowIconMask)) m_imlEvents.Add(IDB_LOADED_ICON, kRowIconMask);

  const LOGFONTA fallback = SystemStatusFont();
  if (!appvalues::ReadFont(&m_lfList)) m_lfList = fallback;
  CreateListFont(fallback);
  appvalues::WriteFont(m_lfList);

  m_bWaterfall = appvalues::ReadFlag(kWaterfallValue, false);
  if (m_waterfall.Create(this, kWaterfallId)) m_waterfall.SetWaterfallFont(m_fontList);
  RecalcTabLayout();
  return 0;
}

std::string COrmixView::TabLabelFor(IWebBrowser2* browser) {
  std::string label;
  Microsoft::WRL::ComPtr<IDispatch> document;
  Microsoft::WRL::ComPtr<IHTMLDocument2> html;
  if (SUCCEEDED(browser->get_Document(document.GetAddressOf())) && document && SUCCEEDED(document.As(&html)) &&
      html) {
    BSTR title = nullptr;
    if (SUCCEEDED(html->get_title(&title))) label = AnsiFromBstr(title);
    ::SysFreeString(title);
  }
  // An embedded zero would end the label early anyway; keep what comes before it.
  label.resize(std::strlen(label.c_str()));
  return label.empty() ? kDefaultTabLabel : label;
}

void COrmixView::OnSelectBrowser() {
  CSelectBrowserDlg dialog(OwnerOf(m_hWnd));
  ChooseAndOpen(dialog);
}

void COrmixView::OnSelectEmbeddedBrowser() {
  CSelectEmbeddedBrowserDlg dialog(OwnerOf(m_hWnd));
  ChooseAndOpen(dialog);
}

void COrmixView::ChooseAndOpen(CSelectBrowserDlg& dialog) {
  for (int i = 0; i < EventMask::kFlagCount; ++i) dialog.m_eventMask.Set(i, m_maskDefault.Get(i));
  // The browsers the tabs watch, so that the dialog can mark them and ask before a second tab.
  for (int i = 0; i < GetTabCount(); ++i) {
    CEventListCtrl* list = ListOfTab(i);
    if (!list || !list->GetBrowserApp()) continue;
    const auto window = m_chosenWindows.find(list);
    dialog.m_watched.push_back({window == m_chosenWindows.end() ? nullptr : window->second, list->GetBrowserApp(), i,
                                TabToolTip(i)});
  }
  const std::weak_ptr<int> alive = m_lifetime;
  const INT_PTR chosen = dialog.DoModal();
  Microsoft::WRL::ComPtr<IWebBrowser2> found = AdoptReference(dialog.m_pBrowser);
  // The view went with its window while the dialog was open: nothing is opened.
  if (alive.expired() || chosen != IDOK) return;
  if (dialog.m_nSwitchToTab >= 0) {
    if (dialog.m_nSwitchToTab < GetTabCount()) ActivateTab(dialog.m_nSwitchToTab);
    return;
  }
  // A browser that stopped answering while the dialog looked it up still gets its tab.
  if (!found && !dialog.m_bNotAnswered) return;
  if (CEventListCtrl* opened = OpenTab(found.Detach(), dialog.m_eventMask))
    m_chosenWindows[opened] = dialog.m_hWndChosen;
}

CEventListCtrl* COrmixView::OpenTab(IWebBrowser2* browser, const EventMask& mask) {
  Microsoft::WRL::ComPtr<IWebBrowser2> chosen = AdoptReference(browser);
  if (m_bClosing) return nullptr;
  auto* list = new CEventListCtrl;
  const RECT empty = {0, 0, 0, 0};
  if (!list->Create(kListStyle, empty, this, static_cast<UINT>(m_nNextListId))) {
    delete list;
    return nullptr;
  }
  ++m_nNextListId;
  list->SetExtendedStyle(list->GetExtendedStyle() | kListExStyle);
  list->SetImageList(m_imlEvents.GetSafeHandle(), LVSIL_SMALL);
  list->SetFindText(&m_logFindText);
  list->SetListFont(m_fontList, TRUE);
  m_logOptions.ApplyTo(list);
  for (int i = 0; i < EventMask::kFlagCount; ++i) list->Set(i, mask.Get(i));
  // From the start: a run may end before the connect has completed (ConnectCompleted names
  // the trace after the browser's title).
  if (!m_runTraceFolder.empty()) list->WriteTraceOnQuit(m_runTraceFolder, kDefaultTabLabel);

  // The tab shows at once, saying that it connects; the label and the connection ask the
  // browser from a worker, and the tab becomes the log when the connect completes.
  if (InsertTab(chosen ? kConnectingLabel : kDefaultTabLabel, list, -1, 0) < 0) {
    DestroyList(list);
    return nullptr;
  }
  ActivateTab(GetTabCount() - 1);
  list->SetTitleObserver(this);
  list->SetJournalObserver(this);
  if (!chosen) {
    ConnectCompleted(list, kDefaultTabLabel, CBrowserEventConnection::BoundedConnect::NotAnswered);
    return list;
  }
  auto label = std::make_shared<std::string>(kDefaultTabLabel);
  const bool started = list->BeginConnect(
      chosen.Detach(), BrowserAnswerWaitMs(), [label](IWebBrowser2* asked) { *label = TabLabelFor(asked); },
      [this, list, label](CBrowserEventConnection::BoundedConnect result) {
        // The label is the worker's only once it has handed its outcome over.
        const bool answered = result != CBrowserEventConnection::BoundedConnect::NotAnswered;
        ConnectCompleted(list, answered ? label->c_str() : kDefaultTabLabel, result);
      });
  if (!started) {
    // Said from the dispatcher, as a connect's end: the message box is not shown inside
    // this call, whose caller goes on with the tab.
    if (CDispatcher* dispatcher = CDispatcher::ForThisThread())
      dispatcher->Post([this, alive = std::weak_ptr<int>(m_lifetime), window = list->m_hWnd] {
      if (alive.expired()) return;
      if (CEventListCtrl* failed = ListOfWindow(window))
        ConnectCompleted(failed, kDefaultTabLabel, CBrowserEventConnection::BoundedConnect::QueryFailed);
    });
  }
  return list;
}

void COrmixView::ConnectCompleted(CEventListCtrl* list, const char* label,
                                  CBrowserEventConnection::BoundedConnect result) {
  SetTabLabelFor(list, label);
  if (!m_appliedJournalFolder.empty()) list->StartJournal(m_appliedJournalFolder, label);
  ShowJournalMark(list);
  if (!m_runTraceFolder.empty()) list->WriteTraceOnQuit(m_runTraceFolder, label);
  switch (result) {
    case CBrowserEventConnection::BoundedConnect::NotAnswered:
      list->AddMessageRow("", LoadResourceString(IDS_BROWSER_NOT_ANSWERED).c_str(), CEventListCtrl::kImageQuit);
      break;
    case CBrowserEventConnection::BoundedConnect::QueryFailed:
      // The browser did not answer as a browser does; the tab stays, unconnected. Nothing of
      // the view is touched after the box: the window may close while it is open.
      if (m_bReportWithoutAsking) {
        list->AddMessageRow("", kConnectFailed, CEventListCtrl::kImageQuit);
        break;
      }
      ShowMessageBox(OwnerOf(m_hWnd)->m_hWnd, kConnectFailed, kAppCaption, MB_OK | MB_ICONEXCLAMATION);
      break;
    default:  // connected (the start row is written), or not a browser: unconnected, no row
      break;
  }
}

void COrmixView::DestroyList(CEventListCtrl* list) {
  // A browser that does not answer must not hold the window: it is let go off this thread.
  list->DisconnectInBackground();
  // The row icons are the view's, lent to every list: a list view destroys the image lists
  // it still holds (its style does not share them).
  if (list->IsWindow()) list->SetImageList(nullptr, LVSIL_SMALL);
  if (list->IsWindow()) list->DestroyWindow();
  delete list;
}

HWND COrmixView::OpenTabFor(IWebBrowser2* browser, const EventMask& mask, HWND listedWindow) {
  CEventListCtrl* list = OpenTab(browser, mask);
  if (!list) return nullptr;
  m_chosenWindows[list] = listedWindow;
  return list->m_hWnd;
}

bool COrmixView::IsRecordingBrowser(HWND hWndList) const {
  const CEventListCtrl* list = ListOfWindow(hWndList);
  return list && (list->IsAdvised() || list->IsConnecting());
}

void COrmixView::UseLogOptionsForThisRun(bool saveAsCsv, bool timeWithMilliseconds) {
  m_logOptions.saveAsCsv = m_logOptions.saveAsCsv || saveAsCsv;
  m_logOptions.timeWithMilliseconds = m_logOptions.timeWithMilliseconds || timeWithMilliseconds;
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) m_logOptions.ApplyTo(list);
}

void COrmixView::OnRButtonDown(UINT, POINT pt) {
  m_nContextTab = TabFromPoint(pt.x, pt.y);
  if (m_nContextTab == -1) return;
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return;
  ::AppendMenuA(menu, MF_STRING, ID_TAB_ACTIVATE, kActivateItem);
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, ID_TAB_CLOSE, kCloseItem);
  POINT screen = pt;
  ::ClientToScreen(m_hWnd, &screen);
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
  ::DestroyMenu(menu);
}

void COrmixView::OnTabActivate() { ActivateTab(m_nContextTab); }

void COrmixView::OnUpdateTabActivate(CCmdUI*) {}

CEventListCtrl* COrmixView::ListOfWindow(HWND hWndList) const {
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i); list && list->m_hWnd == hWndList) return list;
  return nullptr;
}

CEventListCtrl* COrmixView::ListOfTab(int nIndex) const {
  CWnd* tab = TabWindow(nIndex);
  if (!tab) return nullptr;
  return dynamic_cast<CEventListCtrl*>(CWnd::FromHandlePermanent(tab->m_hWnd));
}

void COrmixView::RemoveTab(CEventListCtrl* list) {
  if (list) {
    // The remembered right-clicked tab keeps naming the same tab, or none once it is gone.
    for (int i = 0; i < GetTabCount(); ++i) {
      if (TabWindow(i) == nullptr || TabWindow(i)->m_hWnd != list->m_hWnd) continue;
      if (i == m_nContextTab)
        m_nContextTab = -1;
      else if (i < m_nContextTab)
        --m_nContextTab;
      break;
    }
    // Anything of a connect still under way goes with the list, unheard.
    list->CancelConnect();
    m_chosenWindows.erase(list);
    if (list->Model().JournalFailed()) m_bClosedJournalFailed = true;
    // A tab closed before its browser quit keeps its trace all the same.
    list->WritePendingTrace();
    if (list->TraceFailed()) m_bClosedTraceFailed = true;
    // The waterfall lets go of the log before it goes; the next active one, if any, is bound
    // as the tab area is laid out again.
    if (m_waterfall.BoundList() == list) m_waterfall.Bind(nullptr);
  }
  RemoveTabWindow(list, FALSE);
  if (list) DestroyList(list);
}

void COrmixView::OnTabClose() {
  if (m_nContextTab == -1) return;
  CEventListCtrl* list = ListOfTab(m_nContextTab);
  if (list && !list->ConfirmDiscard()) return;
  RemoveTab(list);
}

void COrmixView::OnUpdateTabClose(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nContextTab != -1); }

void COrmixView::SwitchTab(int step) {
  const int count = GetTabCount();
  if (count < 2) return;
  const int active = GetActiveTab();
  ActivateTab(((active < 0 ? 0 : active) + step + count) % count);
}

void COrmixView::OnTabNext() { SwitchTab(1); }

void COrmixView::OnTabPrevious() { SwitchTab(-1); }

void COrmixView::OnUpdateTabSwitch(CCmdUI* pCmdUI) { pCmdUI->Enable(GetTabCount() > 1); }

void COrmixView::OnTabCloseButton() {
  CEventListCtrl* list = ListOfTab(GetActiveTab());
  if (list && !list->ConfirmDiscard()) return;
  RemoveTab(list);
}

void COrmixView::OnUpdateTabCloseActive(CCmdUI* pCmdUI) { pCmdUI->Enable(GetActiveTab() >= 0); }

void COrmixView::OnTabEqualWidth() {
  const bool equal = !(GetStyle() & TCS_FIXEDWIDTH);
  ChangeTabStyle(equal ? 0 : TCS_FIXEDWIDTH, equal ? TCS_FIXEDWIDTH : 0);
  appvalues::WriteFlag(kTabFixedWidthValue, equal);
}

void COrmixView::OnUpdateTabEqualWidth(CCmdUI* pCmdUI) {
  pCmdUI->SetCheck((GetStyle() & TCS_FIXEDWIDTH) ? 1 : 0);
}

void COrmixView::ToggleLogOption(const LogOptions::Option& option) {
  m_logOptions.Toggle(option);
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) LogOptions::Apply(option, list, m_logOptions.IsOn(option));
}

void COrmixView::UpdateLogOption(CCmdUI* pCmdUI, const LogOptions::Option& option) {
  // Every option is the program's, not a tab's: it can be set before any tab is open.
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(m_logOptions.IsOn(option) ? 1 : 0);
}

BOOL COrmixView::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  if (CTabView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  const LogOptions::Option* option = LogOptions::ForCommand(nID);
  if (!option || (nCode != CN_COMMAND && nCode != CN_UPDATE_COMMAND_UI)) return FALSE;
  if (pHandlerInfo) {
    pHandlerInfo->pTarget = this;
    return TRUE;
  }
  if (nCode == CN_COMMAND) {
    ToggleLogOption(*option);
    return TRUE;
  }
  if (!pExtra) return FALSE;
  UpdateLogOption(static_cast<CCmdUI*>(pExtra), *option);
  return TRUE;
}

void COrmixView::ReapplyTabWidthStyle() {
  if (GetStyle() & TCS_FIXEDWIDTH) {
    ChangeTabStyle(TCS_FIXEDWIDTH, 0);
    ChangeTabStyle(0, TCS_FIXEDWIDTH);
  } else {
    ChangeTabStyle(0, TCS_FIXEDWIDTH);
    ChangeTabStyle(TCS_FIXEDWIDTH, 0);
  }
}

void COrmixView::OnViewWaterfall() {
  m_bWaterfall = !m_bWaterfall;
  appvalues::WriteFlag(kWaterfallValue, m_bWaterfall);
  RecalcTabLayout();
}

void COrmixView::OnUpdateViewWaterfall(CCmdUI* pCmdUI) {
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(m_bWaterfall ? 1 : 0);
}

void COrmixView::LayOutDisplayArea(RECT& display) {
  if (!m_waterfall.m_hWnd) return;
  CEventListCtrl* active = ListOfTab(GetActiveTab());
  if (!m_bWaterfall || !active) {
    m_waterfall.ShowWindow(SW_HIDE);
    m_waterfall.Bind(nullptr);
    return;
  }
  const int height = static_cast<int>(display.bottom - display.top);
  const int waterfall = std::min(height, std::max(kMinWaterfallHeight, height / 3));
  m_waterfall.SetWindowPos(HWND_TOP, display.left, display.bottom - waterfall, display.right - display.left, waterfall,
                           SWP_NOACTIVATE | SWP_SHOWWINDOW);
  display.bottom -= waterfall;
  m_waterfall.Bind(active);
}

void COrmixView::OnViewFont() {
  const LOGFONTA fallback = SystemStatusFont();
  CFontDialog dialog(&m_lfList, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT, nullptr,
                     OwnerOf(m_hWnd));
  if (dialog.DoModal() != IDOK) return;
  m_fontList.DeleteObject();
  CreateListFont(fallback);
  appvalues::WriteFont(m_lfList);
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) list->SetListFont(m_fontList, TRUE);
  m_waterfall.SetWaterfallFont(m_fontList);
}

void COrmixView::OnTitleChange(CEventListCtrl* list, const char* title) { SetTabLabelFor(list, title); }

BOOL COrmixView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header && header->code == TTN_NEEDTEXTA && header->hwndFrom == GetToolTips() &&
      header->idFrom < static_cast<UINT_PTR>(GetTabCount())) {
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
    info->hinst = nullptr;
    m_strToolTip = TabToolTipText(static_cast<int>(header->idFrom));
    info->lpszText = const_cast<char*>(m_strToolTip.c_str());
    if (pResult) *pResult = 0;
    return TRUE;
  }
  return CTabView::OnNotify(wParam, lParam, pResult);
}

LRESULT COrmixView::OnNcHitTest(POINT) {
  if (GetTabCount() == 0) return HTBORDER;
  return Default();
}

void COrmixView::OnSetFocus(HWND) {
  Default();
  if (CWnd* tab = ActiveTabWindow()) ::SetFocus(tab->m_hWnd);
}

void COrmixView::RemoveAllTabs() {
  for (int i = GetTabCount() - 1; i >= 0; --i) RemoveTab(ListOfTab(i));
}

void COrmixView::OnDestroy() {
  m_bClosing = true;  // no tab opens from here on
  DeliverReceivedEvents();
  WritePendingTraces();
  FinishJournals();
  RemoveAllTabs();
  if (m_pJournalFailedOutcome) *m_pJournalFailedOutcome = JournalFailed();
  if (m_pTraceFailedOutcome) *m_pTraceFailedOutcome = TraceFailed();
  CTabView::OnDestroy();
}

void COrmixView::OnNcDestroy() {
  RemoveAllTabs();
  Default();
}

bool COrmixView::ConfirmDiscardAll() {
  if (!m_logOptions.askBeforeDiscard) return true;
  std::vector<CEventListCtrl*> unkept;
  for (int i = 0; i < GetTabCount(); ++i) {
    CEventListCtrl* list = ListOfTab(i);
    if (!list) continue;
    list->FlushPendingRows();
    if (list->Model().HasUnkeptRows()) unkept.push_back(list);
  }
  if (unkept.empty()) return true;
  char text[256];
  std::snprintf(text, sizeof(text), kUnkeptLogsQuestion, static_cast<int>(unkept.size()));
  switch (ShowMessageBox(OwnerOf(m_hWnd)->m_hWnd, text, kAppCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      for (CEventListCtrl* list : unkept)
        if (!list->SaveWithDialog()) return false;
      return true;
    case IDNO:
      return true;
    default:
      return false;
  }
}

void COrmixView::DeliverReceivedEvents() {
  // No connect under way completes from here on (its tab stays unconnected): what it would
  // say must not hold the end up.
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) list->CancelConnect();
  if (CDispatcher* dispatcher = CDispatcher::ForThisThread()) dispatcher->RunAll();
}
