#include "framework/FontDialog.h"

#include "framework/SystemFunction.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {
CFontDialog::RunHook& RunHookSlot() {
  static CFontDialog::RunHook hook;
  return hook;
}
}  // namespace

CFontDialog::CFontDialog(LOGFONTA* plfInitial, DWORD dwFlags, HDC hdcPrinter, CWnd* pParentWnd)
    : m_cf(), m_lf() {
  m_cf.lStructSize = sizeof(m_cf);
  m_cf.hwndOwner = AfxGetModalOwner(pParentWnd ? pParentWnd->m_hWnd : nullptr);
  m_cf.hDC = hdcPrinter;
  m_cf.lpLogFont = plfInitial ? plfInitial : &m_lf;
  m_cf.Flags = dwFlags;
  if (hdcPrinter) m_cf.Flags |= CF_PRINTERFONTS;
}

CFontDialog::RunHook CFontDialog::SetRunHook(RunHook hook) {
  RunHook previous = std::move(RunHookSlot());
  RunHookSlot() = std::move(hook);
  return previous;
}

INT_PTR CFontDialog::DoModal() {
  if (const RunHook& hook = RunHookSlot()) return hook(*this);
  using Run = decltype(&::ChooseFontA);
  static const Run run = SystemFunction<Run>("comdlg32.dll", "ChooseFontA");
  return run && run(&m_cf) ? IDOK : IDCANCEL;
}
