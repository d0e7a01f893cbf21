#pragma once
// A status bar: the common status bar control with one pane per indicator id. Pane 0 (id
// ID_SEPARATOR) stretches and shows the frame's messages; every other pane is as wide as its
// string resource's text and shows that text while its command is enabled (the key
// indicators CAP, NUM and SCRL while the key's toggle is on), refreshed at idle time. A
// pane's width is the width of its text area: the bar adds the pane's borders. Windows may
// live in panes; RepositionPaneWindows moves them back into their panes.
//   m_wndStatusBar.Create(this);
//   m_wndStatusBar.SetIndicators(indicators, 4);
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/StandardIds.h"
#include "toolkit/ControlBar.h"
#include "toolkit/ControlBarStyles.h"

// Pane styles.
constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = 0x0100;
constexpr UINT SBPS_POPOUT = 0x0200;
constexpr UINT SBPS_DISABLED = 0x04000000;
constexpr UINT SBPS_STRETCH = 0x08000000;

class CStatusBar : public CControlBar {
  ORMIX_DECLARE_DYNAMIC(CStatusBar)

 public:
  // Pixels a pane adds around its text area, three on each side.
  static constexpr int kPaneBorder = 6;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
              UINT nID = AFX_IDW_STATUS_BAR);
  // One pane per id; ID_SEPARATOR panes have no text of their own.
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

  int GetCount() const { return static_cast<int>(m_panes.size()); }
  UINT GetItemID(int nIndex) const;
  int CommandToIndex(UINT nID) const;
  void SetPaneWidth(int nIndex, int cxWidth);
  UINT GetPaneStyle(int nIndex) const;
  void SetPaneStyle(int nIndex, UINT nStyle);
  BOOL SetPaneText(int nIndex, const char* text, BOOL bUpdate = TRUE);
  // The text the pane shows.
  std::string GetPaneText(int nIndex) const;
  // The pane's rectangle in the bar's client area.
  void GetItemRect(int nIndex, RECT* rect) const;
  // The width of `text` in the bar's current font.
  int MeasureText(const char* text) const;

  // Keeps `hWnd` inside pane `nIndex` (NULL removes it).
  void SetPaneWindow(int nIndex, HWND hWnd);
  // Moves the windows that live in panes back into their panes.
  void RepositionPaneWindows();

  SIZE CalcFixedLayout() override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;

 protected:
  void OnSize(UINT type, int cx, int cy);
  LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  struct Pane {
    UINT nID = 0;
    UINT nStyle = 0;
    int cxText = 0;
    std::string text;
    HWND hWndInPane = nullptr;
  };
  // Turns the panes' text widths into part edges and shows their texts.
  void UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText);
  void ShowPaneText(int nIndex);

  std::vector<Pane> m_panes;
};
