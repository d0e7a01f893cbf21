#pragma once
// The scroll arrows (an up-down control) that a tab control makes for itself when its tabs
// overflow the strip. Attached to them, this keeps them left of a strip of reserved width at
// the control's right end, wherever the control places them, and widens the range the
// control gives them so that the strip scrolls until the last tab shows in full left of them.
#include "framework/Wnd.h"

class CTabScrollArrows : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CTabScrollArrows)

 public:
  // Pixels kept free right of the arrows, at the tab control's right end.
  void SetReservedWidth(int cx) { m_nReserved = cx; }
  // The tab control's client x where the visible part of the strip ends: the arrows' left
  // edge while they are shown, else -1.
  int StripRight() const;
  // Scrolls the strip right until tab `nIndex` shows in full left of the arrows, or starts
  // the visible strip. Nothing while the arrows are not shown.
  void EnsureTabVisible(int nIndex);

 protected:
  LRESULT OnWindowPosChanging(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetRange32(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetRange(WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  // The first tab the strip may start with so that the last tab shows in full left of the
  // arrows placed at `stripRight`.
  int LastStartTab(int stripRight) const;
  RECT TabRect(int nIndex) const;

  int m_nReserved = 0;
};
