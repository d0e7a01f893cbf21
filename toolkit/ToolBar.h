#pragma once
// A tool bar: the common tool bar control with flat 16x15 buttons loaded from a TOOLBAR
// resource and the bitmap of the same id. With CBRS_TOOLTIPS its buttons show the tool tip
// part of their command's string (after "\n"); with CBRS_FLYBY the frame's status bar shows
// the prompt of the button under the pointer. At idle time the buttons' enabled and checked
// states follow the frame's command route, with commands that have no handler disabled.
//   m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS);
//   m_wndToolBar.LoadToolBar(IDR_MAINFRAME);
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/StandardIds.h"
#include "toolkit/ControlBar.h"
#include "toolkit/ControlBarStyles.h"

class CToolBar : public CControlBar {
  ORMIX_DECLARE_DYNAMIC(CToolBar)

 public:
  CToolBar();
  ~CToolBar() override;

  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                RECT rcBorders = RECT{0, 0, 0, 0}, UINT nID = AFX_IDW_TOOLBAR);
  // Adds the buttons of TOOLBAR resource `nIDResource` with the images of its bitmap.
  BOOL LoadToolBar(UINT nIDResource);

  int GetCount() const;
  // The command of button `nIndex` (0 for a separator).
  UINT GetItemID(int nIndex) const;
  int CommandToIndex(UINT nID) const;
  void GetItemRect(int nIndex, RECT* rect) const;
  HIMAGELIST GetImageList() const { return m_hImageList; }

  SIZE CalcFixedLayout() override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;

 protected:
  void OnHotItemChange(NMHDR* header, LRESULT* result);
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);

  HIMAGELIST m_hImageList = nullptr;

  ORMIX_DECLARE_MESSAGE_MAP()
};
