// Not a test: the tabbed monitor view in a frame window over the browser simulator, with
// three tabs — one whose browser quit, one stopped, one still recording — for a look or a
// screenshot. Closes itself after the number of seconds given as its argument (default 10).
// With "overflow" as the second argument, more tabs follow than the strip shows, one titled
// as long as a tab holds, and the pointer rests on the close button. With "journal", the tabs
// are journaled into a folder of the temporary folder (the pointer moved onto a tab shows
// its tool tip, which names its journal file) for the first half of the time, and the
// journal dialog is open for the second.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <string>

#include "browser/SelectBrowserDlg.h"
#include "framework/CmdUI.h"
#include "framework/StandardIds.h"
#include "res/resource.h"
#include "support/Files.h"
#include "support/ListingWait.h"
#include "support/MessagePump.h"
#include "support/SimulatorProcess.h"
#include "view/OrmixView.h"

using testsupport::SimulatorProcess;

namespace {

// Picks the browser shown in window `frame` in the selection dialog and presses OK.
void SelectBrowser(COrmixView* view, HWND frame) {
  CDialog::SetModalHook([frame](CDialog& d) {
    // The dialog lists the browsers off its thread: the one wanted is there once it is done.
    testsupport::WaitForListing(static_cast<CSelectBrowserDlg&>(d));
    testsupport::SelectListedWindow(d, frame);
    d.SendMessage(WM_COMMAND, IDOK, 0);
  });
  RouteCommand(view, ID_SELECT_BROWSER);
  CDialog::SetModalHook(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD seconds = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 10;
  if (FAILED(OleInitialize(nullptr))) return 2;
  InitCommonControls();
  int result = 0;
  {
    SimulatorProcess sim;
    if (!sim.Start()) {
      OleUninitialize();
      return 1;
    }
    sim.Send(u8"open b1 title=\"終了したページ\" url=http://example.jp/");
    sim.Send(u8"open b2 title=\"記録を停止したページ\" url=http://example.com/");
    sim.Send(u8"open b3 title=\"Ormix サンプル - 記録中\" url=http://example.jp/sample");

    CWnd frame;
    frame.Attach(CreateWindowA("STATIC", "Ormix view demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                               900, 520, nullptr, nullptr, nullptr, nullptr));
    auto* view = new COrmixView;
    RECT client = {};
    if (!view->CreateView(&frame, AFX_IDW_PANE_FIRST, nullptr)) return 1;
    GetClientRect(frame.m_hWnd, &client);
    view->MoveWindow(0, 0, client.right, client.bottom);

    for (const char* id : {"b1", "b2", "b3"})
      SelectBrowser(view, SimulatorProcess::Window(sim.Send(std::string("window ") + id), "hwnd"));
    for (const char* id : {"b1", "b2", "b3"})
      sim.Send(std::string("navigate ") + id +
               " http://example.jp/login post=text:user=demo&pw=x headers=\"Content-Type: application/x-www-form-urlencoded\\r\\n\"");
    sim.Send(u8"title b1 \"終了したページ\"");
    sim.Send("quit b1");
    view->ActivateTab(1);
    RouteCommand(view, ID_RECORD_STOP);
    view->ActivateTab(2);
    sim.Send(u8"status b3 \"読み込み中...\"");
    sim.Send("progress b3 50 100");

    if (argc > 2 && std::string(argv[2]) == "overflow") {
      std::string title = u8"長いタイトル";
      while (title.size() < 380) title += u8" とても長いページのタイトル";
      sim.Send(u8"open b4 title=\"" + title + "\"");
      for (const char* id : {"b5", "b6", "b7", "b8"})
        sim.Send(std::string("open ") + id + u8" title=\"ページ " + id + "\"");
      for (const char* id : {"b4", "b5", "b6", "b7", "b8"})
        SelectBrowser(view, SimulatorProcess::Window(sim.Send(std::string("window ") + id), "hwnd"));
      view->ActivateTab(3);  // the long title
      RECT close = {};
      GetWindowRect(view->GetCloseButton(), &close);
      SetCursorPos((close.left + close.right) / 2, (close.top + close.bottom) / 2);
      PostMessageA(view->GetCloseButton(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    }
    const bool journal = argc > 2 && std::string(argv[2]) == "journal";
    testsupport::TempFolder journals("ormix-view-demo-journal-");
    if (journal) {
      view->UseJournalFolderForThisRun(journals.path);
      testsupport::PumpUntil([] { return false; }, seconds * 500);
      // The dialog as the user finds it with the journal on, until the time is up.
      CDialog::SetModalHook([&journals, seconds](CDialog& d) {
        d.SendDlgItemMessage(IDC_JOURNAL_ON, BM_SETCHECK, BST_CHECKED);
        SetDlgItemTextA(d.m_hWnd, IDC_JOURNAL_FOLDER, journals.path.c_str());
        SetTimer(d.m_hWnd, 1, seconds * 500, [](HWND dialog, UINT, UINT_PTR, DWORD) { EndDialog(dialog, IDCANCEL); });
      });
      RouteCommand(view, ID_VIEW_JOURNAL);
      CDialog::SetModalHook(nullptr);
    }
    testsupport::PumpUntil([] { return false; }, journal ? 0 : seconds * 1000);
    DestroyWindow(frame.Detach());
    if (!sim.Stop()) result = 1;
  }
  OleUninitialize();
  return result;
}
