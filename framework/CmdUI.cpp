#include "framework/CmdUI.h"

#include "framework/CmdTarget.h"

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
