#include "framework/Dialog.h"

ORMIX_IMPLEMENT_DYNAMIC(CDialog, CWnd)

ORMIX_BEGIN_MESSAGE_MAP(CDialog, CWnd)
  msgmap::ButtonClicked<&CDialog::OnOK>(IDOK),
  msgmap::ButtonClicked<&CDialog::OnCancel>(IDCANCEL),
ORMIX_END_MESSAGE_MAP()

namespace {
CDialog::ModalHook& ModalHookSlot() {
  static CDialog::ModalHook hook;
  return hook;
}
}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::ModalHook CDialog::SetModalHook(ModalHook hook) {
  ModalHook previous = std::move(ModalHookSlot());
  ModalHookSlot() = std::move(hook);
  return previous;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  // The dialog window is attached to this object before its first message, so the dialog
  // procedure finds it at WM_INITDIALOG and every message passes the message map.
  BeginCreateHook();
  const INT_PTR result =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), hWndParent,
                        &CDialog::DialogProc, 0);
  EndCreateHook();
  return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  CWnd* wnd = FromHandlePermanent(hWnd);
  if (!wnd || !wnd->IsKindOf(ORMIX_RUNTIME_CLASS(CDialog))) return TRUE;
  CDialog* dialog = static_cast<CDialog*>(wnd);
  BOOL focusDefault = TRUE;
  try {
    focusDefault = dialog->OnInitDialog();
    if (const ModalHook& hook = ModalHookSlot()) hook(*dialog);
  } catch (...) {
    dialog->EndDialog(-1);
  }
  return focusDefault;
}

void CDialog::EndDialog(int nResult) {
  if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
