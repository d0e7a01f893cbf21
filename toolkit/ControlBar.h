#pragma once
// Base of the toolkit's bars (menu bar, tool bar, status bar): a common control window
// with bar styles (CBRS_*), the edges where it may dock, and an idle-time refresh of its
// command states. A bar created on a toolkit frame registers itself with the frame, which
// lays it out, refreshes it at idle time and saves its place.
#include <windows.h>

#include "framework/Wnd.h"

class CFrameWnd;
class CToolkitFrameWnd;

class CControlBar : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CControlBar)

 public:
  CControlBar();
  ~CControlBar() override;

  DWORD GetBarStyle() const { return m_dwStyle; }
  // The edges where the bar may dock (CBRS_ALIGN_*) and its docked look (CBRS_EX_FLATLOOK).
  void EnableDocking(DWORD dwDockStyle, DWORD dwFlags = 0);
  DWORD GetDockStyle() const { return m_dwDockStyle; }
  DWORD GetDockFlags() const { return m_dwDockFlags; }
  BOOL IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE) != 0; }

  // The size the bar needs along a horizontal edge.
  virtual SIZE CalcFixedLayout();
  // Lays the bar out for a row `cx` pixels wide; a bar that can wrap onto more rows does.
  virtual void FitToWidth(int cx);
  // Refreshes the bar's items from the command route of `pTarget`.
  virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler);

 protected:
  // Creates the control of `className` with the window part of dwStyle and keeps its bar
  // part; registers the bar with its frame.
  BOOL CreateBar(CWnd* pParent, LPCSTR className, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID);
  void OnDestroy();

  friend class CToolkitFrameWnd;

  DWORD m_dwStyle = 0;
  DWORD m_dwDockStyle = 0;
  DWORD m_dwDockFlags = 0;
  CFrameWnd* m_pFrame = nullptr;
  CToolkitFrameWnd* m_pToolkitFrame = nullptr;

  ORMIX_DECLARE_MESSAGE_MAP()
};
