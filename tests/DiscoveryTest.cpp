// Finding, resolving and monitoring browsers across processes: the browser simulator plays
// the running browsers; listing, the window → document → browser steps, the selection
// dialog and an event log attached to a discovered browser run in this process.
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <mshtml.h>

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/BrowserDiscovery.h"
#include "browser/EmbeddedBrowserDiscovery.h"
#include "browser/SelectBrowserDlg.h"
#include "browser/WebBrowserEvents2.h"
#include "threads/BoundedWork.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "sim/PlainDispatch.h"
#include "sim/ShellWindowsCollection.h"
#include "sim/ShellWindowsFactory.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"
#include "support/ListingWait.h"
#include "support/SimulatorFixture.h"
#include "support/SimulatorProcess.h"
#include "support/DialogDriver.h"

using testsupport::ClickButton;
using testsupport::RunModal;
using testsupport::WaitForListing;
using testsupport::SimulatorProcess;

namespace {

struct Entry {
  std::string text;
  HWND window;
  bool operator==(const Entry& other) const { return text == other.text && window == other.window; }
};
std::ostream& operator<<(std::ostream& out, const Entry& entry) { return out << entry.text << " @ " << entry.window; }

std::vector<Entry> Entries(HWND listBox) {
  std::vector<Entry> entries;
  const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[2048] = "";
    SendMessageA(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back({text, reinterpret_cast<HWND>(SendMessageA(listBox, LB_GETITEMDATA, static_cast<WPARAM>(i), 0))});
  }
  return entries;
}

std::string WindowText(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string TitleOf(IHTMLDocument* document) {
  IHTMLDocument2* html = nullptr;
  if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html)))) return "<none>";
  BSTR title = nullptr;
  html->get_title(&title);
  char text[256] = "";
  if (title) WideCharToMultiByte(CP_ACP, 0, title, -1, text, sizeof text, nullptr, nullptr);
  SysFreeString(title);
  html->Release();
  return text;
}

HWND BrowserWindow(IWebBrowser2* browser) {
  SHANDLE_PTR handle = 0;
  browser->get_HWND(&handle);
  return reinterpret_cast<HWND>(handle);
}

class DiscoveryTest : public testsupport::SimulatorFixture {
 protected:
  void SetUp() override {
    SimulatorFixture::SetUp();
    m_listBox = CreateWindowA("LISTBOX", "", WS_POPUP | LBS_NOTIFY, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, m_listBox);
  }
  void TearDown() override {
    DestroyWindow(m_listBox);
    SimulatorFixture::TearDown();
  }


  HWND m_listBox = nullptr;
};

}  // namespace

TEST_F(DiscoveryTest, ListsBrowsersThatShowHtmlInCollectionOrder) {
  EXPECT_TRUE(FillBrowserListBox(m_listBox));
  EXPECT_TRUE(Entries(m_listBox).empty());

  Ok("open b1 title=Alpha");
  Ok("folder f1 title=Documents");
  Ok("open b2 title=Same");
  Ok("other o1");
  Ok("open b3 title=Same");

  // A browser already monitored is listed like any other.
  IWebBrowser2* monitored = Resolve(Frame("b1"));
  ASSERT_NE(nullptr, monitored);
  CBrowserEventConnection holder;
  ASSERT_TRUE(holder.Connect(monitored));
  monitored->Release();

  EXPECT_TRUE(FillBrowserListBox(m_listBox));
  EXPECT_EQ((std::vector<Entry>{{"Alpha", Frame("b1")}, {"Same", Frame("b2")}, {"Same", Frame("b3")}}),
            Entries(m_listBox));

  // Refilling replaces the entries; a closed browser is gone.
  Ok("close b2");
  EXPECT_TRUE(FillBrowserListBox(m_listBox));
  ASSERT_EQ(2u, Entries(m_listBox).size());
  EXPECT_EQ(Frame("b3"), Entries(m_listBox)[1].window);
  EXPECT_TRUE(holder.Disconnect());
}

