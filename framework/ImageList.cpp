#include "framework/ImageList.h"

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
  DeleteImageList();
  m_hImageList = ::ImageList_LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nBitmapID),
                                        cx, nGrow, crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  return m_hImageList != nullptr;
}

BOOL CImageList::DeleteImageList() {
  if (!m_hImageList) return FALSE;
  ::ImageList_Destroy(m_hImageList);
  m_hImageList = nullptr;
  return TRUE;
}

int CImageList::GetImageCount() const {
  return m_hImageList ? ::ImageList_GetImageCount(m_hImageList) : 0;
}
