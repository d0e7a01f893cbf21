#include "framework/ListCtrl.h"

ORMIX_IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  return CWnd::Create(WC_LISTVIEWA, nullptr, dwStyle, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, const char* heading, int nFormat, int nWidth, int nSubItem) {
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_FMT;
  column.fmt = nFormat;
  column.pszText = const_cast<char*>(heading);
  if (nWidth != -1) {
    column.mask |= LVCF_WIDTH;
    column.cx = nWidth;
  }
  if (nSubItem != -1) {
    column.mask |= LVCF_SUBITEM;
    column.iSubItem = nSubItem;
  }
  return static_cast<int>(
      SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

BOOL CListCtrl::SetColumn(int nCol, const LVCOLUMNA* column) {
  return static_cast<BOOL>(
      SendMessage(LVM_SETCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(column)));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
  return static_cast<BOOL>(
      SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)));
}

int CListCtrl::GetColumnWidth(int nCol) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol)));
}

BOOL CListCtrl::DeleteColumn(int nCol) {
  return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(nCol)));
}

BOOL CListCtrl::SetColumnOrderArray(int count, const int* order) {
  return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                                       reinterpret_cast<LPARAM>(const_cast<int*>(order))));
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

int CListCtrl::InsertItem(const LVITEMA* item) {
  return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item)));
}

int CListCtrl::InsertItem(int nItem, const char* text, int nImage) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = nItem;
  item.pszText = const_cast<char*>(text);
  item.iImage = nImage;
  return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
  LVITEMA item = {};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<char*>(text);
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
  // The control copies at most the buffer's size; grow until the text fits with room left.
  std::string buffer(256, '\0');
  for (;;) {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = &buffer[0];
    item.cchTextMax = static_cast<int>(buffer.size());
    const int length = static_cast<int>(SendMessage(
        LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
    if (length < static_cast<int>(buffer.size()) - 2) {
      buffer.resize(static_cast<size_t>(length < 0 ? 0 : length));
      return buffer;
    }
    buffer.assign(buffer.size() * 2, '\0');
  }
}

BOOL CListCtrl::GetItem(LVITEMA* item) const {
  return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
  LVITEMA item = {};
  item.state = nState;
  item.stateMask = nMask;
  return static_cast<BOOL>(
      SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
  return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
  return static_cast<int>(
      SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
}

UINT CListCtrl::GetSelectedCount() const {
  return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT));
}

BOOL CListCtrl::Scroll(int dx, int dy) {
  return static_cast<BOOL>(SendMessage(LVM_SCROLL, static_cast<WPARAM>(dx), dy));
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) {
  return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK));
}

DWORD CListCtrl::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwExStyle) {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwExStyle));
}

HIMAGELIST CListCtrl::SetImageList(HIMAGELIST hImageList, int nImageListType) {
  return reinterpret_cast<HIMAGELIST>(SendMessage(
      LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType), reinterpret_cast<LPARAM>(hImageList)));
}

HIMAGELIST CListCtrl::GetImageList(int nImageListType) const {
  return reinterpret_cast<HIMAGELIST>(
      SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(nImageListType)));
}
