// Acting on the rows of the event log as in other Windows lists: Ctrl+A selects every shown
// row, and the right mouse button, Shift+F10 or the context-menu key open a menu of the
// commands that act on rows. The menu's items are the log's own commands, in the states its
// update handlers give them; the status bar shows their prompts as for the main menu.
#include <algorithm>

#include "framework/CmdUI.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"

void CEventListCtrl::SelectAllRows() {
  FlushPendingRows();
  if (m_model.ShownCount() == 0) return;
  RedrawOff redrawOff(*this);
  SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  if (GetNextItem(-1, LVNI_FOCUSED) < 0) SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CEventListCtrl::OnUpdateSelectAllRows(CCmdUI* pCmdUI) { pCmdUI->Enable(m_model.ShownCount() > 0); }

BOOL CEventListCtrl::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->hwnd != m_hWnd) return FALSE;
  const bool shiftF10 = (pMsg->message == WM_SYSKEYDOWN || pMsg->message == WM_KEYDOWN) && pMsg->wParam == VK_F10 &&
                        (::GetKeyState(VK_SHIFT) & 0x8000) && !(::GetKeyState(VK_CONTROL) & 0x8000);
  const bool menuKey = pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_APPS;
  if (!shiftF10 && !menuKey) return FALSE;
  // Taken here, before the menu bar, which would take F10 for its own keyboard mode.
  ShowRowMenu(POINT{-1, -1});
  return TRUE;
}

LRESULT CEventListCtrl::OnContextMenu(WPARAM wParam, LPARAM lParam) {
  // The column header's own right-click is not a row's.
  if (reinterpret_cast<HWND>(wParam) != m_hWnd) return Default();
  ShowRowMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
  return 0;
}

void CEventListCtrl::ShowRowMenu(POINT screen) {
  FlushPendingRows();
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: under the focused row if it is selected, else the first selected
    // row, else the list's corner.
    int item = GetNextItem(-1, LVNI_FOCUSED);
    if (item < 0 || !GetItemState(item, LVIS_SELECTED))
      item = GetSelectedCount() > 0 ? GetNextItem(-1, LVNI_SELECTED) : -1;
    POINT at = {0, 0};
    RECT row = {};
    if (item >= 0) {
      EnsureVisible(item, FALSE);
      row.left = LVIR_BOUNDS;
      if (SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)))
        at = POINT{row.left + 16, row.bottom};
    }
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    at.x = std::max(client.left, std::min(at.x, client.right - 1));
    at.y = std::max(client.top, std::min(at.y, client.bottom - 1));
    ::ClientToScreen(m_hWnd, &at);
    screen = at;
  }
  HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_LOG_ROW_MENU));
  if (!menu) return;
  // The chosen command comes back as WM_COMMAND to this log, and takes its route from here.
  ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
  ::DestroyMenu(menu);
}

LRESULT CEventListCtrl::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(lParam)) return Default();  // the system menu
  UpdateMenuCommands(reinterpret_cast<HMENU>(wParam), this);
  return 0;
}
