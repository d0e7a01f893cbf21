#pragma once
// A view whose window is itself a tab control ("SysTabControl32") and which keeps, for
// every tab, the window shown while that tab is selected. The tab windows are children of
// the tab control, placed in its display area; a small close button at the right end of
// the strip, shown while a tab exists, sends ID_TAB_CLOSE_BUTTON to the view. When the tabs
// overflow, the control's scroll arrows sit left of the close button. Commands and
// command-state updates go to the selected tab's window first, then to the view. Derived
// views add their tabs with InsertTab and take them away with RemoveTabWindow/RemoveTabAt.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/View.h"
#include "toolkit/ImageMenus.h"
#include "toolkit/TabCloseButton.h"
#include "toolkit/TabScrollArrows.h"

class CTabView : public CCtrlView {
  ORMIX_DECLARE_DYNAMIC(CTabView)

 public:
  // The tab item text holds at most this many bytes, terminating zero included.
  static constexpr size_t kLabelBufferSize = 256;
  // The narrowest a tab's tool tip wraps at, in pixels.
  static constexpr int kMinToolTipWidth = 240;

  CTabView();
  ~CTabView() override;

  // Makes `pWnd` a child of the tab control, adds a tab labelled `label` with icon `nImage`
  // at `nPos` (-1: at the end) and selects it. Returns the tab's index, or -1.
  int InsertTab(const char* label, CWnd* pWnd, int nPos = -1, int nImage = 0);
  // The window of tab `nIndex`, or NULL when the index is out of range or the window is gone.
  CWnd* TabWindow(int nIndex) const;
  CWnd* ActiveTabWindow() const;
  // Selects tab `nIndex` and shows, enables and focuses its window; the others' windows are
  // hidden and disabled. Does nothing for an index out of range.
  void ActivateTab(int nIndex);
  // Removes the tab holding `pWnd` as RemoveTabAt does; nothing when no tab holds it.
  void RemoveTabWindow(CWnd* pWnd, BOOL bDestroy);
  // Hides (or destroys) the tab's window, deletes the tab and selects a remaining one: the
  // new first tab when tab 0 went, else the tab to the left. Nothing when out of range.
  void RemoveTabAt(int nIndex, BOOL bDestroy);
  // The tab under a point in client coordinates, -1 for none.
  int TabFromPoint(int x, int y) const;
  // Removes and adds tab control style bits; re-lays out the tabs if the style changed.
  void ChangeTabStyle(DWORD dwRemove, DWORD dwAdd);
  // Label and tool tip of the tab holding `pWnd`; nothing for empty text or no such tab.
  void SetTabLabelFor(CWnd* pWnd, const char* text);
  // Shows icon `nImage` of the strip's image list on the tab holding `pWnd`.
  void SetTabImageFor(CWnd* pWnd, int nImage);
  // Draws the pop-up menus this view tracks (its context menus) in the toolkit's style,
  // with the images of TOOLBAR resource `nIDToolBar` beside the commands that have one.
  BOOL AttachMenuDrawing(UINT nIDToolBar) { return m_menuImages.Load(nIDToolBar); }
  // Whether labels that do not fit the strip are shortened with "..." (on by default); tabs
  // already there follow the new rule at once. Either way, no label is shown wider than
  // kMaxLabelChars average characters: a longer one is cut, and its tool tip shows it whole.
  void SetShortenLabels(BOOL bShorten);
  static constexpr int kMaxLabelChars = 24;
  // The close button's tool tip: string resource `nIDText`.
  void SetCloseButtonTip(UINT nIDText);

  int GetTabCount() const { return static_cast<int>(m_tabs.size()); }
  int GetActiveTab() const;
  const std::string& TabToolTip(int nIndex) const { return m_tabs[static_cast<size_t>(nIndex)].toolTip; }
  // The tab strip's tool tip window; made when the first tab is added (NULL before).
  HWND GetToolTips() const { return m_hWndToolTip; }
  HWND GetCloseButton() const { return m_wndClose.m_hWnd; }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) override;

  // Cuts `text` to at most kLabelBufferSize - 1 bytes without splitting a double-byte
  // character of the ANSI code page.
  static std::string FitLabel(const char* text);

 protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  int OnCreate(LPCREATESTRUCTA cs);
  void OnDestroy();
  void OnSize(UINT type, int cx, int cy);
  void OnSelChange(NMHDR* header, LRESULT* result);
  LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
  void OnMouseMove(UINT keys, POINT pt);
  void OnLButtonDown(UINT keys, POINT pt);
  void OnLButtonUp(UINT keys, POINT pt);
  LRESULT OnSetFontMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNotifyFormat(WPARAM wParam, LPARAM lParam);
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
  LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
  LRESULT OnParentNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);

  // Places the selected tab's window and the close button, and the tabs' tool rectangles.
  void RecalcTabLayout();
  // Given the display area before the selected tab's window is placed in it (also with no
  // tab): a derived view may place windows of its own in part of it and leave the tab's
  // window the rest. The default leaves it all to the tab's window.
  virtual void LayOutDisplayArea(RECT& display) { (void)display; }

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  struct TabRecord {
    HWND hWnd;
    std::string label;
    std::string toolTip;
    int nImage;
  };

  int IndexOfWindow(HWND hWnd) const;
  void SetItemText(int nIndex, const std::string& text);
  void UpdateItemSizes();
  // Gives the tabs' tools the visible parts of the tabs, as the strip now shows them.
  void UpdateToolRects();
  // Makes the strip's tool tip and hands it to the control, once.
  BOOL EnsureToolTip();
  void AddCloseButtonTool();
  // Lets the strip's tool tip see the pointer, then runs the control's own handling.
  void RelayToToolTip(UINT message, UINT keys, POINT pt);

  std::vector<TabRecord> m_tabs;
  CTabCloseButton m_wndClose;
  CTabScrollArrows m_wndArrows;
  HWND m_hWndToolTip = nullptr;
  BOOL m_bShortenLabels = TRUE;
  BOOL m_bToolTipStyle = FALSE;
  size_t m_nTools = 0;
  std::string m_strCloseTip;
  CImageMenus m_menuImages;
};
