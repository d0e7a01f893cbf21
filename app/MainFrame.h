#pragma once
// The program's only top-level window: the tabbed monitor view surrounded by a dockable
// menu bar, a dockable tool bar and a status bar. It fixes the caption, restores and saves
// its window placement ("Settings"/"WindowPos") and its bar layout ("Control Bar State"),
// and re-measures the status bar and the view's tabs when system settings change.
#include <windows.h>

#include "toolkit/StatusBar.h"
#include "toolkit/ToolBar.h"
#include "toolkit/ToolkitFrameWnd.h"

class CMainFrame : public CToolkitFrameWnd {
  ORMIX_DECLARE_DYNCREATE(CMainFrame)

 public:
  CMainFrame();
  ~CMainFrame() override;

  // Loads the saved bar layout, then shows the window with `nCmdShow`.
  void RestoreBarsAndShow(int nCmdShow);
  // The stored placement; FALSE when there is none or it does not hold ten numbers.
  BOOL LoadWindowPlacement(WINDOWPLACEMENT* placement);
  void SaveWindowPlacement(const WINDOWPLACEMENT* placement);
  // Closes the window, as its close box does, but asks nothing about unsaved logs: for an
  // end nobody is at the screen for.
  void CloseWithoutAsking();

  CToolBar m_wndToolBar;
  CStatusBar m_wndStatusBar;

 protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  int OnCreate(LPCREATESTRUCTA cs);
  void OnClose();
  // The session ends: the process may be ended once this returns, so the journals are
  // written out and closed now.
  void OnEndSession(BOOL bEnding);
  void OnSettingChange(UINT uFlags, LPCSTR section);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  bool m_bCloseWithoutAsking = false;
};
