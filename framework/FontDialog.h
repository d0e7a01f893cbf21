#pragma once
// The system's font dialog. It starts from, and on OK writes into, the LOGFONTA given to
// the constructor (or its own copy when none is given). Tests replace the system dialog
// with SetRunHook: the hook gets the dialog, may change *m_cf.lpLogFont, and returns IDOK
// or IDCANCEL.
#include <windows.h>
#include <commdlg.h>

#include <functional>

class CWnd;

class CFontDialog {
 public:
  explicit CFontDialog(LOGFONTA* plfInitial = nullptr,
                       DWORD dwFlags = CF_EFFECTS | CF_SCREENFONTS, HDC hdcPrinter = nullptr,
                       CWnd* pParentWnd = nullptr);
  CFontDialog(const CFontDialog&) = delete;
  CFontDialog& operator=(const CFontDialog&) = delete;
  virtual ~CFontDialog() = default;

  virtual INT_PTR DoModal();

  using RunHook = std::function<INT_PTR(CFontDialog& dialog)>;
  static RunHook SetRunHook(RunHook hook);

  CHOOSEFONTA m_cf;

 private:
  LOGFONTA m_lf;
};
