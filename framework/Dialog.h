#pragma once
// A modal dialog built from a dialog template resource. DoModal creates the dialog, runs
// OnInitDialog (which fills the controls through DoDataExchange) and returns the result
// given to EndDialog. OK (IDOK) runs OnOK: data exchange from the controls, then
// EndDialog(IDOK); Cancel, Esc and the close box run OnCancel: EndDialog(IDCANCEL).
// Derived dialogs add button handlers with msgmap::ButtonClicked in their message map.
//
// After OnInitDialog the dialog is centred over its owner (kept on the owner's monitor),
// unless its template places it (DS_CENTER, DS_CENTERMOUSE, DS_ABSALIGN), it is visible or
// a child, or OnInitDialog moved it.
//
// Without a parent window, the thread's active top-level window owns the dialog. While it
// runs, every message of its modal loop is offered to PreTranslateMessage of the window it
// is for and of that window's parents, as the program's own loop does.
//
// Tests drive a modal dialog through SetModalHook: the hook runs right after OnInitDialog,
// inside the modal loop, and may set controls, post clicks or end the dialog.
#include <windows.h>

#include <functional>

#include "framework/DataExchange.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CDialog)

 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  // IDOK, IDCANCEL or another EndDialog result; -1 if the dialog could not be created.
  virtual INT_PTR DoModal();
  void EndDialog(int nResult);
  // Runs DoDataExchange: from the controls into the members if bSaveAndValidate.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  UINT GetTemplateId() const { return m_nIDTemplate; }

  using ModalHook = std::function<void(CDialog& dialog)>;
  // Runs `hook` after OnInitDialog of every modal dialog; returns the previous hook.
  static ModalHook SetModalHook(ModalHook hook);

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  void CenterIfNotPlaced(const RECT& rectBefore, DWORD styleBefore);
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()
};
