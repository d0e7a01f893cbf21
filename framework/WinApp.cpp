#include "framework/WinApp.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>

#include "threads/ApartmentThread.h"
#include "threads/BoundedWork.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageBox.h"
#include "framework/Profile.h"
#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "framework/SystemFunction.h"
#include "framework/Wnd.h"

ORMIX_IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

ORMIX_BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
  msgmap::Command<&CWinApp::OnAppExit>(ID_APP_EXIT),
  msgmap::Command<&CWinApp::OnFilePrintSetup>(ID_FILE_PRINT_SETUP),
ORMIX_END_MESSAGE_MAP()

namespace {

// How long the program, once its windows are gone, waits for peers that are still being let
// go: long enough for a browser that is merely slow, short enough that exiting never seems
// stuck on one that hangs.
constexpr DWORD kExitReleaseWaitMs = 2000;

CWinApp* g_app = nullptr;
bool g_oleInitialized = false;
bool g_controlContainer = false;

const char kRecentFileSection[] = "Recent File List";
const char kRecentFileEntry[] = "File%u";
const char kSettingsSection[] = "Settings";
const char kPreviewPagesEntry[] = "PreviewPages";

// Messages that do not start a new idle period: repaints, the caret's blink timer, and
// mouse moves that did not move the mouse.
bool IsIdleMessage(const MSG& msg) {
  static POINT lastMouse = {-1, -1};
  if (msg.message == WM_PAINT || msg.message == 0x0118 /* WM_SYSTIMER */) return false;
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    if (msg.pt.x == lastMouse.x && msg.pt.y == lastMouse.y) return false;
    lastMouse = msg.pt;
  }
  return true;
}

}  // namespace

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

HWND AfxGetModalOwner(HWND hWndFrom) {
  if (hWndFrom && ::IsWindow(hWndFrom)) return ::GetAncestor(hWndFrom, GA_ROOT);
  CWnd* main = AfxGetMainWnd();
  if (main && main->IsWindow()) return main->m_hWnd;
  HWND active = ::GetActiveWindow();
  return active ? ::GetAncestor(active, GA_ROOT) : nullptr;
}

BOOL AfxOleInit() {
  if (g_oleInitialized) return TRUE;
  g_oleInitialized = SUCCEEDED(::OleInitialize(nullptr));
  return g_oleInitialized;
}

void AfxEnableControlContainer() { g_controlContainer = true; }
BOOL AfxControlContainerEnabled() { return g_controlContainer; }

void Enable3dControlsStatic() {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                                               ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
}

CWinApp::CWinApp(const char* appName) {
  if (appName) {
    m_strAppName = appName;
    m_pszAppName = m_strAppName.c_str();
  }
  g_app = this;
}

CWinApp::~CWinApp() {
  for (CDocTemplate* t : m_templates) delete t;
  m_templates.clear();
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
  // Offer the message to the window objects from the target window up to the main window.
  HWND hWndStop = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(hWnd))
      if (wnd->PreTranslateMessage(pMsg)) return TRUE;
    if (hWnd == hWndStop) return FALSE;
  }
  // A message for a window outside the main window (a modeless tool window) still gets the
  // main window's accelerators.
  return m_pMainWnd && m_pMainWnd->IsWindow() && m_pMainWnd->PreTranslateMessage(pMsg);
}

BOOL CWinApp::OnIdle(LONG count) {
  if (count == 0) {
    if (m_pMainWnd && m_pMainWnd->IsWindow()) {
      m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
      m_pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE);
    }
    CWnd::DeleteTempMap();
  }
  return FALSE;
}

int CWinApp::Run() {
  MSG msg = {};
  bool idle = true;
  LONG idleCount = 0;
  for (;;) {
    while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    do {
      const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0 || got == -1) return ExitInstance(got == 0 ? static_cast<int>(msg.wParam) : -1);
      if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
      if (IsIdleMessage(msg)) {
        idle = true;
        idleCount = 0;
      }
    } while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  }
}

int CWinApp::ExitInstance(int exitCode) {
  if (m_bProfileLoaded) SaveStdProfileSettings();
  return exitCode;
}

void CWinApp::SetRegistryKey(const char* company) {
  profile::SetKey(company, m_pszAppName ? m_pszAppName : "");
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  m_nMaxMRU = nMaxMRU;
  m_recentFiles.clear();
  for (UINT i = 1; i <= nMaxMRU; ++i) {
    char entry[32];
    std::snprintf(entry, sizeof(entry), kRecentFileEntry, i);
    const std::string path = profile::GetString(kRecentFileSection, entry, "");
    if (!path.empty()) m_recentFiles.push_back(path);
  }
  m_nPreviewPages = profile::GetInt(kSettingsSection, kPreviewPagesEntry, 0);
  m_bProfileLoaded = true;
}

