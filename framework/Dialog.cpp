#include "framework/Dialog.h"

#include "framework/WinApp.h"

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

// The message filter that gives PreTranslateMessage its turn inside the system's modal
// loop of dialog boxes; installed once per thread while any modal dialog runs.
struct ModalFilter {
  HHOOK hHook = nullptr;
  int nNesting = 0;
};

ModalFilter& Filter() {
  thread_local ModalFilter filter;
  return filter;
}

LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (msg->hwnd && CWnd::WalkPreTranslateTree(::GetAncestor(msg->hwnd, GA_ROOT), msg))
      return TRUE;
  }
  return ::CallNextHookEx(Filter().hHook, code, wParam, lParam);
}

// The window that owns a dialog opened without a parent: the active top-level window.
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
  HWND hWndParent = AfxGetModalOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
  ModalFilter& filter = Filter();
  if (filter.nNesting++ == 0)
    filter.hHook = ::SetWindowsHookExA(WH_MSGFILTER, &MessageFilterProc, nullptr,
                                       ::GetCurrentThreadId());
  // The dialog window is attached to this object before its first message, so the dialog
  // procedure finds it at WM_INITDIALOG and every message passes the message map.
  BeginCreateHook();
  const INT_PTR result =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), hWndParent,
                        &CDialog::DialogProc, 0);
  EndCreateHook();
  if (--filter.nNesting == 0 && filter.hHook) {
    ::UnhookWindowsHookEx(filter.hHook);
    filter.hHook = nullptr;
  }
  return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  CWnd* wnd = FromHandlePermanent(hWnd);
  if (!wnd || !wnd->IsKindOf(ORMIX_RUNTIME_CLASS(CDialog))) return TRUE;
  CDialog* dialog = static_cast<CDialog*>(wnd);
  BOOL focusDefault = TRUE;
  try {
    RECT before;
    ::GetWindowRect(hWnd, &before);
    const DWORD styleBefore = dialog->GetStyle();
    focusDefault = dialog->OnInitDialog();
    dialog->CenterIfNotPlaced(before, styleBefore);
    if (const ModalHook& hook = ModalHookSlot()) hook(*dialog);
  } catch (...) {
    dialog->EndDialog(-1);
  }
  return focusDefault;
}

void CDialog::CenterIfNotPlaced(const RECT& rectBefore, DWORD styleBefore) {
  // A dialog that shows itself, is a child, asks the system to place it or was moved by
  // its own initialisation is where it wants to be.
  if ((styleBefore & WS_VISIBLE) || (GetStyle() & (WS_VISIBLE | WS_CHILD))) return;
  if (GetStyle() & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) return;
  RECT rect;
  GetWindowRect(&rect);
  if (rect.left != rectBefore.left || rect.top != rectBefore.top) return;
  CenterWindow();
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
