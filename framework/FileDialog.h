#pragma once
// The system's open/save-as file dialog. The filter is given as "text|pattern|...||" and
// turned into the NUL-separated list the system expects. m_ofn may be adjusted between
// construction and DoModal. Tests replace the system dialog with SetRunHook: the hook gets
// the dialog, may write a path into m_ofn.lpstrFile, and returns IDOK or IDCANCEL.
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>

class CWnd;

class CFileDialog {
 public:
  CFileDialog(BOOL bOpenFileDialog, const char* defaultExt = nullptr,
              const char* fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
              CWnd* pParentWnd = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;
  virtual ~CFileDialog() = default;

  // IDOK when the user chose a file, IDCANCEL otherwise.
  virtual INT_PTR DoModal();
  // The full path that the user chose.
  std::string GetPathName() const { return m_szFileName; }
  BOOL IsOpenFileDialog() const { return m_bOpenFileDialog; }
  // The filter as the system receives it, NULs included.
  const std::string& GetFilterBuffer() const { return m_strFilter; }

  using RunHook = std::function<INT_PTR(CFileDialog& dialog)>;
  static RunHook SetRunHook(RunHook hook);

  OPENFILENAMEA m_ofn;

  // Replaces every "|" of a filter by NUL, leaving the second byte of a double-byte
  // character alone (in code page 932 it may well be 0x7C).
  static std::string ConvertFilter(const char* filter);

 private:
  BOOL m_bOpenFileDialog;
  std::string m_strFilter;
  std::string m_strDefExt;
  char m_szFileName[MAX_PATH * 2];
  char m_szFileTitle[MAX_PATH];
};