TEST_F(DiscoveryTest, ResolvesAWindowToItsDocumentAndBrowser) {
  Ok("open b1 title=Alpha url=http://alpha.example/");
  Ok("open m1 title=Multi panes=3");
  const HWND frame = Frame("b1");

  IHTMLDocument* document = nullptr;
  ASSERT_TRUE(GetDocumentFromWindow(frame, &document));
  EXPECT_EQ("Alpha", TitleOf(document));
  IWebBrowser2* browser = nullptr;
  ASSERT_TRUE(GetBrowserFromDocument(document, &browser));
  EXPECT_EQ(frame, BrowserWindow(browser));
  browser->Release();
  document->Release();

  // Of several rendering windows, the first one met answers.
  ASSERT_TRUE(GetDocumentFromWindow(Frame("m1"), &document));
  EXPECT_EQ("Multi", TitleOf(document));
  document->Release();

  // No document: FALSE at once, the out-parameter untouched.
  IWebBrowser2* untouched = reinterpret_cast<IWebBrowser2*>(static_cast<UINT_PTR>(0x1234));
  EXPECT_FALSE(GetBrowserFromDocument(nullptr, &untouched));
  EXPECT_EQ(reinterpret_cast<IWebBrowser2*>(static_cast<UINT_PTR>(0x1234)), untouched);

  // A window closed since the listing: FALSE, and the document out-parameter NULL.
  Ok("close b1");
  document = reinterpret_cast<IHTMLDocument*>(static_cast<UINT_PTR>(0x1234));
  EXPECT_FALSE(GetDocumentFromWindow(frame, &document));
  EXPECT_EQ(nullptr, document);
}

// A window of this thread that notes whether a message another thread sent it was handled
// while this thread was waiting for a browser.
struct WaitProbe {
  static WaitProbe* current;
  bool waiting = false;
  int handledWhileWaiting = 0;
  int handledAfter = 0;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
    ++(current->waiting ? current->handledWhileWaiting : current->handledAfter);
    return 1;
  }
};
WaitProbe* WaitProbe::current = nullptr;

struct SendArgs {
  HANDLE go;
  HWND target;
};

DWORD WINAPI SendWhenToldThread(void* param) {
  const SendArgs* args = static_cast<const SendArgs*>(param);
  WaitForSingleObject(args->go, 20000);
  DWORD_PTR reply = 0;
  SendMessageTimeoutA(args->target, WM_APP, 0, 0, SMTO_NORMAL, 20000, &reply);
  return 0;
}

TEST_F(DiscoveryTest, AHungBrowserIsGivenUpAndTheCallerStaysResponsive) {
  Ok("open b1 title=Slow");
  const HWND frame = Frame("b1");
  Ok("hang b1 120000");  // far longer than the test: ended below

  // While it waits for the hung browser, this thread still answers what others send it.
  WaitProbe probe;
  WaitProbe::current = &probe;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WaitProbe::Proc;
  wc.lpszClassName = "OrmixWaitProbe";
  RegisterClassA(&wc);
  const HWND probeWindow = CreateWindowA("OrmixWaitProbe", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  SendArgs args = {CreateEventA(nullptr, TRUE, FALSE, nullptr), probeWindow};
  const HANDLE sender = CreateThread(nullptr, 0, SendWhenToldThread, &args, 0, nullptr);
  probe.waiting = true;
  SetEvent(args.go);
  IHTMLDocument* document = nullptr;
  EXPECT_FALSE(GetDocumentFromWindow(frame, &document));
  probe.waiting = false;
  EXPECT_EQ(nullptr, document);
  EXPECT_EQ(WAIT_OBJECT_0, testsupport::WaitPumping(&sender, 1, 20000));
  EXPECT_EQ(1, probe.handledWhileWaiting);
  EXPECT_EQ(0, probe.handledAfter);
  CloseHandle(sender);
  CloseHandle(args.go);
  DestroyWindow(probeWindow);

  // This thread still handles its own messages at once...
  EXPECT_EQ(static_cast<LRESULT>(0), SendMessageA(m_listBox, LB_GETCOUNT, 0, 0));
  // ...and once the browser answers again, it resolves as before.
  Ok("unhang b1");
  ASSERT_TRUE(GetDocumentFromWindow(frame, &document));
  EXPECT_EQ("Slow", TitleOf(document));
  document->Release();
}


TEST_F(DiscoveryTest, DialogRefreshKeepsTheChosenBrowserAndOkHandsItOver) {
  Ok("open b1 title=First");
  Ok("open b2 title=Second");
  Ok("open b3 title=Third");
  const HWND second = Frame("b2");
  const std::string references = Ok("refs b2");
  MessageBoxRecorder boxes;

  CSelectBrowserDlg dialog;
  std::vector<Entry> opened, refreshed;
  LRESULT selection = -2;
  const INT_PTR result = RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    const HWND list = ::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST);
    opened = Entries(list);
    d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, 1);
    Ok("close b1");
    ClickButton(d, IDC_REFRESH);
    ASSERT_TRUE(WaitForListing(d));
    refreshed = Entries(list);
    selection = d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCURSEL);
    ClickButton(d, IDOK);
  });

  ASSERT_EQ(3u, opened.size());
  EXPECT_EQ("Second", opened[1].text);
  ASSERT_EQ(2u, refreshed.size());
  EXPECT_EQ(0, selection);  // the same browser, at its new place
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(IDOK, result);
  ASSERT_NE(nullptr, dialog.m_pBrowser);
  EXPECT_EQ(second, BrowserWindow(dialog.m_pBrowser));
  dialog.m_pBrowser->Release();
  // The document that led to the browser, and every object of the walks, were given back.
  EXPECT_EQ(references, Ok("refs b2"));
}

