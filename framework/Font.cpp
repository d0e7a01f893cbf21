#include "framework/Font.h"

BOOL CFont::CreateFontIndirect(const LOGFONTA* lf) {
  DeleteObject();
  if (!lf) return FALSE;
  m_hFont = ::CreateFontIndirectA(lf);
  return m_hFont != nullptr;
}

BOOL CFont::DeleteObject() {
  if (!m_hFont) return FALSE;
  ::DeleteObject(m_hFont);
  m_hFont = nullptr;
  return TRUE;
}
