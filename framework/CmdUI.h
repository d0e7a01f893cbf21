#pragma once
// The state of one command (enabled, check mark, text) as its update handler sets it. Menus
// and tool bars derive from it to apply the state to their items; used as is, it records
// the state, which is how tests and the idle-time refresh ask for it. A command that has no
// handler on the route is disabled; one with a command handler but no update handler is
// enabled.
#include <windows.h>

#include <string>

class CCmdTarget;

class CCmdUI {
 public:
  explicit CCmdUI(UINT nID = 0) : m_nID(nID) {}
  virtual ~CCmdUI() = default;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);  // 0 clear, 1 checked, 2 indeterminate
  virtual void SetText(const char* text);

  // Offers the update to `target` (which may route it further). Without an update handler,
  // and with bDisableIfNoHandler, enables the command iff a command handler exists.
  BOOL DoUpdate(CCmdTarget* target, BOOL bDisableIfNoHandler);

  UINT m_nID;
  BOOL m_bEnabled = TRUE;
  int m_nCheck = 0;
  std::string m_strText;
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bCheckChanged = FALSE;
  BOOL m_bTextChanged = FALSE;
};

// Carries out command `nID` on `target` and the targets it routes to; FALSE if none took it.
BOOL RouteCommand(CCmdTarget* target, UINT nID);

// The state of command `nID` as seen from `target`, with automatic disabling.
CCmdUI QueryCommandState(CCmdTarget* target, UINT nID);

// Brings every command item of drop-down menu `hPopup` up to date (enabled, checked, text)
// as seen from `target`, with automatic disabling; as a menu is about to drop down.
void UpdateMenuCommands(HMENU hPopup, CCmdTarget* target);