TEST_F(DiscoveryTest, AWalkEndedByAnErrorKeepsTheEntriesListedBeforeIt) {
  // COM across processes turns any refused interface into E_NOINTERFACE, so this process
  // serves the shell's window collection to itself: the simulator's first browser, an item
  // that answers E_UNEXPECTED when asked for a browser (a broken server), then a browser.
  Ok("open b1 title=First");
  Ok("open b2 title=After");
  IWebBrowser2* first = Resolve(Frame("b1"));
  IWebBrowser2* after = Resolve(Frame("b2"));
  ASSERT_TRUE(first && after);
  auto* collection = new sim::ShellWindowsCollection;
  auto* broken = new sim::PlainDispatch(E_UNEXPECTED);
  collection->Append(first);
  collection->Append(broken);
  collection->Append(after);
  auto* factory = new sim::ShellWindowsFactory(collection, [] {});
  // Under the shell's class id, and under the one this prefix redirects it to (TreatAs).
  const CLSID kRedirected = {0x6F3C2A91, 0x5B7E, 0x4D08, {0x9A, 0x1C, 0x2E, 0x4B, 0x7D, 0x9F, 0x0C, 0x55}};
  DWORD cookies[2] = {0, 0};
  ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_ShellWindows, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &cookies[0]));
  ASSERT_EQ(S_OK, CoRegisterClassObject(kRedirected, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies[1]));

  EXPECT_FALSE(FillBrowserListBox(m_listBox));
  EXPECT_EQ((std::vector<Entry>{{"First", Frame("b1")}}), Entries(m_listBox));

  CoRevokeClassObject(cookies[0]);
  CoRevokeClassObject(cookies[1]);
  factory->DetachCollection();
  factory->Release();
  collection->Clear();
  collection->Release();
  broken->Release();
  first->Release();
  after->Release();
}

TEST_F(DiscoveryTest, EmbeddedListingLeavesOutAShellBrowserWhosePageShowsUnderAnotherWindow) {
  // The shell's browser b1 with its page moved under a top-level window of this process: not
  // an embedded browser for all that. The host program's control beside it is one.
  Ok("open b1 title=Shell");
  Ok("host h1 caption=Viewer title=Hosted");
  const HWND view = GetParent(SimulatorProcess::Window(Ok("window b1"), "servers"));
  const HWND other = CreateWindowA("STATIC", "Other", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  const HWND frame = SetParent(view, other);
  ASSERT_TRUE(frame);
  std::vector<std::string> listed;
  EXPECT_TRUE(WalkEmbeddedBrowsers([&](const BrowserListEntry& entry) { listed.push_back(entry.caption); }, nullptr));
  SetParent(view, frame);
  DestroyWindow(other);
  EXPECT_EQ(std::vector<std::string>{"ormix-sim.exe | Viewer | Hosted"}, listed);
}

// A list box that refuses to add the entry "Refused", as a full one would.
WNDPROC g_listBoxProc = nullptr;
LRESULT CALLBACK RefusingListBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LB_ADDSTRING && lstrcmpA(reinterpret_cast<const char*>(lParam), "Refused") == 0) return LB_ERR;
  return CallWindowProcA(g_listBoxProc, window, message, wParam, lParam);
}

