// Not a test: shows the About box for a look or a screenshot, with the pointer resting on
// the home page link so that its hover colour, underline and tool tip show. Clicks open
// nothing. Closes itself after the number of seconds given as its argument (default 10).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>

#include "about/AboutDlg.h"
#include "res/resource.h"

namespace {
UINT g_seconds = 10;

void CALLBACK CloseDialog(HWND dialog, UINT, UINT_PTR, DWORD) { EndDialog(dialog, IDCANCEL); }

void CALLBACK PointAtLink(HWND dialog, UINT, UINT_PTR id, DWORD) {
  KillTimer(dialog, id);
  RECT rect;
  GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_URL), &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

HINSTANCE OpenNothing(HWND, const char*, const char*, const char*, const char*, int) {
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_seconds = static_cast<UINT>(std::atoi(argv[1]));
  if (FAILED(OleInitialize(nullptr))) return 2;
  InitCommonControls();
  CHyperLink::SetShellExecuteHook(&OpenNothing);
  CDialog::SetModalHook([](CDialog& d) {
    SetTimer(d.m_hWnd, 1, g_seconds * 1000, CloseDialog);
    SetTimer(d.m_hWnd, 2, 500, PointAtLink);
  });
  CAboutDlg dialog;
  dialog.DoModal();
  CDialog::SetModalHook(nullptr);
  OleUninitialize();
  return 0;
}
