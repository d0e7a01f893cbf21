#include "framework/FrameWnd.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "framework/CmdUI.h"
#include "framework/Document.h"
#include "framework/FrameworkMessages.h"
#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "framework/View.h"
#include "framework/WinApp.h"

ORMIX_IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

ORMIX_BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  msgmap::Create<&CFrameWnd::OnCreate>(),
  msgmap::Close<&CFrameWnd::OnClose>(),
  msgmap::Destroy<&CFrameWnd::OnDestroy>(),
  msgmap::Size<&CFrameWnd::OnSize>(),
  msgmap::InitMenuPopup<&CFrameWnd::OnInitMenuPopup>(),
  msgmap::MenuSelect<&CFrameWnd::OnMenuSelect>(),
  msgmap::SettingChange<&CFrameWnd::OnSettingChange>(),
  msgmap::Message<&CFrameWnd::OnSetFocusMessage>(WM_SETFOCUS),
  msgmap::Message<&CFrameWnd::OnSetMessageString>(WM_SETMESSAGESTRING),
  msgmap::CommandRange<&CFrameWnd::OnBarCheck>(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR),
  msgmap::UpdateCommand<&CFrameWnd::OnUpdateControlBarMenu>(ID_VIEW_TOOLBAR),
  msgmap::UpdateCommand<&CFrameWnd::OnUpdateControlBarMenu>(ID_VIEW_STATUS_BAR),
  msgmap::UpdateCommand<&CFrameWnd::OnUpdateKeyIndicator>(ID_INDICATOR_CAPS),
  msgmap::UpdateCommand<&CFrameWnd::OnUpdateKeyIndicator>(ID_INDICATOR_NUM),
  msgmap::UpdateCommand<&CFrameWnd::OnUpdateKeyIndicator>(ID_INDICATOR_SCRL),
ORMIX_END_MESSAGE_MAP()

namespace {

// Control bar window ids: the tool bar, the status bar and the other standard bars.
constexpr UINT kFirstControlBarId = 0xE800;
constexpr UINT kLastControlBarId = 0xE8FF;

// The prompt part of a command's string: the text before the line feed.
std::string PromptOf(UINT nID) {
  if (nID == 0) return "";
  std::string text = LoadResourceString(nID);
  const size_t lineFeed = text.find('\n');
  if (lineFeed != std::string::npos) text.resize(lineFeed);
  return text;
}

struct DescendantSearch {
  UINT nID;
  HWND hWndFound;
};

BOOL CALLBACK FindDescendantById(HWND hWnd, LPARAM lParam) {
  auto* search = reinterpret_cast<DescendantSearch*>(lParam);
  if (static_cast<UINT>(::GetDlgCtrlID(hWnd)) != search->nID) return TRUE;
  search->hWndFound = hWnd;
  return FALSE;
}

HWND FindDescendant(HWND hWndParent, UINT nID) {
  if (HWND child = ::GetDlgItem(hWndParent, static_cast<int>(nID))) return child;
  DescendantSearch search = {nID, nullptr};
  ::EnumChildWindows(hWndParent, &FindDescendantById, reinterpret_cast<LPARAM>(&search));
  return search.hWndFound;
}

}  // namespace

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
  if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

// --- creation -----------------------------------------------------------------------------

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext) {
  m_nIDResource = nIDResource;
  HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
  m_strTitle = LoadResourceString(nIDResource);
  const size_t lineFeed = m_strTitle.find('\n');
  if (lineFeed != std::string::npos) m_strTitle.resize(lineFeed);

  HMENU hMenu = nullptr;
  if (UsesWindowMenu()) hMenu = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(nIDResource));
  if (!m_hAccelTable) m_hAccelTable = ::LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(nIDResource));

  const BOOL created = CreateEx(0, nullptr, m_strTitle.c_str(), dwDefaultStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu, pContext);
  // A window destroys its menu; a menu that no window took is ours to free.
  if (!created && hMenu && ::IsMenu(hMenu)) ::DestroyMenu(hMenu);
  return created;
}

