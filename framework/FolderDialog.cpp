#include "framework/FolderDialog.h"

#include <shlobj.h>

#include "framework/SystemFunction.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

CFolderDialog::RunHook& RunHookSlot() {
  static CFolderDialog::RunHook hook;
  return hook;
}

// Selects the folder the browser opens at, once it is shown; `data` is that folder's path.
int CALLBACK OnBrowserEvent(HWND hWnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

}  // namespace

CFolderDialog::CFolderDialog(const char* title, const std::string& folder, CWnd* pParentWnd)
    : m_hWndOwner(AfxGetModalOwner(pParentWnd ? pParentWnd->m_hWnd : nullptr)),
      m_strTitle(title ? title : ""),
      m_strFolder(folder) {}

CFolderDialog::RunHook CFolderDialog::SetRunHook(RunHook hook) {
  RunHook previous = std::move(RunHookSlot());
  RunHookSlot() = std::move(hook);
  return previous;
}

INT_PTR CFolderDialog::DoModal() {
  if (const RunHook& hook = RunHookSlot()) return hook(*this) == IDOK ? IDOK : IDCANCEL;
  using Browse = decltype(&::SHBrowseForFolderA);
  using PathOf = decltype(&::SHGetPathFromIDListA);
  static const Browse browse = SystemFunction<Browse>("shell32.dll", "SHBrowseForFolderA");
  static const PathOf pathOf = SystemFunction<PathOf>("shell32.dll", "SHGetPathFromIDListA");
  if (!browse || !pathOf) return IDCANCEL;
  BROWSEINFOA info = {};
  info.hwndOwner = m_hWndOwner;
  info.lpszTitle = m_strTitle.c_str();
  // The newer style needs OLE on this thread, which the program starts before any window.
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = &OnBrowserEvent;
  info.lParam = m_strFolder.empty() ? 0 : reinterpret_cast<LPARAM>(m_strFolder.c_str());
  PIDLIST_ABSOLUTE chosen = browse(&info);
  if (!chosen) return IDCANCEL;
  char path[MAX_PATH] = "";
  const BOOL isPath = pathOf(chosen, path);
  ::CoTaskMemFree(chosen);
  if (!isPath) return IDCANCEL;
  m_strFolder = path;
  return IDOK;
}
