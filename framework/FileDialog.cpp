#include "framework/FileDialog.h"

#include <cstring>

#include "framework/SystemFunction.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {
CFileDialog::RunHook& RunHookSlot() {
  static CFileDialog::RunHook hook;
  return hook;
}
}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_szFileName(), m_szFileTitle() {
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.hwndOwner = AfxGetModalOwner(pParentWnd ? pParentWnd->m_hWnd : nullptr);
  m_ofn.hInstance = ::GetModuleHandleA(nullptr);
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = sizeof(m_szFileName);
  m_ofn.lpstrFileTitle = m_szFileTitle;
  m_ofn.nMaxFileTitle = sizeof(m_szFileTitle);
  if (fileName) lstrcpynA(m_szFileName, fileName, static_cast<int>(sizeof(m_szFileName)));
  if (defaultExt) {
    m_strDefExt = defaultExt;
    m_ofn.lpstrDefExt = m_strDefExt.c_str();
  }
  if (filter) {
    m_strFilter = ConvertFilter(filter);
    m_ofn.lpstrFilter = m_strFilter.c_str();
    m_ofn.nFilterIndex = 1;
  }
}

std::string CFileDialog::ConvertFilter(const char* filter) {
  std::string result;
  for (const char* p = filter; *p; ++p) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
      result += p[0];
      result += p[1];
      ++p;
    } else {
      result += *p == '|' ? '\0' : *p;
    }
  }
  // The list ends with two NULs whether or not the filter ended with "||".
  result += '\0';
  return result;
}

CFileDialog::RunHook CFileDialog::SetRunHook(RunHook hook) {
  RunHook previous = std::move(RunHookSlot());
  RunHookSlot() = std::move(hook);
  return previous;
}

INT_PTR CFileDialog::DoModal() {
  m_szFileTitle[0] = '\0';
  if (const RunHook& hook = RunHookSlot()) return hook(*this) == IDOK ? IDOK : IDCANCEL;
  using Run = decltype(&::GetOpenFileNameA);
  static const Run open = SystemFunction<Run>("comdlg32.dll", "GetOpenFileNameA");
  static const Run save = SystemFunction<Run>("comdlg32.dll", "GetSaveFileNameA");
  const Run run = m_bOpenFileDialog ? open : save;
  return run && run(&m_ofn) ? IDOK : IDCANCEL;
}
