#pragma once
// A static text control of a dialog turned into a clickable link: bind it with DDX_Control,
// then set its target (SetLinkUrl) and underline mode. It draws its text in link, visited or
// hover colour, shows a hand pointer and a tool tip with the target, and on a click opens
// the target through the shell (or the browser registered for ".htm"), reporting a failure
// in a message box.
#include <windows.h>

#include <string>

#include "framework/Font.h"
#include "framework/Static.h"
#include "framework/ToolTipCtrl.h"

class CHyperLink : public CStatic {
 public:
  // The shell call and the fallback's process start, replaceable so that tests see the
  // calls instead of starting programs. Same arguments and results as ShellExecuteA and
  // WinExec.
  using ShellExecuteFn = HINSTANCE (*)(HWND hWnd, const char* verb, const char* file,
                                       const char* parameters, const char* directory, int show);
  using WinExecFn = UINT (*)(const char* commandLine, UINT show);
  // Each returns the previous function; NULL restores the system's.
  static ShellExecuteFn SetShellExecuteHook(ShellExecuteFn hook);
  static WinExecFn SetWinExecHook(WinExecFn hook);

  CHyperLink();
  ~CHyperLink() override;

  // The target opened on a click; the window text stays as it is.
  void SetLinkUrl(const char* url);
  const std::string& GetLinkUrl() const { return m_strURL; }
  // 1: always underlined; -1: underlined while the pointer is over the text; other: never.
  void SetUnderlineMode(int nMode);
  void SetVisitedState(BOOL bVisited);

  BOOL DestroyWindow() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  void PreSubclassWindow() override;

  HBRUSH CtlColor(HDC hDC);
  BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message);
  void OnMouseMove(UINT nFlags, POINT point);
  void OnTimer(UINT_PTR nIDEvent);
  void OnClicked();
  BOOL OnEraseBkgnd(HDC hDC);

  // Shrinks the window to its text (plus border), keeping the text's alignment.
  void FitToText();
  void LoadHandCursor();
  // Opens `url`; a shell-style result, success above 32.
  INT_PTR OpenLink(const char* url, int nShowCmd);
  // The default value of `subKey` under `root`, a string of less than MAX_PATH bytes, into
  // `value` (left unchanged on failure). ERROR_SUCCESS, or why the value was not taken.
  static LONG QueryRegistryDefault(HKEY root, const char* subKey, std::string& value);
  void ShowOpenFailure(int nCode);

  COLORREF m_crLinkColour = RGB(0, 0, 238);
  COLORREF m_crVisitedColour = RGB(85, 26, 139);
  COLORREF m_crHoverColour = RGB(255, 0, 0);
  BOOL m_bOverControl = FALSE;
  BOOL m_bVisited = FALSE;
  int m_nUnderline = -1;
  BOOL m_bAdjustToFit = TRUE;
  std::string m_strURL;
  CFont m_UnderlineFont;
  CFont m_StdFont;
  HCURSOR m_hLinkCursor = nullptr;
  CToolTipCtrl m_ToolTip;
  UINT m_nTimerID = 100;

  ORMIX_DECLARE_MESSAGE_MAP()
};
