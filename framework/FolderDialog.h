#pragma once
// The system's folder browser (SHBrowseForFolder), opened at a folder of the caller's
// choosing. Tests replace the system's browser with SetRunHook: the hook gets the dialog,
// sees the folder it opens at (GetFolder), may put the chosen one in its place (SetFolder),
// and returns IDOK or IDCANCEL.
#include <windows.h>

#include <functional>
#include <string>

class CWnd;

class CFolderDialog {
 public:
  // `title` is shown above the folders; the browser opens at `folder` when it exists.
  CFolderDialog(const char* title, const std::string& folder, CWnd* pParentWnd = nullptr);
  CFolderDialog(const CFolderDialog&) = delete;
  CFolderDialog& operator=(const CFolderDialog&) = delete;

  // IDOK when the user chose a folder of the file system (GetFolder is then that folder),
  // IDCANCEL otherwise.
  INT_PTR DoModal();
  const std::string& GetFolder() const { return m_strFolder; }
  void SetFolder(const std::string& folder) { m_strFolder = folder; }
  const std::string& GetTitle() const { return m_strTitle; }

  using RunHook = std::function<INT_PTR(CFolderDialog& dialog)>;
  static RunHook SetRunHook(RunHook hook);

 private:
  HWND m_hWndOwner;
  std::string m_strTitle;
  std::string m_strFolder;
};