void CWinApp::SaveStdProfileSettings() {
  if (m_nMaxMRU > 0) {
    profile::WriteString(kRecentFileSection, nullptr, nullptr);
    UINT index = 1;
    for (const std::string& path : m_recentFiles) {
      if (path.empty()) continue;
      char entry[32];
      std::snprintf(entry, sizeof(entry), kRecentFileEntry, index++);
      profile::WriteString(kRecentFileSection, entry, path.c_str());
    }
  }
  if (m_nPreviewPages != 0)
    profile::WriteInt(kSettingsSection, kPreviewPagesEntry, static_cast<int>(m_nPreviewPages));
}

std::string AfxFullPath(const char* path) {
  if (!path || !*path) return "";
  char full[MAX_PATH * 2] = "";
  const DWORD length = ::GetFullPathNameA(path, sizeof(full), full, nullptr);
  return length > 0 && length < sizeof(full) ? std::string(full, length) : std::string(path);
}

void CWinApp::AddToRecentFileList(const char* pathGiven) {
  if (!pathGiven || !*pathGiven || m_nMaxMRU == 0) return;
  // The list names files wherever the program is started later: never relative to a folder.
  const std::string fullPath = AfxFullPath(pathGiven);
  const char* path = fullPath.c_str();
  for (auto it = m_recentFiles.begin(); it != m_recentFiles.end(); ++it) {
    if (::lstrcmpiA(it->c_str(), path) == 0) {
      m_recentFiles.erase(it);
      break;
    }
  }
  m_recentFiles.insert(m_recentFiles.begin(), path);
  if (m_recentFiles.size() > m_nMaxMRU) m_recentFiles.resize(m_nMaxMRU);
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate) m_templates.push_back(pTemplate);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
  const std::vector<std::string> args = SplitCommandLine(m_strCmdLine.c_str());
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool flag = !arg.empty() && (arg[0] == '/' || arg[0] == '-');
    info.ParseParam(flag ? arg.c_str() + 1 : arg.c_str(), flag, i + 1 == args.size());
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  if (info.m_nShellCommand == CCommandLineInfo::FileNothing) return TRUE;
  CDocTemplate* docTemplate = m_templates.empty() ? nullptr : m_templates.front();
  const char* caption = m_pszAppName ? m_pszAppName : "";
  if (info.m_nShellCommand == CCommandLineInfo::FileNew) {
    if (docTemplate && docTemplate->OpenDocumentFile(nullptr)) return TRUE;
    ShowMessageBox(nullptr, LoadResourceString(AFX_IDP_FAILED_TO_CREATE_DOC).c_str(), caption,
                   MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  if (docTemplate && docTemplate->OpenDocumentFile(info.m_strFileName.c_str())) return TRUE;
  // The message names the file: "%1" in the string stands for its path.
  std::string text = LoadResourceString(AFX_IDP_FAILED_TO_OPEN_DOC);
  const size_t mark = text.find("%1");
  if (mark != std::string::npos) text.replace(mark, 2, info.m_strFileName);
  ShowMessageBox(nullptr, text.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}

std::string CWinApp::GetProfileString(const char* section, const char* entry, const char* def) {
  return profile::GetString(section, entry, def);
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
  return profile::WriteString(section, entry, value);
}

BOOL CWinApp::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd && m_pMainWnd->IsWindow()) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnFilePrintSetup() {
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  pd.Flags = PD_PRINTSETUP;
  using Run = decltype(&::PrintDlgA);
  static const Run run = SystemFunction<Run>("comdlg32.dll", "PrintDlgA");
  if (run && run(&pd)) {
    if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
  }
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = hInstance;
  app->m_nCmdShow = nCmdShow;
  app->m_strCmdLine = lpCmdLine ? lpCmdLine : "";
  static std::string title;
  if (!app->m_pszAppName) {
    title = LoadResourceString(AFX_IDS_APP_TITLE);
    app->m_pszAppName = title.c_str();
  }
  int exitCode = -1;
  try {
    if (app->InitInstance()) {
      exitCode = app->Run();
    } else {
      if (app->m_pMainWnd && app->m_pMainWnd->IsWindow()) app->m_pMainWnd->DestroyWindow();
      exitCode = app->ExitInstance(-1);
    }
  } catch (...) {
    exitCode = -1;
  }
  // Peers being let go on worker threads (a browser's connection) get a short while to
  // answer. One that does not is left behind as the process ends: closing this apartment
  // would release its proxies, and each release waits for that peer.
  const bool settled = CBoundedWorkBase::WaitForOutstanding(kExitReleaseWaitMs);
  // Every connection has let go of its browser: the apartments their events came into end.
  if (settled) CApartmentThread::EndAll(kExitReleaseWaitMs);
  if (g_oleInitialized && settled) {
    ::OleUninitialize();
    g_oleInitialized = false;
  }
  return exitCode;
}
