#pragma once
// A GDI font owned by this object, deleted with it or by DeleteObject.
#include <windows.h>

class CFont {
 public:
  CFont() = default;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;
  ~CFont() { DeleteObject(); }

  BOOL CreateFontIndirect(const LOGFONTA* lf);
  BOOL DeleteObject();
  HFONT GetSafeHandle() const { return m_hFont; }
  operator HFONT() const { return m_hFont; }

 private:
  HFONT m_hFont = nullptr;
};
