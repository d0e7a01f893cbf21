// Not a test: drives a running Ormix as a user would, for the demonstration run. It opens
// the selection dialog through Ormix's menu command, picks the listed browser whose caption
// begins with the given text and presses OK — once for each text given — then exits. Used
// by scripts/run.sh when there is no display, so that the screenshot shows Ormix watching.
//   ormix-demo-driver.exe CAPTION_PREFIX...
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const char kFrameCaption[] = "Ormix for Internet Explorer";
const char kDialogCaption[] = "イベントを記録するInternet Explorerの選択";
constexpr int kSelectBrowser = 32771;
constexpr int kBrowserList = 1000;

HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (HWND found = FindWindowA(className, caption))
      if (IsWindowVisible(found)) return found;
    Sleep(100);
  }
  return nullptr;
}

bool Select(HWND frame, const char* prefix) {
  PostMessageA(frame, WM_COMMAND, MAKEWPARAM(kSelectBrowser, 0), 0);
  HWND dialog = WaitForWindow("#32770", kDialogCaption, 20000);
  if (!dialog) return false;
  // Read as wide text: the list box belongs to another process.
  wchar_t wanted[256] = L"";
  MultiByteToWideChar(CP_ACP, 0, prefix, -1, wanted, 256);
  // The list is filled off the dialog's thread; OK comes on with it.
  const DWORD start = GetTickCount();
  while (!IsWindowEnabled(GetDlgItem(dialog, IDOK)) && GetTickCount() - start < 20000) Sleep(20);
  HWND list = GetDlgItem(dialog, kBrowserList);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[2048] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 2048) continue;
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (wcsncmp(text, wanted, wcslen(wanted)) != 0) continue;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kBrowserList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return true;
  }
  SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Ormix runs in a Wine desktop window of its own ("Ormix"); its windows are seen from
  // that desktop only.
  if (HDESK desktop = OpenDesktopA("Ormix", 0, FALSE, GENERIC_ALL)) SetThreadDesktop(desktop);
  HWND frame = WaitForWindow(nullptr, kFrameCaption, 60000);
  if (!frame) {
    std::fprintf(stderr, "Ormix's window did not appear\n");
    return 1;
  }
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    if (!Select(frame, argv[i])) {
      std::fprintf(stderr, "no browser listed as \"%s...\"\n", argv[i]);
      ++failed;
    }
    Sleep(500);
  }
  return failed;
}