BOOL CFrameWnd::RegisterDefaultClass(CREATESTRUCTA& cs) {
  // One class per icon: the frame's icon is that of its resource id.
  static char className[32];
  std::snprintf(className, sizeof(className), "OrmixFrame:%u", m_nIDResource);
  WNDCLASSA wc = {};
  if (!::GetClassInfoA(cs.hInstance, className, &wc)) {
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = cs.hInstance;
    wc.hIcon = m_nIDResource ? ::LoadIconA(cs.hInstance, MAKEINTRESOURCEA(m_nIDResource)) : nullptr;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!::RegisterClassA(&wc)) return FALSE;
  }
  cs.lpszClass = className;
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  auto* context = cs ? static_cast<CCreateContext*>(cs->lpCreateParams) : nullptr;
  if (!OnCreateClient(cs, context)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* pContext) {
  if (!pContext || !pContext->m_pNewViewClass) return TRUE;
  CObject* object = pContext->m_pNewViewClass->CreateObject();
  auto* view = dynamic_cast<CView*>(object);
  if (!view) {
    delete object;
    return FALSE;
  }
  // A view whose creation fails deletes itself once its window is gone.
  if (!view->CreateView(this, AFX_IDW_PANE_FIRST, pContext)) return FALSE;
  SetActiveView(view);
  return TRUE;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
  if (m_pViewActive) m_pViewActive->OnInitialUpdate();
  if (pDoc && (GetStyle() & FWS_ADDTOTITLE) && !pDoc->GetTitle().empty()) {
    const std::string caption = pDoc->GetTitle() + " - " + m_strTitle;
    SetWindowText(caption.c_str());
  }
  SetMessageText(nullptr);  // the idle text until a prompt replaces it
  if (!bMakeVisible) return;
  // Bars show their commands' states from the first paint, not one idle moment later.
  SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE);
  int nCmdShow = -1;
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    nCmdShow = app->m_nCmdShow;
    app->m_nCmdShow = -1;  // only the first showing follows the start-up command
  }
  ActivateFrame(nCmdShow);
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) nCmdShow = ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW;
  ShowWindow(nCmdShow);
  if (nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE && nCmdShow != SW_SHOWMINNOACTIVE) {
    ::BringWindowToTop(m_hWnd);
    if (m_pViewActive && m_pViewActive->m_hWnd) ::SetFocus(m_pViewActive->m_hWnd);
  }
}

CDocument* CFrameWnd::GetActiveDocument() const {
  return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

// --- closing ------------------------------------------------------------------------------

void CFrameWnd::OnClose() {
  const HWND hWnd = m_hWnd;
  // The frame leaves the screen at once: what closing the document and destroying the views
  // still waits for (a peer that does not answer, a slow disk) happens out of sight.
  ShowWindow(SW_HIDE);
  // Closing the document destroys the frames of its views, this one among them.
  if (CDocument* doc = GetActiveDocument()) doc->OnCloseDocument();
  if (::IsWindow(hWnd) && FromHandlePermanent(hWnd) == this) DestroyWindow();
}

void CFrameWnd::OnDestroy() {
  // The views go after this message; nothing may route to them from now on.
  m_pViewActive = nullptr;
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) ::PostQuitMessage(0);
  CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  delete this;
}

// --- layout -------------------------------------------------------------------------------

void CFrameWnd::OnSize(UINT type, int, int) {
  if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (m_bInRecalcLayout || !m_hWnd) return;
  m_bInRecalcLayout = TRUE;
  RECT rect;
  GetClientRect(&rect);
  // The status bar along the bottom edge, the other bars stacked along the top.
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const UINT nID = static_cast<UINT>(::GetDlgCtrlID(child));
    if (nID < kFirstControlBarId || nID > kLastControlBarId || !::IsWindowVisible(child))
      continue;
    RECT bar;
    ::GetWindowRect(child, &bar);
    const int height = bar.bottom - bar.top;
    if (nID == AFX_IDW_STATUS_BAR) {
      rect.bottom -= height;
      ::MoveWindow(child, rect.left, rect.bottom, rect.right - rect.left, height, TRUE);
    } else {
      ::MoveWindow(child, rect.left, rect.top, rect.right - rect.left, height, TRUE);
      rect.top += height;
    }
  }
  if (HWND view = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
    ::MoveWindow(view, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom > rect.top ? rect.bottom - rect.top : 0, TRUE);
  m_bInRecalcLayout = FALSE;
}

CWnd* CFrameWnd::GetControlBar(UINT nID) {
  HWND bar = FindDescendant(m_hWnd, nID);
  return bar ? FromHandle(bar) : nullptr;
}

void CFrameWnd::ShowControlBar(CWnd* pBar, BOOL bShow, BOOL bDelay) {
  if (!pBar || !pBar->m_hWnd) return;
  pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
  if (!bDelay) RecalcLayout();
}

