#include "framework/ImageList.h"

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
  DeleteImageList();
  m_hImageList = ::ImageList_LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nBitmapID),
                                        cx, nGrow, crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  return m_hImageList != nullptr;
}

int CImageList::Add(UINT nBitmapID, COLORREF crMask) {
  if (!m_hImageList) return -1;
  HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nBitmapID),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return -1;
  const int first = ::ImageList_AddMasked(m_hImageList, bitmap, crMask);
  ::DeleteObject(bitmap);
  return first;
}

BOOL CImageList::DeleteImageList() {
  if (!m_hImageList) return FALSE;
  ::ImageList_Destroy(m_hImageList);
  m_hImageList = nullptr;
  return TRUE;
}