TEST_F(DiscoveryTest, AnEntryTheListBoxRefusesIsLeftOutAndTheOthersKeepTheirWindows) {
  Ok("open b1 title=One");
  Ok("open b2 title=Refused");
  Ok("open b3 title=Three");
  g_listBoxProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(m_listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingListBoxProc)));
  EXPECT_TRUE(FillBrowserListBox(m_listBox));
  SetWindowLongPtrA(m_listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listBoxProc));
  EXPECT_EQ((std::vector<Entry>{{"One", Frame("b1")}, {"Three", Frame("b3")}}), Entries(m_listBox));
}

TEST_F(DiscoveryTest, DialogListsAHungBrowserWithoutWaitingForIt) {
  // Each browser on a thread of its own, as a real browser's windows are: the one that hangs
  // holds up no other.
  Ok("open b1 title=Hung thread=own");
  Ok("open b2 title=Answering thread=own");
  const HWND frame = Frame("b1");
  // Far longer than the listing waits for one step, so that the step is given up; ended
  // once the first listing is done.
  const DWORD hangMs = 120000;
  Ok("hang b1 " + std::to_string(hangMs));
  const DWORD start = GetTickCount();
  DWORD shownAfter = 0;
  bool postedHandledWhileListing = false;
  std::string statusWhileListing, statusAfter, statusAfterRefresh;
  bool statusShownAfter = false;
  bool okEnabledWhileListing = true;
  std::vector<Entry> listed, refreshed;
  CSelectBrowserDlg dialog;
  RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    shownAfter = GetTickCount() - start;
    const HWND list = ::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST);
    const HWND status = ::GetDlgItem(d.m_hWnd, IDC_LISTING_STATUS);
    statusWhileListing = WindowText(status);
    okEnabledWhileListing = ::IsWindowEnabled(::GetDlgItem(d.m_hWnd, IDOK)) != FALSE;
    // A message posted to the dialog is handled while the walk waits for the browser.
    static bool handled;
    handled = false;
    ::SetTimer(d.m_hWnd, 77, 0, [](HWND w, UINT, UINT_PTR id, DWORD) {
      handled = true;
      ::KillTimer(w, id);
    });
    testsupport::PumpUntil([&] { return handled || !d.IsListing(); }, 20000);
    postedHandledWhileListing = handled && d.IsListing();

    ASSERT_TRUE(WaitForListing(d));
    listed = Entries(list);
    statusAfter = WindowText(status);
    statusShownAfter = (::GetWindowLongA(status, GWL_STYLE) & WS_VISIBLE) != 0;
    // Once the browser answers again, Refresh lists it as before.
    Ok("unhang b1");
    ClickButton(d, IDC_REFRESH);
    ASSERT_TRUE(WaitForListing(d));
    refreshed = Entries(list);
    statusAfterRefresh = (::GetWindowLongA(status, GWL_STYLE) & WS_VISIBLE) ? WindowText(status) : "";
    ClickButton(d, IDCANCEL);
  });
  EXPECT_LT(shownAfter, hangMs / 2);
  EXPECT_FALSE(okEnabledWhileListing);
  EXPECT_EQ("Internet Explorerを探しています...", statusWhileListing);
  EXPECT_TRUE(postedHandledWhileListing);
  // The hung browser is left out, the one that answers is listed.
  EXPECT_EQ((std::vector<Entry>{{"Answering", Frame("b2")}}), listed);
  EXPECT_TRUE(statusShownAfter);
  EXPECT_EQ("応答しないウィンドウがあったため、一覧に含まれていません。", statusAfter);
  EXPECT_EQ((std::vector<Entry>{{"Hung", frame}, {"Answering", Frame("b2")}}), refreshed);
  EXPECT_EQ("", statusAfterRefresh);
}

