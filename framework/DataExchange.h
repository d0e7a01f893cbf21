#pragma once
// Dialog data exchange: moves values between a dialog's member variables and its controls.
// A dialog's DoDataExchange calls DDX_ functions with the CDataExchange it receives; with
// m_bSaveAndValidate TRUE they read the controls into the members, else they write the
// members into the controls.
#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  // The control `nIDC` of the dialog, or NULL.
  HWND PrepareCtrl(int nIDC);

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;
};

// The selected index of list box `nIDC` (LB_GETCURSEL, -1 for none) and LB_SETCURSEL.
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);

// The text of control `nIDC` (an edit box) and the control's text set from `text`.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& text);

// Binds control `nIDC` to the window object `rControl` the first time: subclasses it, so its
// messages pass through the object's message map (and PreSubclassWindow runs). Later calls
// leave the binding as it is.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