void CFrameWnd::OnBarCheck(UINT nID) {
  CWnd* bar = GetControlBar(nID);
  if (bar) ShowControlBar(bar, !IsBarVisible(bar), FALSE);
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
  CWnd* bar = GetControlBar(pCmdUI->m_nID);
  pCmdUI->Enable(bar != nullptr);
  if (bar) pCmdUI->SetCheck(IsBarVisible(bar) ? 1 : 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
  int key = VK_SCROLL;
  if (pCmdUI->m_nID == ID_INDICATOR_CAPS) key = VK_CAPITAL;
  if (pCmdUI->m_nID == ID_INDICATOR_NUM) key = VK_NUMLOCK;
  pCmdUI->Enable((::GetKeyState(key) & 1) != 0);
}

// --- commands, menus and prompts ---------------------------------------------------------

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  if (m_pViewActive && m_pViewActive->m_hWnd &&
      m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hAccelTable) return FALSE;
  return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) != 0;
}

void CFrameWnd::OnInitMenuPopup(HMENU hPopup, UINT, BOOL bSysMenu) {
  if (bSysMenu || !hPopup) return;
  UpdateMenuCommands(hPopup, this);
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu) {
  if (nFlags == 0xFFFF && !hMenu) {
    // The menu closed: back to the idle text.
    m_nIDTracking = AFX_IDS_IDLEMESSAGE;
  } else if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP))) {
    m_nIDTracking = 0;
  } else if (nItemID >= 0xF000 && nItemID < 0xF1F0) {
    // A system command: its prompt is one of the framework's strings, one per command.
    m_nIDTracking = ((nItemID - 0xF000) >> 4) + AFX_IDS_SCSIZE;
  } else {
    m_nIDTracking = nItemID;
  }
  if (m_nIDTracking != m_nIDLastMessage) SetMessageText(m_nIDTracking);
}

void CFrameWnd::OnSettingChange(UINT, LPCSTR) { Default(); }

LRESULT CFrameWnd::OnSetFocusMessage(WPARAM, LPARAM) {
  if (m_pViewActive && m_pViewActive->m_hWnd) ::SetFocus(m_pViewActive->m_hWnd);
  return 0;
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
  const UINT previous = m_nIDLastMessage;
  if (wParam)
    SetMessageText(static_cast<UINT>(wParam));
  else
    SetMessageText(reinterpret_cast<const char*>(lParam));
  return previous;
}

std::string CFrameWnd::GetIdleMessageText() {
  CCmdUI state(AFX_IDS_IDLEMESSAGE);
  state.DoUpdate(this, FALSE);
  if (state.m_bTextChanged && !state.m_strText.empty()) return state.m_strText;
  return LoadResourceString(AFX_IDS_IDLEMESSAGE);
}

void CFrameWnd::RefreshIdleMessage() {
  if (m_nIDLastMessage != AFX_IDS_IDLEMESSAGE) return;
  const std::string idle = GetIdleMessageText();
  if (idle != GetMessageText()) SetMessageText(idle.c_str());
  m_nIDLastMessage = AFX_IDS_IDLEMESSAGE;
}

void CFrameWnd::SetMessageText(const char* text) {
  const std::string idle = text ? "" : GetIdleMessageText();
  HWND statusBar = FindDescendant(m_hWnd, AFX_IDW_STATUS_BAR);
  if (statusBar)
    ::SendMessageA(statusBar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : idle.c_str()));
  m_nIDLastMessage = text ? 0 : AFX_IDS_IDLEMESSAGE;
}

void CFrameWnd::SetMessageText(UINT nID) {
  if (nID == AFX_IDS_IDLEMESSAGE) {
    SetMessageText(static_cast<const char*>(nullptr));
    return;
  }
  SetMessageText(PromptOf(nID).c_str());
  m_nIDLastMessage = nID;
}

std::string CFrameWnd::GetMessageText() const {
  HWND statusBar = FindDescendant(m_hWnd, AFX_IDW_STATUS_BAR);
  if (!statusBar) return "";
  // The length may count characters rather than bytes: leave room for two bytes each.
  const LRESULT info = ::SendMessageA(statusBar, SB_GETTEXTLENGTHA, 0, 0);
  std::string text(static_cast<size_t>(LOWORD(info)) * 2 + 2, '\0');
  ::SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(strlen(text.c_str()));
  return text;
}
