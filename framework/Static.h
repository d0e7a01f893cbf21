#pragma once
// A static control ("STATIC") as a window object. Create makes one as a child window; a
// dialog's static is bound with DDX_Control. Derived controls paint or react through their
// message maps.
#include <windows.h>

#include "framework/Wnd.h"

class CStatic : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CStatic)

 public:
  CStatic() = default;

  using CWnd::Create;
  virtual BOOL Create(const char* text, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                      UINT nID = 0xFFFF);
};
