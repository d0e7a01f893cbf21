#pragma once
// An image list owned by this object: made from a bitmap resource whose images are side by
// side, with one colour drawn transparent. Destroyed with the object.
#include <windows.h>
#include <commctrl.h>

class CImageList {
 public:
  CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;
  ~CImageList() { DeleteImageList(); }

  // Images `cx` pixels wide from bitmap resource `nBitmapID`; `nGrow` images of room to grow.
  BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
  // Appends the images of bitmap resource `nBitmapID` (`crMask` drawn transparent); the
  // index of the first, or -1.
  int Add(UINT nBitmapID, COLORREF crMask);
  BOOL DeleteImageList();
  HIMAGELIST GetSafeHandle() const { return m_hImageList; }

 private:
  HIMAGELIST m_hImageList = nullptr;
};
