#pragma once
// A list-view control ("SysListView32") as a window object. Create makes the control as a
// child window, subclassed so that its messages pass through the message map; the members
// are thin wrappers of the list-view messages.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

class CListCtrl : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CListCtrl)

 public:
  CListCtrl() = default;

  virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  int InsertColumn(int nCol, const char* heading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                   int nSubItem = -1);
  BOOL SetColumn(int nCol, const LVCOLUMNA* column);
  BOOL SetColumnWidth(int nCol, int cx);
  int GetColumnWidth(int nCol) const;
  BOOL DeleteColumn(int nCol);
  // The left-to-right order in which the `count` columns are shown, by column index.
  BOOL SetColumnOrderArray(int count, const int* order);

  int GetItemCount() const;
  int InsertItem(const LVITEMA* item);
  int InsertItem(int nItem, const char* text, int nImage);
  BOOL SetItemText(int nItem, int nSubItem, const char* text);
  // The whole text of a cell, however long.
  std::string GetItemText(int nItem, int nSubItem) const;
  BOOL GetItem(LVITEMA* item) const;
  BOOL DeleteAllItems();
  BOOL SetItemState(int nItem, UINT nState, UINT nMask);
  UINT GetItemState(int nItem, UINT nMask) const;
  int GetNextItem(int nItem, int nFlags) const;
  UINT GetSelectedCount() const;
  BOOL Scroll(int dx, int dy);
  BOOL EnsureVisible(int nItem, BOOL bPartialOK);

  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD dwExStyle);
  HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType);
  HIMAGELIST GetImageList(int nImageListType) const;
};
