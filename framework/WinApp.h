#pragma once
// The application object: exactly one exists, as a global constructed before the entry
// point runs. AfxWinMain calls InitInstance, then Run (the message loop with idle-time
// command-state updates), then ExitInstance. It keeps the document templates, the main
// window, the profile key and the recent-file list, and handles the framework's default
// application commands (ID_APP_EXIT, ID_FILE_PRINT_SETUP).
#include <string>
#include <vector>

#include "framework/CmdTarget.h"

class CDocTemplate;
class CWnd;
class CCommandLineInfo;

class CWinApp : public CCmdTarget {
  ORMIX_DECLARE_DYNAMIC(CWinApp)

 public:
  // Without a name, the name is string resource AFX_IDS_APP_TITLE.
  explicit CWinApp(const char* appName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int Run();
  // Idle-time work; `count` is the number of calls since the last message. TRUE for more.
  virtual BOOL OnIdle(LONG count);
  // Saves the standard profile settings; returns the program's exit code.
  virtual int ExitInstance(int exitCode = 0);
  virtual BOOL PreTranslateMessage(MSG* pMsg);

  void SetRegistryKey(const char* company);
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  void SaveStdProfileSettings();
  void AddDocTemplate(CDocTemplate* pTemplate);
  void ParseCommandLine(CCommandLineInfo& info);
  BOOL ProcessShellCommand(CCommandLineInfo& info);
  virtual void AddToRecentFileList(const char* path);
  const std::vector<std::string>& GetRecentFiles() const { return m_recentFiles; }

  std::string GetProfileString(const char* section, const char* entry, const char* def = "");
  BOOL WriteProfileString(const char* section, const char* entry, const char* value);

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) override;

  const char* m_pszAppName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  int m_nCmdShow = SW_SHOWDEFAULT;
  std::string m_strCmdLine;

 protected:
  void OnAppExit();
  void OnFilePrintSetup();

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  std::string m_strAppName;
  std::vector<CDocTemplate*> m_templates;
  std::vector<std::string> m_recentFiles;
  UINT m_nMaxMRU = 0;
  UINT m_nPreviewPages = 0;
  bool m_bProfileLoaded = false;
};

CWinApp* AfxGetApp();
// Initialises OLE for the user-interface thread; it is shut down again when AfxWinMain
// returns. FALSE when OLE refused.
BOOL AfxOleInit();
// Lets dialogs host controls; the framework's dialogs hold only system controls, so this
// only records that the program asked for it.
void AfxEnableControlContainer();
BOOL AfxControlContainerEnabled();
// Registers the common control classes (tab, bars, list views) with their 3-D look.
void Enable3dControlsStatic();
// The full path of `path` as the current folder makes it; `path` itself if it has none.
std::string AfxFullPath(const char* path);
// The application's main window, or NULL.
CWnd* AfxGetMainWnd();
// The window that should own a modal dialog or message box raised from `hWndFrom`: its
// top-level window; without one, the main window, else the active window's top-level
// window. Owned, the frame is disabled while the dialog is open, so nothing under the
// dialog (a tab, a log) can be closed from under it.
HWND AfxGetModalOwner(HWND hWndFrom = nullptr);
// The framework's entry: runs the one application object. Called from WinMain.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
