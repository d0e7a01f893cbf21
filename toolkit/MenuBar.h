#pragma once
// A menu bar that docks like a tool bar: one flat text button per top-level item of a menu
// resource, in the menu font. It behaves like the system's menu bar: a click opens the
// button's pop-up below it; while a pop-up is open, Left and Right (outside submenus) and
// moving the pointer over another button open the neighbour; Alt or F10 enters keyboard
// mode (arrows move, Enter or Down opens, Esc leaves) and Alt+mnemonic opens a menu
// directly. Only the open pop-up's button is drawn pressed, however the user moved to it,
// and none once the pop-ups close. In a window too narrow for one row the buttons wrap onto
// more rows, as the system's menu bar does, and a pop-up always opens on the screen. Pop-ups
// are tracked with the frame as owner, so the frame receives WM_INITMENUPOPUP, WM_MENUSELECT
// and the chosen WM_COMMAND as with a system menu. The frame hands its key messages to
// TranslateFrameMessage and its menu messages to the OnFrame* functions.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/StandardIds.h"
#include "toolkit/ControlBar.h"
#include "toolkit/ControlBarStyles.h"

class CMenuBar : public CControlBar {
  ORMIX_DECLARE_DYNAMIC(CMenuBar)

 public:
  CMenuBar();
  ~CMenuBar() override;

  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                RECT rcBorders = RECT{0, 0, 0, 0}, UINT nID = ID_MENUBAR);
  // Shows the top-level items of menu resource `nIDResource`.
  BOOL LoadMenuBar(UINT nIDResource);
  HMENU GetMenu() const { return m_hMenu; }
  int GetCount() const;

  // Opens menu `nIndex` once the current message is handled; bByKeyboard highlights its
  // first item.
  void OpenMenu(int nIndex, BOOL bByKeyboard);
  // The index of the open pop-up, or -1.
  int GetOpenMenu() const { return m_nOpen; }
  BOOL IsKeyboardMode() const { return m_bKeyboardMode; }
  // The highlighted button in keyboard mode, or -1.
  int GetHotItem() const { return m_bKeyboardMode ? m_nHot : -1; }
  void EnterKeyboardMode(int nIndex);
  void LeaveKeyboardMode();
  // Leaves keyboard mode and forgets a pressed Alt: the window lost the keyboard, so the
  // key's release may never come, or come after a switch back with Alt+Tab.
  void ResetKeyboardState();
  // The button whose mnemonic is `ch`, or -1.
  int FindMnemonic(UINT ch) const;

  // Keys for the menu bar (Alt, F10, Alt+mnemonic, keys in keyboard mode); TRUE when taken.
  BOOL TranslateFrameMessage(MSG* pMsg);
  // WM_SYSCOMMAND SC_KEYMENU reached the frame (Alt alone: lParam 0); TRUE when taken.
  BOOL OnFrameKeyMenu(LPARAM lParam);
  void OnFrameInitMenuPopup(HMENU hPopup);
  void OnFrameUninitMenuPopup(HMENU hPopup);
  void OnFrameMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);

  SIZE CalcFixedLayout() override;
  void FitToWidth(int cx) override;

 protected:
  void OnDropDown(NMHDR* header, LRESULT* result);
  LRESULT OnOpenMenuMessage(WPARAM wParam, LPARAM lParam);
  void OnSettingChange(UINT uFlags, LPCSTR section);
  LRESULT OnLoseInput(WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void TrackPopups(int nIndex, BOOL bByKeyboard);
  // Draws button `nIndex` (none for -1) pressed, and no other button pressed or hot.
  void ShowOpenButton(int nIndex);
  BOOL OnMenuInput(const MSG* pMsg);
  void ApplyFont();
  static LRESULT CALLBACK MenuInputFilter(int code, WPARAM wParam, LPARAM lParam);

  HMENU m_hMenu = nullptr;
  std::vector<UINT> m_mnemonics;  // upper-case mnemonic per button, 0 if none
  BOOL m_bKeyboardMode = FALSE;
  int m_nHot = -1;
  BOOL m_bAltAlone = FALSE;  // Alt (or F10) is down and no other key came since

  // While pop-ups are tracked.
  int m_nOpen = -1;
  HMENU m_hOpenPopup = nullptr;
  int m_nDepth = 0;              // open pop-ups: 1 while only the top one is open
  BOOL m_bPopupItemSelected = FALSE;  // the top pop-up's highlighted item opens a submenu
  int m_nNext = -1;              // the neighbour to open after this pop-up closes
  BOOL m_bNextByKeyboard = FALSE;
  BOOL m_bEscaped = FALSE;
  POINT m_ptLastMouse = {-1, -1};
  HHOOK m_hFilterHook = nullptr;
};
