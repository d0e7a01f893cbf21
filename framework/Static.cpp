#include "framework/Static.h"

ORMIX_IMPLEMENT_DYNAMIC(CStatic, CWnd)

BOOL CStatic::Create(const char* text, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
  return CWnd::Create("STATIC", text, dwStyle, rect, pParentWnd, nID);
}
