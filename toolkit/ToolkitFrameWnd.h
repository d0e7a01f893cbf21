#pragma once
// The toolkit's frame window: a frame whose menu is shown in a dockable menu bar
// (m_wndMenuBar) instead of the system's, with dock areas along the top and bottom edges
// for its bars, a status bar at the bottom, a saved bar layout, idle-time refreshing of
// every bar and menus drawn with tool bar images. A derived frame creates its bars in
// OnCreate, then:
//   EnableDocking(CBRS_ALIGN_ANY, CBRS_EX_FLATLOOK);
//   DockControlBar(&m_wndMenuBar);
//   DockControlBar(&m_wndToolBar);
//   EnableMenuImages(IDR_MAINFRAME);
// and calls LoadBarState / SaveBarState with a profile name when it opens and closes.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/FrameWnd.h"
#include "toolkit/ControlBar.h"
#include "toolkit/DockBar.h"
#include "toolkit/ImageMenus.h"
#include "toolkit/MenuBar.h"

class CToolkitFrameWnd : public CFrameWnd {
  ORMIX_DECLARE_DYNAMIC(CToolkitFrameWnd)

 public:
  // Where one bar is: what the saved layout holds per bar.
  struct BarPlace {
    UINT nID;
    DWORD dwEdge;  // CBRS_ALIGN_TOP or CBRS_ALIGN_BOTTOM; 0 for a bar that does not dock
    int nIndex;    // band order within the edge
    BOOL bBreak;   // starts a new row
    int cx;        // band width
    BOOL bVisible;
  };

  CToolkitFrameWnd();
  ~CToolkitFrameWnd() override;

  CMenuBar m_wndMenuBar;

  // Creates the dock areas for the edges in dwDockStyle (top and bottom; bars do not dock
  // at the sides), flat with CBRS_EX_FLATLOOK.
  void EnableDocking(DWORD dwDockStyle, DWORD dwFlags = 0);
  // Docks the bar at `dwEdge` (0: the edge its CBRS_ALIGN_* style names), on a row of its
  // own after the bars docked there before.
  BOOL DockControlBar(CControlBar* pBar, DWORD dwEdge = 0);
  // Moves the bar with window id `nID` to the other dock area, if it may dock there.
  BOOL MoveBarToEdge(UINT nID, DWORD dwEdge);
  CDockBar* GetDockBar(DWORD dwEdge);

  CWnd* GetControlBar(UINT nID) override;
  void ShowControlBar(CWnd* pBar, BOOL bShow, BOOL bDelay = FALSE) override;
  void RecalcLayout(BOOL bNotify = TRUE) override;

  // The places of all bars, and moving them back there. SetBarLayout changes nothing and
  // returns FALSE for a layout that names an unknown bar or is inconsistent; it always
  // shows the menu bar, whatever the layout says.
  std::vector<BarPlace> GetBarLayout();
  BOOL SetBarLayout(const std::vector<BarPlace>& places);
  // The layout under the profile section `profileName`. A missing or unusable one leaves
  // (or puts back) the bars where they were docked at first.
  virtual void SaveBarState(const char* profileName);
  virtual void LoadBarState(const char* profileName);

  // Draws the frame's menus with the images of TOOLBAR resource `nIDToolBar`.
  BOOL EnableMenuImages(UINT nIDToolBar);

  // Called by the bars as they are created and destroyed.
  void AddControlBar(CControlBar* pBar);
  void RemoveControlBar(CControlBar* pBar);

  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  BOOL UsesWindowMenu() const override { return FALSE; }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
  void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu);
  LRESULT OnUninitMenuPopup(WPARAM wParam, LPARAM lParam);
  void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);
  LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
  LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  // Reads the system's fonts again and hands them to the menu bar and the status bars before
  // the fonts they replace are deleted. A derived frame's handler calls it first.
  void OnSettingChange(UINT uFlags, LPCSTR section);
  // Deactivation, focus loss and cancel-mode end the menu bar's keyboard mode.
  LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnLoseInput(WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  CControlBar* FindBar(UINT nID) const;
  CDockBar* DockBarOf(const CControlBar* pBar);
  // Keeps the current layout as the default (bNow), or only when none is known yet.
  void RememberDefaultLayout(BOOL bNow);

  CDockBar m_dockTop;
  CDockBar m_dockBottom;
  CImageMenus m_imageMenus;
  std::vector<CControlBar*> m_bars;
  std::vector<BarPlace> m_defaultLayout;
  BOOL m_bDefaultLayoutKnown = FALSE;
  std::string m_strToolTip;     // the text a tool tip asked for, alive until the next one
  std::wstring m_wstrToolTip;
};
