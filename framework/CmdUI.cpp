#include "framework/CmdUI.h"

#include "framework/CmdTarget.h"

namespace {

// Applies a command's state to one item of a drop-down menu.
class CMenuCmdUI : public CCmdUI {
 public:
  CMenuCmdUI(UINT nID, HMENU hMenu, UINT nIndex) : CCmdUI(nID), m_hMenu(hMenu), m_nIndex(nIndex) {}

  void Enable(BOOL bOn) override {
    CCmdUI::Enable(bOn);
    ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
  }
  void SetCheck(int nCheck) override {
    CCmdUI::SetCheck(nCheck);
    ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
  }
  void SetText(const char* text) override {
    CCmdUI::SetText(text);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(m_strText.c_str());
    ::SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &info);
  }

 private:
  HMENU m_hMenu;
  UINT m_nIndex;
};

}  // namespace

void CCmdUI::Enable(BOOL bOn) {
  m_bEnabled = bOn ? TRUE : FALSE;
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) {
  m_nCheck = nCheck;
  m_bCheckChanged = TRUE;
}

void CCmdUI::SetText(const char* text) {
  m_strText = text ? text : "";
  m_bTextChanged = TRUE;
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL bDisableIfNoHandler) {
  if (!target) return FALSE;
  m_bEnableChanged = FALSE;
  if (target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr)) return TRUE;
  if (bDisableIfNoHandler && !m_bEnableChanged) {
    CmdHandlerInfo info;
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
  }
  return FALSE;
}

BOOL RouteCommand(CCmdTarget* target, UINT nID) {
  if (!target) return FALSE;
  return target->OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
}

CCmdUI QueryCommandState(CCmdTarget* target, UINT nID) {
  CCmdUI state(nID);
  state.DoUpdate(target, TRUE);
  return state;
}

void UpdateMenuCommands(HMENU hPopup, CCmdTarget* target) {
  if (!hPopup || !target) return;
  const int count = ::GetMenuItemCount(hPopup);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!::GetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &info)) continue;
    // Separators have no command; a submenu's items are updated when it drops down.
    if ((info.fType & MFT_SEPARATOR) || info.hSubMenu || info.wID == 0) continue;
    CMenuCmdUI state(info.wID, hPopup, static_cast<UINT>(i));
    state.DoUpdate(target, TRUE);
  }
}
