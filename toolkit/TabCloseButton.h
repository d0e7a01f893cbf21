#pragma once
// The tab strip's close button: a flat owner-drawn push button with a cross that lights up
// while the pointer is over it and looks pressed while held. Its parent forwards the
// button's WM_DRAWITEM to Draw; a click sends the parent the button's command id.
#include "framework/Wnd.h"

class CTabCloseButton : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CTabCloseButton)

 public:
  // A hidden child button `nID` of `pParent`.
  BOOL Create(CWnd* pParent, UINT nID);
  void Draw(const DRAWITEMSTRUCT& item) const;
  BOOL IsHot() const { return m_bHot; }

 protected:
  void OnMouseMove(UINT keys, POINT pt);
  LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void SetHot(BOOL bHot);

  BOOL m_bHot = FALSE;
};
