#pragma once
// A frame window: a top-level window that hosts a view in its client area, surrounded by
// control bars (tool bar, status bar). LoadFrame creates it from a resource id (caption
// from the string resource's first field, icon, menu, accelerators); its creation makes the
// view named in the create context. Commands go to the active view first, then to the
// frame's own map, then to the application. The frame shows command prompts in its status
// bar, keeps menus' command states current when they drop down, and toggles its tool bar
// and status bar (ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR). Frames live on the heap: the
// object deletes itself when its window is gone.
#include <string>

#include "framework/CreateContext.h"
#include "framework/Wnd.h"

class CView;
class CDocument;
class CCmdUI;

// Frame styles beyond the window styles.
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class CFrameWnd : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CFrameWnd)

 public:
  CFrameWnd();
  ~CFrameWnd() override;

  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                         CCreateContext* pContext);
  // Gives the active view its OnInitialUpdate, then shows the frame if bMakeVisible.
  virtual void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
  // Shows the frame with `nCmdShow` (-1: SW_SHOW, or SW_RESTORE when minimised) and brings
  // it to the front.
  virtual void ActivateFrame(int nCmdShow = -1);

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* pView) { m_pViewActive = pView; }
  CDocument* GetActiveDocument() const;

  // Places the bars along the edges and the view in the remaining client area. bNotify
  // also lets the bars re-measure themselves (after a font change).
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  // Shows `text` in the status bar's message pane (NULL: the idle text).
  void SetMessageText(const char* text);
  // The idle text: what an update handler of AFX_IDS_IDLEMESSAGE on the command route sets
  // with SetText (a view telling what it shows), else the string resource.
  std::string GetIdleMessageText();
  // Shows the idle text again if the message pane shows it and it has changed; run at idle
  // time, so that the text follows what it tells of.
  void RefreshIdleMessage();
  // Shows the prompt of string resource `nID` (the text before "\n"; 0: empty).
  void SetMessageText(UINT nID);
  // The text of the status bar's message pane ("" without a status bar).
  std::string GetMessageText() const;

  // The control bar with window id `nID` among the frame's descendants, or NULL.
  virtual CWnd* GetControlBar(UINT nID);
  // Shows or hides a bar and lays the frame out again.
  virtual void ShowControlBar(CWnd* pBar, BOOL bShow, BOOL bDelay = FALSE);
  static BOOL IsBarVisible(const CWnd* pBar) {
    return pBar && pBar->m_hWnd && (pBar->GetStyle() & WS_VISIBLE) != 0;
  }

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  // The frame class of the resource id's icon, for a frame whose PreCreateWindow chose none.
  BOOL RegisterDefaultClass(CREATESTRUCTA& cs) override;
  // Creates the view of the context's view class as the active view.
  virtual BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* pContext);
  // Whether LoadFrame gives the window the menu of its resource as a system menu bar. A
  // frame that shows its menu some other way returns FALSE.
  virtual BOOL UsesWindowMenu() const { return TRUE; }
  void PostNcDestroy() override;

  // Handlers that derived classes' entries may call first.
  int OnCreate(LPCREATESTRUCTA cs);
  // Hides the frame, then closes its document, which destroys the frame and its views.
  void OnClose();
  void OnDestroy();
  void OnSize(UINT type, int cx, int cy);
  void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu);
  void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);
  void OnSettingChange(UINT uFlags, LPCSTR section);
  LRESULT OnSetFocusMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
  void OnBarCheck(UINT nID);
  void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
  void OnUpdateKeyIndicator(CCmdUI* pCmdUI);

  UINT m_nIDResource = 0;
  HACCEL m_hAccelTable = nullptr;
  std::string m_strTitle;  // the first field of the frame's string resource
  CView* m_pViewActive = nullptr;
  UINT m_nIDTracking = 0;     // the menu item whose prompt should show
  UINT m_nIDLastMessage = 0;  // the prompt that shows
  BOOL m_bInRecalcLayout = FALSE;

  ORMIX_DECLARE_MESSAGE_MAP()
};