// One hung browser spoils no later listing: a dialog opened while an earlier walk is still
// held lists the browsers of its own time (one opened since, not one closed since).
TEST_F(DiscoveryTest, AListingAfterAHungBrowserListsTheBrowsersOfItsOwnTime) {
  Ok("open b1 title=Hung thread=own");
  Ok("open b2 title=Closing thread=own");
  Ok("hang b1 120000");  // far longer than the test: ended below
  CSelectBrowserDlg first;
  RunModal<CSelectBrowserDlg>(first, [&](CSelectBrowserDlg& d) { ClickButton(d, IDCANCEL); });  // while it walks
  Ok("close b2");
  Ok("open b3 title=Opened thread=own");
  std::vector<Entry> listed;
  CSelectBrowserDlg later;
  RunModal<CSelectBrowserDlg>(later, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    listed = Entries(::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST));
    ClickButton(d, IDCANCEL);
  });
  EXPECT_EQ((std::vector<Entry>{{"Opened", Frame("b3")}}), listed);
  Ok("unhang b1");
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(20000));
}

TEST_F(DiscoveryTest, ADialogCancelledWhileListingIsLeftAlone) {
  Ok("open b1 title=Slow");
  Ok("hang b1 120000");  // ended once the dialog has gone
  {
    CSelectBrowserDlg dialog;
    bool listing = false;
    EXPECT_EQ(IDCANCEL, RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
      listing = d.IsListing();
      ClickButton(d, IDCANCEL);
    }));
    EXPECT_TRUE(listing);
  }  // the dialog object is gone too
  // The walk ends when the browser answers, hands nothing to anyone, and gives back every
  // reference it took (the fixture counts them).
  Ok("unhang b1");
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(20000));
}

TEST_F(DiscoveryTest, DialogDropsABrowserClosedBeforeOk) {
  Ok("open b1 title=Closing");
  Ok("open b2 title=Staying");
  MessageBoxRecorder boxes;
  CSelectBrowserDlg dialog;
  std::vector<Entry> after;
  LRESULT selectionAfterRefresh = -2;
  RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, 0);
    Ok("close b1");
    ClickButton(d, IDOK);
    ASSERT_TRUE(testsupport::WaitForLookup(d));
    after = Entries(::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST));
    // A refresh with nothing selected selects nothing.
    ClickButton(d, IDC_REFRESH);
    ASSERT_TRUE(WaitForListing(d));
    selectionAfterRefresh = d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCURSEL);
    ClickButton(d, IDCANCEL);
  });
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("指定されたInternet Explorerは見つかりません。", boxes.Boxes()[0].text);
  EXPECT_EQ((std::vector<Entry>{{"Staying", Frame("b2")}}), after);
  EXPECT_EQ(LB_ERR, selectionAfterRefresh);
  EXPECT_EQ(nullptr, dialog.m_pBrowser);
}

