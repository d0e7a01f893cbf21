#include "app/MainFrame.h"

#include <cstdio>
#include <string>

#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "framework/WinApp.h"
#include "framework/WindowPlacement.h"
#include "logview/MeasureText.h"
#include "res/resource.h"
#include "toolkit/ControlBarStyles.h"
#include "toolkit/ToolkitSettings.h"
#include "view/OrmixView.h"

ORMIX_IMPLEMENT_DYNCREATE(CMainFrame, CToolkitFrameWnd)

ORMIX_BEGIN_MESSAGE_MAP(CMainFrame, CToolkitFrameWnd)
  msgmap::Create<&CMainFrame::OnCreate>(),
  msgmap::Close<&CMainFrame::OnClose>(),
  msgmap::EndSession<&CMainFrame::OnEndSession>(),
  msgmap::SettingChange<&CMainFrame::OnSettingChange>(),
ORMIX_END_MESSAGE_MAP()

namespace {

const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

const char kCaption[] = "Ormix for Internet Explorer";
const char kSettingsSection[] = "Settings";
const char kWindowPosEntry[] = "WindowPos";
const char kBarStateProfile[] = "Control Bar State";
const char kWindowPosFormat[] = "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i";
const char kFrameClass[] = "OrmixMainFrame";

constexpr DWORD kBarStyle =
    WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
constexpr RECT kNoBorders = {0, 0, 0, 0};

}  // namespace

CMainFrame::CMainFrame() {
  CToolkitSettings& settings = CToolkitSettings::Get();
  settings.SetFlatBars(true);
  settings.SetMenuImages(true);
  settings.SetMenuImageGap(5);
}

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style &= ~static_cast<LONG>(FWS_ADDTOTITLE);
  if (!CToolkitFrameWnd::PreCreateWindow(cs)) return FALSE;
  WNDCLASSA wc = {};
  if (!::GetClassInfoA(cs.hInstance, kFrameClass, &wc)) {
    wc.style = 0;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = cs.hInstance;
    wc.hIcon = ::LoadIconA(cs.hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.lpszClassName = kFrameClass;
    if (!::RegisterClassA(&wc)) return FALSE;
  }
  cs.lpszClass = kFrameClass;
  return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCTA cs) {
  SetWindowText(kCaption);
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  if (LoadWindowPlacement(&placement)) {
    const RECT r = PlacementToScreen(placement.rcNormalPosition);
    ::SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (CToolkitFrameWnd::OnCreate(cs) == -1) return -1;

  if (!m_wndMenuBar.CreateEx(this, TBSTYLE_FLAT, kBarStyle, kNoBorders, ID_MENUBAR) ||
      !m_wndMenuBar.LoadMenuBar(IDR_MAINFRAME))
    return -1;
  if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, kBarStyle, kNoBorders, AFX_IDW_TOOLBAR) ||
      !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
    return -1;
  if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
      !m_wndStatusBar.SetIndicators(indicators, static_cast<int>(std::size(indicators))))
    return -1;

  m_wndMenuBar.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM, 0);
  m_wndToolBar.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM, CBRS_EX_FLATLOOK);
  EnableDocking(CBRS_ALIGN_ANY, CBRS_EX_FLATLOOK);
  DockControlBar(&m_wndMenuBar);
  DockControlBar(&m_wndToolBar);
  EnableMenuImages(IDR_MAINFRAME);
  return 0;
}

void CMainFrame::OnClose() {
  // Logs that would be lost are asked about once, for every tab, before anything closes.
  if (auto* view = dynamic_cast<COrmixView*>(GetActiveView());
      view && !m_bCloseWithoutAsking && !view->ConfirmDiscardAll())
    return;
  SaveBarState(kBarStateProfile);
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  if (::GetWindowPlacement(m_hWnd, &placement)) {
    if (::IsZoomed(m_hWnd)) placement.flags |= WPF_RESTORETOMAXIMIZED;
    SaveWindowPlacement(&placement);
  }
  // The framework's close: the document is closed, which destroys this frame and the view.
  CToolkitFrameWnd::OnClose();
}

void CMainFrame::CloseWithoutAsking() {
  m_bCloseWithoutAsking = true;
  PostMessage(WM_CLOSE);
}

void CMainFrame::OnEndSession(BOOL bEnding) {
  if (!bEnding) return;
  auto* view = dynamic_cast<COrmixView*>(GetActiveView());
  if (!view) return;
  // The process may be ended at any moment from now: the traces of every row received are
  // written before the journals close.
  view->DeliverReceivedEvents();
  view->WritePendingTraces();
  view->EndJournals();
}

BOOL CMainFrame::LoadWindowPlacement(WINDOWPLACEMENT* placement) {
  CWinApp* app = AfxGetApp();
  if (!app || !placement) return FALSE;
  const std::string text = app->GetProfileString(kSettingsSection, kWindowPosEntry, nullptr);
  if (text.empty()) return FALSE;
  int v[10] = {};
  if (std::sscanf(text.c_str(), kWindowPosFormat, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                  &v[7], &v[8], &v[9]) != 10)
    return FALSE;
  placement->flags = static_cast<UINT>(v[0]);
  placement->showCmd = static_cast<UINT>(v[1]);
  placement->ptMinPosition = POINT{v[2], v[3]};
  placement->ptMaxPosition = POINT{v[4], v[5]};
  placement->rcNormalPosition = RECT{v[6], v[7], v[8], v[9]};
  return TRUE;
}

void CMainFrame::SaveWindowPlacement(const WINDOWPLACEMENT* placement) {
  CWinApp* app = AfxGetApp();
  if (!app || !placement) return;
  char text[200];
  std::snprintf(text, sizeof(text), kWindowPosFormat, static_cast<int>(placement->flags),
                static_cast<int>(placement->showCmd), static_cast<int>(placement->ptMinPosition.x),
                static_cast<int>(placement->ptMinPosition.y),
                static_cast<int>(placement->ptMaxPosition.x),
                static_cast<int>(placement->ptMaxPosition.y),
                static_cast<int>(placement->rcNormalPosition.left),
                static_cast<int>(placement->rcNormalPosition.top),
                static_cast<int>(placement->rcNormalPosition.right),
                static_cast<int>(placement->rcNormalPosition.bottom));
  app->WriteProfileString(kSettingsSection, kWindowPosEntry, text);
}

void CMainFrame::OnSettingChange(UINT uFlags, LPCSTR section) {
  // The toolkit frame reads the system's fonts again, gives the menu bar and the status bar
  // theirs and only then deletes the fonts they replace.
  CToolkitFrameWnd::OnSettingChange(uFlags, section);
  if (m_wndStatusBar.IsWindow()) {
    for (int i = 0; i < m_wndStatusBar.GetCount(); ++i) {
      const UINT id = m_wndStatusBar.GetItemID(i);
      if (id == 0) continue;
      const std::string text = LoadResourceString(id);
      if (text.empty()) continue;
      int width = 0;
      int height = 0;
      MeasureText(m_wndStatusBar.m_hWnd, m_wndStatusBar.GetFont(), text.c_str(), width, height);
      m_wndStatusBar.SetPaneWidth(i, width + 2);
    }
    m_wndStatusBar.RepositionPaneWindows();
  }
  if (auto* view = dynamic_cast<COrmixView*>(GetActiveView())) view->ReapplyTabWidthStyle();
  RecalcLayout(TRUE);
}

void CMainFrame::RestoreBarsAndShow(int nCmdShow) {
  LoadBarState(kBarStateProfile);
  ShowWindow(nCmdShow);
}
