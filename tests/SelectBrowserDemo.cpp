// Not a test: starts the browser simulator with a few browsers and shows the selection
// dialog over them for a look or a screenshot. Closes itself after the number of seconds
// given as its argument (default 10); a second argument "hang" shows the dialog over
// browsers that do not answer, "embedded" the embedded-browser dialog over two host programs
// (a help viewer and an installer, in a host process of their own) beside the browsers.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "browser/SelectBrowserDlg.h"
#include "browser/SelectEmbeddedBrowserDlg.h"
#include "res/resource.h"
#include "support/ListingWait.h"
#include "support/SimulatorProcess.h"

namespace {
UINT g_seconds = 10;

void CALLBACK CloseDialog(HWND dialog, UINT, UINT_PTR, DWORD) { EndDialog(dialog, IDCANCEL); }
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_seconds = static_cast<UINT>(std::atoi(argv[1]));
  // "hang": the browsers stop answering first, to show the line saying so under the list.
  const bool hang = argc > 2 && std::strcmp(argv[2], "hang") == 0;
  const bool embedded = argc > 2 && std::strcmp(argv[2], "embedded") == 0;
  if (FAILED(OleInitialize(nullptr))) return 2;
  InitCommonControls();
  int result = 0;
  {
    testsupport::SimulatorProcess sim;
    if (!sim.Start()) {
      result = 1;
    } else {
      sim.Send(u8"open b1 title=\"Ormix サンプルページ - Internet Explorer\" url=http://example.jp/");
      sim.Send("open b2 title=\"Example Domain - Internet Explorer\" url=http://example.com/");
      sim.Send(u8"folder f1 title=ドキュメント");
      sim.Send(u8"open b3 title=\"検索結果 - Internet Explorer\" url=http://search.example.jp/?q=ormix");

      if (hang) sim.Send("hang b3 " + std::to_string(g_seconds * 1000));
      testsupport::SimulatorProcess hosts;
      if (embedded) {
        hosts.HostOnly();
        hosts.Start();
        hosts.Send(u8"host help caption=\"Ormix ヘルプ\" title=\"はじめに\" url=http://help.example/start "
                   "visible=1 at=20,20");
        hosts.Send(u8"host setup caption=\"セットアップ ウィザード\" title=\"インストールの準備\" "
                   "url=http://setup.example/ visible=1 at=530,20");
      }
      CSelectEmbeddedBrowserDlg embeddedDialog;
      CSelectBrowserDlg plainDialog;
      CSelectBrowserDlg& dialog = embedded ? embeddedDialog : plainDialog;
      dialog.m_eventMask.Set(0, 0);  // StatusTextChange unchecked, to show both states
      CDialog::SetModalHook([](CDialog& d) {
        testsupport::WaitForListing(static_cast<CSelectBrowserDlg&>(d));
        d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, 1);
        SetTimer(d.m_hWnd, 1, g_seconds * 1000, CloseDialog);
      });
      dialog.DoModal();
      CDialog::SetModalHook(nullptr);
      if (dialog.m_pBrowser) dialog.m_pBrowser->Release();
      if (!sim.Stop()) result = 1;
    }
  }
  OleUninitialize();
  return result;
}