// A shell window list that does not answer is said to have listed nothing; a browser that
// stops answering before OK is said not to answer and keeps its entry, unlike one that has
// gone.
TEST_F(DiscoveryTest, BrowsersThatDoNotAnswerAreToldApartFromBrowsersThatAreGone) {
  Ok("open b1 title=Main");  // on the simulator's main thread, which serves the list too
  Ok("open b2 title=Own thread=own");
  MessageBoxRecorder boxes;
  CSelectBrowserDlg dialog;
  std::string statusWhileListHung;
  std::vector<Entry> listed, afterOk;
  bool openAfterOk = false;
  RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    Ok("hang b1 120000");  // far longer than the test: ended below
    ClickButton(d, IDC_REFRESH);
    ASSERT_TRUE(WaitForListing(d));
    statusWhileListHung = WindowText(::GetDlgItem(d.m_hWnd, IDC_LISTING_STATUS));
    Ok("unhang b1");
    ClickButton(d, IDC_REFRESH);
    ASSERT_TRUE(WaitForListing(d));
    const HWND list = ::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST);
    listed = Entries(list);
    Ok("hang b2 120000");
    d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, 1);
    ClickButton(d, IDOK);
    ASSERT_TRUE(testsupport::WaitForLookup(d));
    openAfterOk = ::IsWindow(d.m_hWnd) != FALSE;
    afterOk = Entries(list);
    Ok("unhang b2");
    ClickButton(d, IDCANCEL);
  });
  EXPECT_EQ("ブラウザーの一覧を取得できませんでした（応答がありません）。", statusWhileListHung);
  ASSERT_EQ(2u, listed.size());
  EXPECT_EQ("Own", listed[1].text);
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Internet Explorerが応答しなかったため、接続できませんでした。", boxes.Boxes()[0].text);
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(2u, afterOk.size()) << "the entry stays";
  EXPECT_EQ(nullptr, dialog.m_pBrowser);
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(20000));
}

// A log attached to a browser found by the listing records what that browser, in another
// process, fires. (Every event's arguments across processes: sim_tests; every event's row
// and parameter text: eventlog_tests.)
TEST_F(DiscoveryTest, AnEventLogAttachedToADiscoveredBrowserRecordsItsEvents) {
  Ok("open b1 title=Watched");
  ASSERT_TRUE(FillBrowserListBox(m_listBox));
  const std::vector<Entry> entries = Entries(m_listBox);
  ASSERT_EQ(1u, entries.size());
  IWebBrowser2* browser = Resolve(entries[0].window);
  ASSERT_NE(nullptr, browser);

  CWnd host;
  host.Attach(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 900, 400, nullptr, nullptr, nullptr, nullptr));
  CEventListCtrl* list = new CEventListCtrl;
  ASSERT_TRUE(list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{}, &host, 1));
  ASSERT_TRUE(list->Connect(browser));
  browser->Release();  // the list holds its own reference
  EXPECT_EQ("1", SimulatorProcess::Field(Ok("sinks b1"), "sinks"));

  Ok(std::string("fire b1 StatusTextChange ") + u8"\"bstr:読み込み中\"");  // the simulator reads UTF-8
  Ok("fire b1 BeforeNavigate2 disp:browser pvar:bstr:http://a.example/ pvar:i4:2 pvar:bstr:main "
     "pvar:pvar:text:a=1 pvar:bstr:X-Test:1 pbool:false");
  Ok("quit b1");

  const std::vector<std::vector<std::string>> expected = {
      {"", "イベントの記録を開始しました。"},
      {"StatusTextChange", "Text:読み込み中"},
      {"BeforeNavigate2", "URL:http://a.example/  Flags:2  TargetFrameName:main  PostData:a=1  Headers:X-Test:1"},
      {"OnQuit", ""},
      {"", "Internet Explorerが終了しました。"}};
  // The events come through the window's queue: they are shown once it has run.
  testsupport::PumpUntil([&] { return list->GetItemCount() >= static_cast<int>(expected.size()); }, 10000);
  ASSERT_EQ(static_cast<int>(expected.size()), list->GetItemCount());
  for (int row = 0; row < list->GetItemCount(); ++row) {
    const std::string& name = expected[static_cast<size_t>(row)][0];
    EXPECT_EQ(name.empty() ? "" : "DIID_DWebBrowserEvents2::" + name, list->GetItemText(row, 2)) << row;
    EXPECT_EQ(expected[static_cast<size_t>(row)][1], list->GetItemText(row, 3)) << row;
  }

  // The quit let go of the browser: the simulator holds no sink, the sink only the list's
  // own reference.
  EXPECT_FALSE(list->IsAttached());
  EXPECT_EQ("0", SimulatorProcess::Field(Ok("sinks b1"), "sinks"));
  EXPECT_EQ(1u, list->GetSink()->GetRefCount());
  EXPECT_TRUE(list->Disconnect());
  delete list;
  DestroyWindow(host.Detach());
}
