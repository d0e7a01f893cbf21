#pragma once
// A tool tip control ("tooltips_class32") as a window object: Create makes it as a pop-up
// owned by a window, AddTool registers a rectangle of a window with its text, and
// RelayEvent hands it the mouse messages of that window (from PreTranslateMessage).
#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"

class CToolTipCtrl : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CToolTipCtrl)

 public:
  CToolTipCtrl() = default;

  using CWnd::Create;
  // A pop-up tool tip owned by pParentWnd, with the TTS_ styles in dwStyle.
  virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

  // Tool nIDTool covers `rect` (client coordinates of pWnd) and shows `text`.
  BOOL AddTool(CWnd* pWnd, const char* text, const RECT& rect, UINT_PTR nIDTool);
  void UpdateTipText(const char* text, CWnd* pWnd, UINT_PTR nIDTool);
  void RelayEvent(MSG* pMsg);
};
