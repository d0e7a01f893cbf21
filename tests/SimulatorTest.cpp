// Cross-process tests against the browser simulator (ormix-sim.exe): the objects a browser
// exposes are reached from this process through ShellWindows, WM_HTML_GETOBJECT and the
// document's service chain, and the events the simulator raises reach a connection holder
// advised on its DWebBrowserEvents2 connection point.
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <oleacc.h>
#include <servprov.h>
#include <shlguid.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/BrowserEventConnection.h"
#include "threads/Dispatcher.h"
#include "threads/MarshalledInterface.h"
#include "support/ConnectWait.h"
#include "support/HostPath.h"
#include "browser/WebBrowserEvents2.h"
#include "support/MessagePump.h"
#include "support/RecordingListener.h"
#include "support/SimulatorFixture.h"
#include "support/SimulatorProcess.h"
#include "support/Variants.h"

using Microsoft::WRL::ComPtr;
using testsupport::SimulatorProcess;

namespace {

constexpr DWORD kClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// ShellWindows reached the way the program reaches it.
ComPtr<IShellWindows> CreateShellWindows() {
  ComPtr<IUnknown> unknown;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, kClassContext, IID_IUnknown,
                              reinterpret_cast<void**>(unknown.GetAddressOf()))))
    return nullptr;
  ComPtr<IShellWindows> windows;
  if (FAILED(OleRun(unknown.Get()))) return nullptr;
  unknown.As(&windows);
  return windows;
}

ComPtr<IDispatch> ItemAt(IShellWindows* windows, long index) {
  ComPtr<IDispatch> item;
  windows->Item(VarI4(index), item.GetAddressOf());
  return item;
}

HWND BrowserHwnd(IWebBrowser2* browser) {
  SHANDLE_PTR handle = 0;  // the proxy fills only 4 bytes under Wine
  if (FAILED(browser->get_HWND(&handle))) return nullptr;
  return reinterpret_cast<HWND>(handle);
}

std::string Caption(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string Narrow(BSTR text) {
  if (!text) return std::string();
  char buffer[2048] = "";
  WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

std::string LocationUrl(IWebBrowser2* browser) {
  BSTR url = nullptr;
  if (FAILED(browser->get_LocationURL(&url))) return "<failed>";
  const std::string text = Narrow(url);
  SysFreeString(url);
  return text;
}

BOOL CALLBACK FindServer(HWND window, LPARAM found) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof(name));
  if (std::string(name) != "Internet Explorer_Server") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The document behind a rendering window, as the program asks for it.
ComPtr<IHTMLDocument> DocumentFromServer(HWND server) {
  static const UINT message = RegisterWindowMessageA("WM_HTML_GETOBJECT");
  DWORD_PTR reply = 0;
  SendMessageTimeoutA(server, message, 0, 0, SMTO_ABORTIFHUNG, 1000, &reply);
  ComPtr<IHTMLDocument> document;
  if (!reply || FAILED(ObjectFromLresult(static_cast<LRESULT>(reply), IID_IHTMLDocument, 0,
                                         reinterpret_cast<void**>(document.GetAddressOf()))))
    return nullptr;
  return document;
}

std::string DocumentTitle(IUnknown* document) {
  ComPtr<IHTMLDocument2> html;
  if (!document || FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(html.GetAddressOf()))))
    return "<none>";
  BSTR title = nullptr;
  html->get_title(&title);
  const std::string text = Narrow(title);
  SysFreeString(title);
  return text;
}

using SimulatorTest = testsupport::SimulatorFixture;

// ---------------------------------------------------------------------------------------

TEST_F(SimulatorTest, ShellWindowsListsTheOpenedItemsInOrder) {
  Ok("open b1 title=Alpha url=http://alpha.example/");
  Ok("open b2 title=Same url=http://same.example/1");
  Ok("open b3 title=Same url=http://same.example/2");
  Ok("folder f1 title=Documents");
  Ok("other o1");
  const HWND frames[3] = {Frame("b1"), Frame("b2"), Frame("b3")};

  ComPtr<IShellWindows> windows = CreateShellWindows();
  ASSERT_TRUE(windows);
  LONG count = -1;
  ASSERT_EQ(S_OK, windows->get_Count(&count));
  EXPECT_EQ(5, count);

  const char* captions[3] = {"Alpha", "Same", "Same"};
  for (long i = 0; i < 3; ++i) {
    ComPtr<IDispatch> item = ItemAt(windows.Get(), i);
    ASSERT_TRUE(item) << i;
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(S_OK, item.As(&browser)) << i;
    ComPtr<IDispatch> document;
    ASSERT_EQ(S_OK, browser->get_Document(document.GetAddressOf()));
    ComPtr<IHTMLDocument2> html;
    EXPECT_EQ(S_OK, document.As(&html)) << i;
    const HWND window = BrowserHwnd(browser.Get());
    EXPECT_EQ(frames[i], window) << i;
    EXPECT_EQ(captions[i], Caption(window)) << i;
  }
  EXPECT_NE(frames[1], frames[2]);

  // The folder window is a browser object whose document is not HTML.
  ComPtr<IWebBrowser2> folder;
  ASSERT_EQ(S_OK, ItemAt(windows.Get(), 3).As(&folder));
  ComPtr<IDispatch> folderView;
  ASSERT_EQ(S_OK, folder->get_Document(folderView.GetAddressOf()));
  ComPtr<IHTMLDocument2> notHtml;
  EXPECT_EQ(E_NOINTERFACE, folderView.As(&notHtml));

  // The last item is no browser at all.
  ComPtr<IDispatch> other = ItemAt(windows.Get(), 4);
  ASSERT_TRUE(other);
  ComPtr<IWebBrowser2> notBrowser;
  EXPECT_EQ(E_NOINTERFACE, other.As(&notBrowser));
  EXPECT_FALSE(ItemAt(windows.Get(), 5));

  // Closing a browser destroys its window and takes it out of the collection.
  Ok("close b2");
  ASSERT_EQ(S_OK, windows->get_Count(&count));
  EXPECT_EQ(4, count);
  EXPECT_FALSE(IsWindow(frames[1]));
  ComPtr<IWebBrowser2> second;
  ASSERT_EQ(S_OK, ItemAt(windows.Get(), 1).As(&second));
  EXPECT_EQ(frames[2], BrowserHwnd(second.Get()));
}

TEST_F(SimulatorTest, WindowLeadsToDocumentAndDocumentToBrowser) {
  Ok("open b1 title=Alpha url=http://alpha.example/");
  Ok("open b2 title=Multi url=http://multi.example/ panes=3");
  const HWND frame = Frame("b1");

  HWND server = nullptr;
  EnumChildWindows(frame, FindServer, reinterpret_cast<LPARAM>(&server));
  ASSERT_TRUE(server);
  EXPECT_NE(frame, GetParent(server));  // nested below the frame, not a direct child
  EXPECT_EQ(frame, GetAncestor(server, GA_ROOT));

  ComPtr<IHTMLDocument> document = DocumentFromServer(server);
  ASSERT_TRUE(document);
  EXPECT_EQ("Alpha", DocumentTitle(document.Get()));
  ComPtr<IOleCommandTarget> target;
  ASSERT_EQ(S_OK, document.As(&target));
  ComPtr<IServiceProvider> provider;
  ASSERT_EQ(S_OK, target.As(&provider));
  ComPtr<IWebBrowser2> browser;
  ASSERT_EQ(S_OK, provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                         reinterpret_cast<void**>(browser.GetAddressOf())));
  EXPECT_EQ(frame, BrowserHwnd(browser.Get()));
  EXPECT_EQ("http://alpha.example/", LocationUrl(browser.Get()));
  ComPtr<IWebBrowserApp> app;
  EXPECT_EQ(S_OK, provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowserApp,
                                         reinterpret_cast<void**>(app.GetAddressOf())));

  // Each rendering window of a browser with several panes answers with its own document.
  const std::vector<HWND> servers = SimulatorProcess::Windows(Ok("window b2"), "servers");
  ASSERT_EQ(3u, servers.size());
  EXPECT_EQ("Multi", DocumentTitle(DocumentFromServer(servers[0]).Get()));
  EXPECT_EQ("Multi (pane 2)", DocumentTitle(DocumentFromServer(servers[1]).Get()));
  EXPECT_EQ("Multi (pane 3)", DocumentTitle(DocumentFromServer(servers[2]).Get()));

  // A browser that stops answering lets the request time out instead of answering.
  Ok("hang b1 600000");
  EXPECT_FALSE(DocumentFromServer(server));
  Ok("unhang b1");
  EXPECT_EQ("OK awake", m_sim.Send("echo awake"));

  // A closed browser's rendering window is gone.
  Ok("close b1");
  EXPECT_FALSE(IsWindow(server));
  EXPECT_FALSE(DocumentFromServer(server));
}

// ---------------------------------------------------------------------------------------

// Writes down every event it receives, one line each: its name and the values of its
// arguments ("self" for the monitored browser itself, "other" for another object).
class RecordingConnection : public RecordingOf<CBrowserEventConnection> {
 public:
  explicit RecordingConnection(IUnknown* browser) : m_browser(browser) {}
  std::vector<std::string> events;

  // A navigation to a URL holding "cancel-me" is cancelled.
  void BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* frame, VARIANT* post,
                       VARIANT* headers, VARIANT_BOOL* cancel) override {
    RecordingOf::BeforeNavigate2(browser, url, flags, frame, post, headers, cancel);
    if (url && V_VT(url) == VT_BSTR && V_BSTR(url) && std::wstring(V_BSTR(url)).find(L"cancel-me") != std::wstring::npos)
      *cancel = VARIANT_TRUE;
  }

 protected:
  using RecordingOf::Describe;
  void Heard(size_t slot, const std::string& args) override {
    events.push_back(std::string(kEventCatalog[slot].name) + "(" + args + ")");
  }
  std::string Describe(const char* text) override { return text; }
  std::string Describe(VARIANT_BOOL* value) override { return value ? "pbool:" + std::to_string(*value) : "null"; }
  std::string Describe(long* value) override { return value ? std::to_string(*value) : "null"; }
  std::string Describe(IDispatch** browser) override { return browser ? (*browser ? "set" : "null") : "nullptr"; }
  std::string Describe(VARIANT* value) override { return Var(value); }
  // "self" when the object is the monitored browser (COM identity), "other" or "null".
  std::string Describe(IDispatch* object) override {
    if (!object) return "null";
    ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf()));
    ComPtr<IUnknown> ours;
    m_browser->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(ours.GetAddressOf()));
    return identity.Get() == ours.Get() ? "self" : "other";
  }

 private:
  static std::string Var(const VARIANT* v) {
    if (!v) return "null";
    char buffer[16];
    switch (V_VT(v)) {
      case VT_EMPTY: return "empty";
      case VT_BSTR: return "bstr:" + Narrow(V_BSTR(v));
      case VT_I4: return "i4:" + std::to_string(V_I4(v));
      case VT_BOOL: return "bool:" + std::to_string(V_BOOL(v));
      case VT_BYREF | VT_VARIANT: return "ref:" + Var(V_VARIANTREF(v));
      case VT_ARRAY | VT_UI1: {
        std::string hex = "bytes:";
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(V_ARRAY(v), 1, &lower);
        SafeArrayGetUBound(V_ARRAY(v), 1, &upper);
        unsigned char* data = nullptr;
        SafeArrayAccessData(V_ARRAY(v), reinterpret_cast<void**>(&data));
        for (LONG i = 0; data && i <= upper - lower; ++i) {
          std::snprintf(buffer, sizeof(buffer), "%02x", data[i]);
          hex += buffer;
        }
        SafeArrayUnaccessData(V_ARRAY(v));
        return hex;
      }
      default:
        std::snprintf(buffer, sizeof(buffer), "vt:0x%04x", static_cast<unsigned>(V_VT(v)));
        return buffer;
    }
  }

  IUnknown* m_browser;
};

ComPtr<IWebBrowser2> FirstBrowser() {
  ComPtr<IShellWindows> windows = CreateShellWindows();
  if (!windows) return nullptr;
  ComPtr<IWebBrowser2> browser;
  ComPtr<IDispatch> item = ItemAt(windows.Get(), 0);
  if (item) item.As(&browser);
  return browser;
}

struct EventCase {
  const char* command;
  const char* expected;
};

// One case per event, in catalogue order; OnQuit comes last because it detaches.
const EventCase kEventCases[] = {
    {"fire b1 StatusTextChange \"bstr:Loading page\"", "StatusTextChange(Loading page)"},
    {"fire b1 ProgressChange i4:50 i4:100", "ProgressChange(50,100)"},
    {"fire b1 CommandStateChange i4:1 bool:true", "CommandStateChange(1,1)"},
    {"fire b1 DownloadBegin", "DownloadBegin()"},
    {"fire b1 DownloadComplete", "DownloadComplete()"},
    // Commands are UTF-8; the listener gets the text in the ANSI code page (932).
    {u8"fire b1 TitleChange \"bstr:日本語のページ\"", "TitleChange(日本語のページ)"},
    {"fire b1 PropertyChange bstr:{prop-1}", "PropertyChange({prop-1})"},
    {"fire b1 BeforeNavigate2 disp:browser pvar:bstr:http://x.example/ pvar:i4:64 pvar:bstr:main "
     "pvar:pvar:text:a=1 \"pvar:bstr:Content-Type: text/plain\\r\\n\" pbool:false",
     "BeforeNavigate2(self,bstr:http://x.example/,i4:64,bstr:main,ref:bytes:613d31,"
     "bstr:Content-Type: text/plain\r\n,pbool:0)"},
    {"fire b1 NewWindow2 pdisp:null pbool:false", "NewWindow2(null,pbool:0)"},
    {"fire b1 NavigateComplete2 disp:browser pvar:bstr:http://x.example/", "NavigateComplete2(self,bstr:http://x.example/)"},
    {"fire b1 DocumentComplete disp:document pvar:bstr:http://x.example/f", "DocumentComplete(other,bstr:http://x.example/f)"},
    {"fire b1 OnVisible bool:true", "OnVisible(1)"},
    {"fire b1 OnToolBar bool:false", "OnToolBar(0)"},
    {"fire b1 OnMenuBar bool:true", "OnMenuBar(1)"},
    {"fire b1 OnStatusBar bool:false", "OnStatusBar(0)"},
    {"fire b1 OnFullScreen bool:true", "OnFullScreen(1)"},
    {"fire b1 OnTheaterMode bool:false", "OnTheaterMode(0)"},
    {"fire b1 WindowSetResizable bool:true", "WindowSetResizable(1)"},
    {"fire b1 WindowSetLeft i4:-5", "WindowSetLeft(-5)"},
    {"fire b1 WindowSetTop i4:7", "WindowSetTop(7)"},
    {"fire b1 WindowSetWidth i4:800", "WindowSetWidth(800)"},
    {"fire b1 WindowSetHeight i4:600", "WindowSetHeight(600)"},
    {"fire b1 WindowClosing bool:true pbool:false", "WindowClosing(1,pbool:0)"},
    {"fire b1 ClientToHostWindow pi4:640 pi4:480", "ClientToHostWindow(640,480)"},
    {"fire b1 SetSecureLockIcon i4:2", "SetSecureLockIcon(2)"},
    {"fire b1 FileDownload pbool:false", "FileDownload(pbool:0)"},
    {"fire b1 NavigateError disp:browser pvar:bstr:http://bad.example/ pvar:bstr:main pvar:i4:404 pbool:false",
     "NavigateError(self,bstr:http://bad.example/,bstr:main,i4:404,pbool:0)"},
    {"fire b1 PrintTemplateInstantiation disp:browser", "PrintTemplateInstantiation(self)"},
    {"fire b1 PrintTemplateTeardown disp:null", "PrintTemplateTeardown(null)"},
    {"fire b1 UpdatePageStatus disp:browser pvar:i4:3 pvar:bool:true", "UpdatePageStatus(self,i4:3,bool:-1)"},
    {"fire b1 PrivacyImpactedStateChange bool:true", "PrivacyImpactedStateChange(1)"},
    {"fire b1 OnQuit", "OnQuit()"},
};

TEST_F(SimulatorTest, AllEventsReachAConnectionHolderAcrossProcesses) {
  Ok("open b1 title=Events url=http://events.example/");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  {
    RecordingConnection holder(browser.Get());
    ASSERT_TRUE(holder.Connect(browser.Get()));
    EXPECT_EQ("OK sinks=1", Ok("sinks b1"));
    static_assert(sizeof(kEventCases) / sizeof(kEventCases[0]) == 32, "one case per event");
    for (const EventCase& c : kEventCases) {
      holder.events.clear();
      const std::string reply = Ok(c.command);
      EXPECT_EQ("1", SimulatorProcess::Field(reply, "calls")) << c.command;
      EXPECT_EQ(std::vector<HRESULT>{S_OK}, SimulatorProcess::Results(reply)) << c.command << " -> " << reply;
      EXPECT_EQ(std::vector<std::string>{c.expected}, holder.events) << c.command;
    }
    // OnQuit let go of the browser: detached, the simulator holds no sink any more, and
    // the sink's reference count is back to the holder's own.
    EXPECT_FALSE(holder.IsAttached());
    EXPECT_EQ("OK sinks=0", Ok("sinks b1"));
    EXPECT_TRUE(testsupport::PumpUntil([&] { return holder.GetSink()->GetRefCount() == 1; }, 5000))
        << holder.GetSink()->GetRefCount();
  }
}

// A flood makes its calls from several threads at once: every call arrives, with its
// arguments; object arguments are refused.
TEST_F(SimulatorTest, AFloodDeliversEveryCallFromSeveralThreads) {
  Ok("open b1 title=Flood");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  RecordingConnection holder(browser.Get());
  ASSERT_TRUE(holder.Connect(browser.Get()));
  const std::string reply = Ok("flood b1 50 threads=4 StatusTextChange \"bstr:Loading page\"");
  EXPECT_EQ("0", SimulatorProcess::Field(reply, "failed")) << reply;
  EXPECT_EQ(std::vector<std::string>(50, "StatusTextChange(Loading page)"), holder.events);
  EXPECT_EQ(0u, m_sim.Send("flood b1 1 threads=2 PrintTemplateTeardown disp:browser").rfind("ERR", 0));
}

// Waiting for the sinks of an item of its own thread is done on that thread, where they are.
TEST_F(SimulatorTest, WaitingForTheSinksOfAnItemOfItsOwnThreadSeesThem) {
  Ok("open t1 thread=own");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  RecordingConnection holder(browser.Get());
  ASSERT_TRUE(holder.Connect(browser.Get()));
  EXPECT_EQ("OK sinks=1", m_sim.Send("wait sinks t1 1 timeout=10000"));
  holder.Disconnect();
}

// `all` hands one command to several items' own threads, `{id}` standing for each id, and
// a repeated command numbers its runs; an item of the main thread is refused.
TEST_F(SimulatorTest, AllRunsACommandOnEachItemsThreadAndRepeatNumbersItsRuns) {
  Ok("open t1 thread=own");
  Ok("open t2 thread=own");
  Ok("open b1");
  ComPtr<IShellWindows> windows = CreateShellWindows();
  ASSERT_TRUE(windows);
  std::vector<ComPtr<IWebBrowser2>> browsers(2);
  for (long i = 0; i < 2; ++i) ASSERT_TRUE(SUCCEEDED(ItemAt(windows.Get(), i).As(&browsers[i])));
  RecordingConnection first(browsers[0].Get()), second(browsers[1].Get());
  ASSERT_TRUE(first.Connect(browsers[0].Get()));
  ASSERT_TRUE(second.Connect(browsers[1].Get()));
  const std::string reply = Ok("all t1,t2 repeat 10 fire {id} StatusTextChange \"bstr:{id} {n}\"");
  EXPECT_EQ("2", SimulatorProcess::Field(reply, "all")) << reply;
  std::vector<std::string> expected[2];
  for (int run = 1; run <= 10; ++run)
    for (int item = 0; item < 2; ++item)
      expected[item].push_back("StatusTextChange(t" + std::to_string(item + 1) + (run < 10 ? " 0" : " ") +
                               std::to_string(run) + ")");
  EXPECT_EQ(expected[0], first.events);
  EXPECT_EQ(expected[1], second.events);
  EXPECT_EQ("ERR not an item of a thread of its own: b1", m_sim.Send("all t1,b1 echo {id}"));
  first.Disconnect();
  second.Disconnect();
}

TEST_F(SimulatorTest, NavigationRaisesTheBrowserSequenceWithPostData) {
  Ok("open b1 title=Nav url=about:blank");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  RecordingConnection holder(browser.Get());
  ASSERT_TRUE(holder.Connect(browser.Get()));

  const std::string reply = Ok("navigate b1 http://nav.example/form flags=4 frame=top post=text:a=1 "
                               "\"headers=X-Test: 1\\r\\n\" title=Submitted");
  EXPECT_EQ("8", SimulatorProcess::Field(reply, "calls"));
  const std::vector<std::string> expected = {
      "BeforeNavigate2(self,bstr:http://nav.example/form,i4:4,bstr:top,ref:bytes:613d31,bstr:X-Test: 1\r\n,pbool:0)",
      "DownloadBegin()",
      "ProgressChange(100,10000)",
      "NavigateComplete2(self,bstr:http://nav.example/form)",
      "TitleChange(Submitted)",
      "ProgressChange(10000,10000)",
      "DownloadComplete()",
      "DocumentComplete(self,bstr:http://nav.example/form)"};
  EXPECT_EQ(expected, holder.events);
  EXPECT_EQ("Submitted", Caption(BrowserHwnd(browser.Get())));
  EXPECT_EQ("http://nav.example/form", LocationUrl(browser.Get()));

  // The post data forms a browser may send: bytes with a terminating zero, an empty array,
  // nothing at all, and a value of another type.
  const EventCase posts[] = {
      {"post=bytes:613d3100", "ref:bytes:613d3100"},
      {"post=bytes:", "ref:bytes:"},
      {"post=empty", "ref:empty"},
      {"post=bstr:x", "ref:bstr:x"},
      {"post=direct:text:a=1", "bytes:613d31"},
  };
  for (const EventCase& post : posts) {
    holder.events.clear();
    Ok(std::string("navigate b1 http://p.example/ ") + post.command);
    ASSERT_FALSE(holder.events.empty());
    EXPECT_NE(std::string::npos, holder.events[0].find(std::string(",") + post.expected + ",")) << holder.events[0];
  }

  // A Cancel set by the receiver travels back and stops the navigation.
  holder.events.clear();
  const std::string cancelled = Ok("navigate b1 http://cancel-me.example/");
  EXPECT_EQ("1", SimulatorProcess::Field(cancelled, "cancelled"));
  EXPECT_EQ(1u, holder.events.size());
  EXPECT_TRUE(holder.Disconnect());
  EXPECT_FALSE(holder.IsAttached());
}

// The first `count` browsers of the shell's window list, in its order.
std::vector<ComPtr<IWebBrowser2>> ListedBrowsers(long count) {
  std::vector<ComPtr<IWebBrowser2>> browsers(static_cast<size_t>(count));
  ComPtr<IShellWindows> windows = CreateShellWindows();
  for (long i = 0; windows && i < count; ++i) ItemAt(windows.Get(), i).As(&browsers[static_cast<size_t>(i)]);
  return browsers;
}

// Connects `holder` as the program does: within a time limit, its events received in the
// receiving thread and queued for this thread.
void ConnectReceiving(CBrowserEventConnection& holder, IWebBrowser2* browser) {
  browser->AddRef();  // taken over by the holder
  ASSERT_EQ(CBrowserEventConnection::BoundedConnect::Advised, testsupport::ConnectAndWait(holder, browser));
}

// Runs on this thread what the receiver has queued so far.
void DeliverReceived() { CDispatcher::ForThisThread()->RunAll(); }

// Refused with the same result whether the sink or the receiver takes the call.
TEST_F(SimulatorTest, MalformedCallsAreRefusedBeforeTheListener) {
  Ok("open b1 title=Bad");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  struct Malformed {
    const char* command;
    HRESULT expected;  // S_OK: any failure will do
  };
  const Malformed calls[] = {
      {"raw b1 StatusTextChange bstr:a bstr:b", DISP_E_BADPARAMCOUNT},
      {"raw b1 ProgressChange i4:1", DISP_E_PARAMNOTOPTIONAL},
      {"fire b1 FileDownload bool:true pbool:false", DISP_E_BADPARAMCOUNT},
      {"raw b1 NavigateComplete2 disp:browser bstr:not-by-reference", S_OK},
      {"raw b1 WindowClosing bool:true pi4:1", S_OK},
      {"raw b1 9999", S_OK},
      {"raw b1 StatusTextChange iid=foreign bstr:x", S_OK},
      {"raw b1 StatusTextChange named=1 bstr:x", S_OK},
  };
  std::vector<std::vector<HRESULT>> refusals[2];
  for (const bool receiving : {false, true}) {
    SCOPED_TRACE(receiving ? "receiver" : "sink");
    RecordingConnection holder(browser.Get());
    if (receiving) ConnectReceiving(holder, browser.Get());
    else ASSERT_TRUE(holder.Connect(browser.Get()));
    for (const Malformed& call : calls) {
      holder.events.clear();
      const std::string reply = Ok(call.command);
      const std::vector<HRESULT> results = SimulatorProcess::Results(reply);
      ASSERT_EQ(1u, results.size()) << call.command << " -> " << reply;
      EXPECT_TRUE(FAILED(results[0])) << call.command << " -> " << reply;
      if (call.expected != S_OK) {
        EXPECT_EQ(call.expected, results[0]) << call.command;
      }
      refusals[receiving].push_back(results);
      DeliverReceived();
      EXPECT_TRUE(holder.events.empty()) << call.command;
    }
    // A well-formed call still gets through afterwards; a null text arrives as empty text.
    Ok("raw b1 StatusTextChange nullbstr");
    DeliverReceived();
    EXPECT_EQ(std::vector<std::string>{"StatusTextChange()"}, holder.events);
    EXPECT_TRUE(holder.Disconnect());
  }
  EXPECT_EQ(refusals[0], refusals[1]);
}

// The browser's call returns while this thread handles no message; the holder then gets the
// event here, with what the sink would have given it.
TEST_F(SimulatorTest, EveryEventThroughTheReceiverReturnsAtOnceAndArrivesAsThroughTheSink) {
  Ok("open b1 title=Events url=http://events.example/");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  RecordingConnection holder(browser.Get());
  ConnectReceiving(holder, browser.Get());
  EXPECT_EQ("OK sinks=1", Ok("sinks b1"));
  for (const EventCase& c : kEventCases) {
    holder.events.clear();
    const std::string reply = m_sim.SendUnpumped(c.command);
    EXPECT_EQ("1", SimulatorProcess::Field(reply, "calls")) << c.command;
    EXPECT_EQ(std::vector<HRESULT>{S_OK}, SimulatorProcess::Results(reply)) << c.command << " -> " << reply;
    EXPECT_TRUE(holder.events.empty()) << c.command;
    DeliverReceived();
    EXPECT_EQ(std::vector<std::string>{c.expected}, holder.events) << c.command;
  }
  // OnQuit let go of the browser, off this thread.
  EXPECT_FALSE(holder.IsAttached());
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
  EXPECT_EQ("OK sinks=0", Ok("sinks b1"));
}

// Two browsers fire in turns and one floods from several threads while this thread handles
// no message: nothing is lost, each holder gets its own browser's events in their order.
TEST_F(SimulatorTest, EventsQueuedWhileThisThreadIsBusyArriveWholeAndInOrderPerBrowser) {
  Ok("open b1 title=One");
  Ok("open b2 title=Two");
  const std::vector<ComPtr<IWebBrowser2>> browsers = ListedBrowsers(2);
  ASSERT_TRUE(browsers[0] && browsers[1]);
  RecordingConnection one(browsers[0].Get()), two(browsers[1].Get());
  ConnectReceiving(one, browsers[0].Get());
  ConnectReceiving(two, browsers[1].Get());
  std::vector<std::string> expectedOne, expectedTwo;
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(0u, m_sim.SendUnpumped("fire b1 StatusTextChange bstr:one-" + n).rfind("OK", 0));
    EXPECT_EQ(0u, m_sim.SendUnpumped("fire b2 StatusTextChange bstr:two-" + n).rfind("OK", 0));
    expectedOne.push_back("StatusTextChange(one-" + n + ")");
    expectedTwo.push_back("StatusTextChange(two-" + n + ")");
  }
  const std::string flood = m_sim.SendUnpumped("flood b2 400 threads=4 StatusTextChange bstr:flood", 120000);
  EXPECT_EQ("0", SimulatorProcess::Field(flood, "failed")) << flood;
  expectedTwo.resize(expectedTwo.size() + 400, "StatusTextChange(flood)");
  EXPECT_TRUE(one.events.empty());
  DeliverReceived();
  EXPECT_EQ(expectedOne, one.events);
  EXPECT_EQ(expectedTwo, two.events);
}

// A holder let go of, or destroyed, with events still queued: none of them is delivered,
// to it or to another holder; OnQuit with events queued behind it ends the log as the sink
// does, where the browser heard of the unadvise before its next event.
TEST_F(SimulatorTest, QueuedEventsOfAClosedOrQuitConnectionGoNowhere) {
  Ok("open b1 title=One");
  Ok("open b2 title=Two");
  Ok("open b3 title=Three");
  const std::vector<ComPtr<IWebBrowser2>> browsers = ListedBrowsers(3);
  ASSERT_TRUE(browsers[0] && browsers[1] && browsers[2]);
  auto destroyed = std::make_unique<RecordingConnection>(browsers[0].Get());
  RecordingConnection letGo(browsers[1].Get()), quitting(browsers[2].Get());
  ConnectReceiving(*destroyed, browsers[0].Get());
  ConnectReceiving(letGo, browsers[1].Get());
  ConnectReceiving(quitting, browsers[2].Get());
  for (const char* id : {"b1", "b2"})
    EXPECT_EQ(0u, m_sim.SendUnpumped(std::string("fire ") + id + " StatusTextChange bstr:queued").rfind("OK", 0));
  for (const char* command : {"fire b3 StatusTextChange bstr:before", "fire b3 OnQuit", "fire b3 StatusTextChange bstr:after"})
    EXPECT_EQ(0u, m_sim.SendUnpumped(command).rfind("OK", 0));
  destroyed.reset();
  letGo.DisconnectInBackground();
  DeliverReceived();
  EXPECT_TRUE(letGo.events.empty());
  EXPECT_EQ((std::vector<std::string>{"StatusTextChange(before)", "OnQuit()"}), quitting.events);
  EXPECT_FALSE(quitting.IsAttached());
  EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
  for (const char* id : {"b1", "b2", "b3"}) EXPECT_EQ("OK sinks=0", Ok(std::string("sinks ") + id)) << id;
}

TEST_F(SimulatorTest, ClosingBrowsersWithAndWithoutOnQuit) {
  Ok("open b1 title=One");
  Ok("open b2 title=Two");
  ComPtr<IShellWindows> windows = CreateShellWindows();
  ASSERT_TRUE(windows);
  ComPtr<IWebBrowser2> first, second;
  ASSERT_EQ(S_OK, ItemAt(windows.Get(), 0).As(&first));
  ASSERT_EQ(S_OK, ItemAt(windows.Get(), 1).As(&second));
  RecordingConnection quitting(first.Get());
  RecordingConnection vanishing(second.Get());
  ASSERT_TRUE(quitting.Connect(first.Get()));
  ASSERT_TRUE(vanishing.Connect(second.Get()));

  // Closed with OnQuit: the holder detaches itself.
  Ok("close b1 quit");
  EXPECT_EQ(std::vector<std::string>{"OnQuit()"}, quitting.events);
  EXPECT_FALSE(quitting.IsAttached());

  // Closed without a word: the browser is gone, so unadvising fails and the holder stays
  // attached until it is destroyed (which then releases what it holds).
  Ok("close b2");
  EXPECT_TRUE(vanishing.events.empty());
  EXPECT_FALSE(vanishing.Unadvise());
  EXPECT_TRUE(vanishing.IsAttached());
  LONG count = -1;
  ASSERT_EQ(S_OK, windows->get_Count(&count));
  EXPECT_EQ(0, count);
}

// ---------------------------------------------------------------------------------------

// Keeps the first argument of every DocumentComplete, so a test can look at the objects.
class FrameRecordingConnection : public RecordingConnection {
 public:
  using RecordingConnection::RecordingConnection;
  std::vector<ComPtr<IDispatch>> completed;

  void DocumentComplete(IDispatch* browser, VARIANT* url) override {
    RecordingConnection::DocumentComplete(browser, url);
    completed.push_back(browser);
  }
};

ComPtr<IUnknown> Identity(IUnknown* object) {
  ComPtr<IUnknown> identity;
  if (object) object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf()));
  return identity;
}

TEST_F(SimulatorTest, FramedPageRaisesEachFramesEventsBeforeThePageCompletes) {
  Ok("open b1 title=Framed url=http://framed.example/index.html frames=2");
  const std::string openedRefs = Ok("refs b1");
  ComPtr<IWebBrowser2> browser = FirstBrowser();
  ASSERT_TRUE(browser);
  FrameRecordingConnection holder(browser.Get());
  ASSERT_TRUE(holder.Connect(browser.Get()));
  const std::string callsBefore = Ok("calls b1");
  EXPECT_EQ("0,0", SimulatorProcess::Field(callsBefore, "frames"));

  const std::string reply = Ok("navigate b1 http://framed.example/news/index.html title=News");
  EXPECT_EQ("14", SimulatorProcess::Field(reply, "calls"));
  const std::vector<std::string> expected = {
      "BeforeNavigate2(self,bstr:http://framed.example/news/index.html,i4:0,bstr:,ref:empty,bstr:,pbool:0)",
      "DownloadBegin()",
      "ProgressChange(100,10000)",
      "NavigateComplete2(self,bstr:http://framed.example/news/index.html)",
      "TitleChange(News)",
      "BeforeNavigate2(other,bstr:http://framed.example/news/frame1.html,i4:0,bstr:frame1,ref:empty,bstr:,pbool:0)",
      "NavigateComplete2(other,bstr:http://framed.example/news/frame1.html)",
      "DocumentComplete(other,bstr:http://framed.example/news/frame1.html)",
      "BeforeNavigate2(other,bstr:http://framed.example/news/frame2.html,i4:0,bstr:frame2,ref:empty,bstr:,pbool:0)",
      "NavigateComplete2(other,bstr:http://framed.example/news/frame2.html)",
      "DocumentComplete(other,bstr:http://framed.example/news/frame2.html)",
      "ProgressChange(10000,10000)",
      "DownloadComplete()",
      "DocumentComplete(self,bstr:http://framed.example/news/index.html)"};
  EXPECT_EQ(expected, holder.events);

  // Each frame is an object of its own; the page's own completion comes last.
  ASSERT_EQ(3u, holder.completed.size());
  ComPtr<IUnknown> frame1 = Identity(holder.completed[0].Get());
  ComPtr<IUnknown> frame2 = Identity(holder.completed[1].Get());
  ASSERT_TRUE(frame1 && frame2);
  EXPECT_NE(frame1.Get(), frame2.Get());
  EXPECT_EQ(Identity(browser.Get()).Get(), Identity(holder.completed[2].Get()).Get());

  // Telling the objects apart cost the simulator no call; asking a frame for an interface
  // and for its URL are one call each, counted for that frame.
  EXPECT_EQ(callsBefore, Ok("calls b1"));
  ComPtr<IWebBrowser2> frame;
  ASSERT_EQ(S_OK, holder.completed[0].As(&frame));
  EXPECT_EQ("1,0", SimulatorProcess::Field(Ok("calls b1"), "frames"));
  EXPECT_EQ("http://framed.example/news/frame1.html", LocationUrl(frame.Get()));
  EXPECT_EQ("2,0", SimulatorProcess::Field(Ok("calls b1"), "frames"));
  EXPECT_EQ(SimulatorProcess::Field(callsBefore, "calls"), SimulatorProcess::Field(Ok("calls b1"), "calls"));

  // A frame is no top-level container and has no window; its document is its own, and
  // leads through its service chain to the top-level browser.
  VARIANT_BOOL topLevel = VARIANT_TRUE;
  EXPECT_EQ(S_OK, frame->get_TopLevelContainer(&topLevel));
  EXPECT_EQ(VARIANT_FALSE, topLevel);
  SHANDLE_PTR handle = 0;
  EXPECT_TRUE(FAILED(frame->get_HWND(&handle)));
  ComPtr<IDispatch> document;
  ASSERT_EQ(S_OK, frame->get_Document(document.GetAddressOf()));
  EXPECT_EQ("News (frame 1)", DocumentTitle(document.Get()));
  ComPtr<IServiceProvider> provider;
  ASSERT_EQ(S_OK, document.As(&provider));
  ComPtr<IWebBrowser2> top;
  ASSERT_EQ(S_OK, provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                         reinterpret_cast<void**>(top.GetAddressOf())));
  EXPECT_EQ(Identity(browser.Get()).Get(), Identity(top.Get()).Get());

  // Events can name a frame; a page without frames navigates as before.
  holder.events.clear();
  Ok("fire b1 NavigateError disp:frame2 pvar:bstr:http://framed.example/x pvar:bstr:frame2 pvar:i4:404 pbool:false");
  EXPECT_EQ(std::vector<std::string>{"NavigateError(other,bstr:http://framed.example/x,bstr:frame2,i4:404,pbool:0)"},
            holder.events);
  // The frames got back every reference this process took from them.
  holder.completed.clear();
  frame.Reset();
  document.Reset();
  provider.Reset();
  top.Reset();
  frame1.Reset();
  frame2.Reset();
  EXPECT_EQ(SimulatorProcess::Field(openedRefs, "frames"), SimulatorProcess::Field(Ok("refs b1"), "frames"));
  Ok("frames b1 0");
  EXPECT_EQ("8", SimulatorProcess::Field(Ok("navigate b1 http://plain.example/"), "calls"));
  EXPECT_EQ(0u, m_sim.Send("fire b1 DocumentComplete disp:frame1 pvar:bstr:x").rfind("ERR", 0));
  EXPECT_TRUE(holder.Disconnect());
}

// The top-level windows with an "Internet Explorer_Server" among their descendants.
std::vector<std::pair<HWND, HWND>> EmbeddedServers() {
  std::vector<std::pair<HWND, HWND>> found;
  EnumWindows(
      [](HWND top, LPARAM list) -> BOOL {
        HWND server = nullptr;
        EnumChildWindows(top, FindServer, reinterpret_cast<LPARAM>(&server));
        if (server) reinterpret_cast<std::vector<std::pair<HWND, HWND>>*>(list)->emplace_back(top, server);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

ComPtr<IWebBrowser2> BrowserOfServer(HWND server) {
  ComPtr<IHTMLDocument> document = DocumentFromServer(server);
  ComPtr<IServiceProvider> provider;
  ComPtr<IWebBrowser2> browser;
  if (!document || FAILED(document.As(&provider))) return nullptr;
  provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(browser.GetAddressOf()));
  return browser;
}

bool InShellWindows(IUnknown* browser) {
  ComPtr<IShellWindows> windows = CreateShellWindows();
  LONG count = 0;
  if (!windows || FAILED(windows->get_Count(&count))) return false;
  for (long i = 0; i < count; ++i)
    if (Identity(ItemAt(windows.Get(), i).Get()).Get() == Identity(browser).Get()) return true;
  return false;
}

std::string ClassName(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof(name));
  return name;
}

std::string ExecutableName(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  char path[MAX_PATH] = "";
  DWORD size = MAX_PATH;
  if (process) QueryFullProcessImageNameA(process, 0, path, &size);
  if (process) CloseHandle(process);
  const std::string full = path;
  return full.substr(full.find_last_of("\\/") + 1);
}

TEST_F(SimulatorTest, EmbeddedBrowsersAreFoundBesideTheShellsWindowList) {
  Ok("open b1 title=Shell url=http://shell.example/");
  Ok("host h1 caption=\"Help Viewer\" title=\"Help topic\" url=http://help.example/topic");
  SimulatorProcess hostProcess;
  hostProcess.HostOnly();
  ASSERT_TRUE(hostProcess.Start());
  EXPECT_EQ(0u, hostProcess.Send("open x1").rfind("ERR", 0));  // a host process lists no browsers
  EXPECT_EQ(0u, hostProcess.Send("host h2 caption=Installer title=Setup url=http://setup.example/").rfind("OK", 0));
  const HWND hostWindows[2] = {Frame("h1"), SimulatorProcess::Window(hostProcess.Send("window h2"), "hwnd")};

  // Walking every top-level window's children finds both hosts and the shell's browser;
  // only the shell's browser is in its window list.
  std::vector<ComPtr<IWebBrowser2>> hosted;
  int shellBrowsers = 0;
  for (const auto& [top, server] : EmbeddedServers()) {
    ComPtr<IWebBrowser2> browser = BrowserOfServer(server);
    if (!browser) continue;
    if (InShellWindows(browser.Get())) {
      EXPECT_EQ(Frame("b1"), top);
      ++shellBrowsers;
      continue;
    }
    EXPECT_NE("IEFrame", ClassName(top));
    EXPECT_NE(top, GetParent(server));
    if (top == hostWindows[0]) {
      EXPECT_EQ("Help Viewer", Caption(top));
      EXPECT_EQ("ormix-sim.exe", ExecutableName(top));
      EXPECT_EQ("http://help.example/topic", LocationUrl(browser.Get()));
      hosted.insert(hosted.begin(), browser);
    } else if (top == hostWindows[1]) {
      EXPECT_EQ("Installer", Caption(top));
      EXPECT_EQ("ormix-sim-host.exe", ExecutableName(top));
      EXPECT_EQ("Setup", DocumentTitle(DocumentFromServer(server).Get()));
      hosted.push_back(browser);
    }
  }
  EXPECT_EQ(1, shellBrowsers);
  ASSERT_EQ(2u, hosted.size());
  SHANDLE_PTR handle = 0;
  EXPECT_TRUE(FAILED(hosted[0]->get_HWND(&handle)));  // a control has no application window

  // Their events reach an advised sink, from either process.
  RecordingConnection first(hosted[0].Get()), second(hosted[1].Get());
  ASSERT_TRUE(first.Connect(hosted[0].Get()));
  ASSERT_TRUE(second.Connect(hosted[1].Get()));
  Ok("navigate h1 http://help.example/next title=Next");
  EXPECT_EQ(8u, first.events.size());
  EXPECT_EQ("DocumentComplete(self,bstr:http://help.example/next)", first.events.back());
  EXPECT_EQ("Help Viewer", Caption(hostWindows[0]));  // the host keeps its own caption
  EXPECT_EQ(0u, hostProcess.Send("status h2 Installing").rfind("OK calls=1 hr=0x00000000", 0));
  EXPECT_EQ(std::vector<std::string>{"StatusTextChange(Installing)"}, second.events);

  // A host goes away with its windows.
  EXPECT_TRUE(first.Disconnect());
  EXPECT_TRUE(second.Disconnect());
  EXPECT_EQ(0u, hostProcess.Send("close h2").rfind("OK", 0));
  EXPECT_FALSE(IsWindow(hostWindows[1]));
  hosted.clear();
  EXPECT_TRUE(hostProcess.Stop());
  EXPECT_EQ(0u, hostProcess.ExitCode());
}

TEST_F(SimulatorTest, WaitsEndSoonAfterTheControlPipeBreaks) {
  // Each wait is far longer than the bound below: ending within it means the simulator saw
  // its pipe break, as it does when the test driving it is killed. A browser of a thread of
  // its own hangs and waits there, and the simulator's end ends that too.
  struct Case {
    const char* open;
    const char* wait;
  };
  const Case cases[] = {{"open b1", "hang b1 60000"},
                        {"open b1", "sleep 60000"},
                        {"open b1", "wait sinks b1 1 timeout=60000"},
                        {"open b1 thread=own", "hang b1 60000"},
                        {"open b1 thread=own", "wait sinks b1 1 timeout=60000"}};
  for (const auto& [open, wait] : cases) {
    SCOPED_TRACE(std::string(open) + ", " + wait);
    if (!m_sim.IsRunning()) {
      m_sim.Stop();
      ASSERT_TRUE(m_sim.Start()) << m_sim.Problem();
    }
    Ok(open);
    // Written together: once the echo is answered, the wait is next in the simulator's queue.
    ASSERT_EQ("OK next", m_sim.Send(std::string("echo next\n") + wait));
    m_sim.BreakPipe();
    const HANDLE process = m_sim.Process();
    EXPECT_EQ(WAIT_OBJECT_0, testsupport::WaitPumping(&process, 1, 10000)) << "still waiting after its pipe broke";
  }
}

TEST_F(SimulatorTest, UnhangEndsHangsAtOnce) {
  // Every hang lasts far longer than Send waits for a reply: a reply means it has ended.
  // Hangs of the main thread (which reads the pipe while it hangs), of an item's own thread
  // and of both at once; hangs still waiting for their call are forgotten.
  Ok("open b1");
  Ok("open t1 thread=own");
  const std::vector<std::vector<std::string>> cases = {
      {"hang b1 600000", "unhang b1"},
      {"hang t1 600000", "unhang t1"},
      {"hang t1 600000", "hang b1 600000", "unhang"},
      {"hang b1 600000 call=1", "hang t1 600000 call=1", "unhang"},
      {"hang t1 600000 call=1", "unhang t1"}};
  for (const auto& steps : cases) {
    SCOPED_TRACE(steps.back());
    for (size_t i = 0; i + 1 < steps.size(); ++i) Ok(steps[i]);
    EXPECT_EQ("OK", m_sim.Send(steps.back()));
    for (const char* id : {"b1", "t1"}) EXPECT_EQ("OK hang=0", m_sim.Send(std::string("hang ") + id + " 0"));
  }
  EXPECT_EQ("ERR no such id: b9", m_sim.Send("unhang b9"));
}

// The calls the simulator's main thread has taken so far (`calls`), or -1 without an answer.
long MainThreadCalls(SimulatorProcess& sim) {
  const std::string total = SimulatorProcess::Field(sim.Send("calls"), "total");
  return total.empty() ? -1 : std::stol(total);
}

// A browser of a thread of its own that listings have handed out again and again hangs only
// its own thread: a listing that reaches it meanwhile waits for it alone, the main thread
// (which serves the window list) answers that listing and the next command, and `unhang`
// ends the hang at once.
TEST_F(SimulatorTest, AListedBrowserOfItsOwnThreadHangsWithoutHoldingTheMainThread) {
  Ok("open t1 thread=own url=http://hung.example/");
  Ok("open b1");
  // Listings as the program makes them; each hands the item out once more.
  for (int listing = 0; listing < 4; ++listing)
    EXPECT_TRUE(WalkBrowsers([](long, const BrowserListEntry&) {}, nullptr, [](long) {}));
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(20000));
  auto collection = std::make_shared<CMarshalledInterface<IShellWindows>>();
  ComPtr<IShellWindows> windows = CreateShellWindows();
  ASSERT_TRUE(windows && collection->Marshal(windows.Get()));

  Ok("hang t1 600000");  // far longer than the test: ended below
  const long before = MainThreadCalls(m_sim);
  ASSERT_GE(before, 0);
  CBoundedWork<std::string> listing;
  std::optional<std::string> listed;
  ASSERT_TRUE(listing.Start(
      [collection] {
        ComPtr<IWebBrowser2> browser;
        const ComPtr<IShellWindows> own = collection->Take();
        if (!own || FAILED(ItemAt(own.Get(), 0).As(&browser))) return std::string("<not listed>");
        return LocationUrl(browser.Get());
      },
      nullptr, [&](std::optional<std::string> result) { listed = result.value_or("<no result>"); }));
  // Its one call into the main thread is counted as it arrives; a count that includes it
  // comes only from a main thread that has answered it.
  EXPECT_TRUE(testsupport::PumpUntil([&] { return MainThreadCalls(m_sim) > before; }, 20000));
  EXPECT_EQ("OK", m_sim.Send("unhang t1"));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return listed.has_value(); }, 20000));
  EXPECT_EQ("http://hung.example/", listed.value_or("<still waiting>"));
}

// A client process that advises on the first browser of the shell's window list and then
// serves its apartment, or with `hangs` stops serving it; ended by force when it goes out of
// scope.
class AdvisingClient {
 public:
  explicit AdvisingClient(bool hangs) {
    std::string line = "\"" + testsupport::BuiltProgramPath(ADVISING_CLIENT) + "\"" + (hangs ? " hang" : "");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return;
    CloseHandle(started.hThread);
    m_process = started.hProcess;
  }
  AdvisingClient(const AdvisingClient&) = delete;
  AdvisingClient& operator=(const AdvisingClient&) = delete;
  ~AdvisingClient() { Kill(); }

  bool Started() const { return m_process != nullptr; }
  // Ends the process by force and waits (pumping) until it has gone.
  bool Kill() {
    if (!m_process) return true;
    TerminateProcess(m_process, 1);
    const bool gone = testsupport::WaitPumping(&m_process, 1, 20000) == WAIT_OBJECT_0;
    CloseHandle(m_process);
    m_process = nullptr;
    return gone;
  }

 private:
  HANDLE m_process = nullptr;
};

// A client that stops answering while it holds an advise, killed or hung, costs the events
// after it no more than the bound of one call: its sink, the first, is dropped at the first
// event, and the holder advised after it gets that event and the next.
TEST_F(SimulatorTest, TheSinkOfAClientThatStopsAnsweringIsDroppedWithinTheBoundOfOneCall) {
  for (const bool killed : {true, false}) {
    SCOPED_TRACE(killed ? "killed" : "hung");
    Ok("open b1");
    AdvisingClient client(!killed);
    ASSERT_TRUE(client.Started());
    ASSERT_EQ("OK sinks=1", m_sim.Send("wait sinks b1 1 timeout=20000"));
    if (killed) {
      ASSERT_TRUE(client.Kill());
    }
    {
      ComPtr<IWebBrowser2> browser = FirstBrowser();
      ASSERT_TRUE(browser);
      RecordingConnection holder(browser.Get());
      ASSERT_TRUE(holder.Connect(browser.Get()));
      // Far above the bound (10 s), far below what a call into a client that does not answer
      // takes otherwise (for ever, while the client hangs).
      const DWORD deadlineMs = 40000;
      const std::string first = m_sim.Send("status b1 first", deadlineMs);
      const std::vector<HRESULT> results = SimulatorProcess::Results(first);
      ASSERT_EQ(2u, results.size()) << first;
      EXPECT_TRUE(FAILED(results[0])) << first;
      if (!killed) {
        EXPECT_EQ(RPC_E_TIMEOUT, results[0]) << first;  // given up at the bound
      }
      EXPECT_EQ(S_OK, results[1]) << first;
      EXPECT_EQ("OK sinks=1", m_sim.Send("sinks b1"));
      EXPECT_EQ("OK calls=1 hr=0x00000000", m_sim.Send("status b1 second", deadlineMs));
      EXPECT_EQ((std::vector<std::string>{"StatusTextChange(first)", "StatusTextChange(second)"}), holder.events);
      EXPECT_TRUE(holder.Disconnect());
    }
    EXPECT_TRUE(client.Kill());
    Ok("close b1");
  }
}

// A browser opened to fail the advise: `refuse` refuses it, `hang:MS` answers only after
// the hang and then accepts, `refuse-hang:MS` refuses and then holds the next call for the
// hang. Only lower bounds: a hang inside Advise lies wholly between the call and its answer;
// one begun after the refusal has most of its time still ahead when the refusal is read.
TEST_F(SimulatorTest, AnAdviseOptionRefusesOrHoldsTheConnect) {
  constexpr DWORD kHangMs = 2000;
  const std::string hang = std::to_string(kHangMs);
  struct Case {
    std::string advise;
    HRESULT result;
    const char* sinks;
    DWORD adviseWaitsMs;    // at least, for Advise's answer
    DWORD nextCallWaitsMs;  // at least, from that answer, for the next call's
  };
  const Case cases[] = {{"refuse", CONNECT_E_CANNOTCONNECT, "OK sinks=0", 0, 0},
                        {"hang:" + hang, S_OK, "OK sinks=1", kHangMs, 0},
                        {"refuse-hang:" + hang, CONNECT_E_CANNOTCONNECT, "OK sinks=0", 0, kHangMs / 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.advise);
    Ok("open b1 url=http://advise.example/ advise=" + c.advise);
    {
      ComPtr<IWebBrowser2> browser = FirstBrowser();
      ASSERT_TRUE(browser);
      ComPtr<IConnectionPointContainer> container;
      ASSERT_EQ(S_OK, browser.As(&container));
      ComPtr<IConnectionPoint> point;
      ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.GetAddressOf()));
      ComPtr<IDispatch> sink;
      sink.Attach((new CWebBrowserEvents2)->GetIDispatch(FALSE));
      DWORD cookie = 0;
      const DWORD start = GetTickCount();
      EXPECT_EQ(c.result, point->Advise(sink.Get(), &cookie));
      const DWORD answered = GetTickCount();
      EXPECT_EQ("http://advise.example/", LocationUrl(browser.Get()));
      EXPECT_GE(answered - start, c.adviseWaitsMs);
      EXPECT_GE(GetTickCount() - answered, c.nextCallWaitsMs);
      EXPECT_EQ(c.sinks, m_sim.Send("sinks b1"));
      if (cookie) {
        EXPECT_EQ(S_OK, point->Unadvise(cookie));
      }
    }
    Ok("close b1");
  }
  EXPECT_EQ(0u, m_sim.Send("open b1 advise=hang").rfind("ERR bad advise", 0));
}

TEST(SimulatorProcessTest, ARestartReadsNothingTheLastSimulatorWrote) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start()) << sim.Problem();
  // Replies never read, all written by the time the process has ended: the first read takes
  // them all.
  ASSERT_TRUE(sim.Write("echo left\necho over\nexit"));
  const HANDLE process = sim.Process();
  ASSERT_EQ(WAIT_OBJECT_0, testsupport::WaitPumping(&process, 1, 20000));
  EXPECT_EQ("OK left", sim.Reply());
  sim.Stop();
  ASSERT_TRUE(sim.Start()) << sim.Problem();
  EXPECT_EQ("OK again", sim.Send("echo again"));
  EXPECT_TRUE(sim.Stop());
}

// A simulator killed outright cannot withdraw its class; the next one still serves the list.
TEST(SimulatorProcessTest, AKilledSimulatorDoesNotBreakTheNextOne) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start()) << sim.Problem();
  ASSERT_TRUE(TerminateProcess(sim.Process(), 255));
  const HANDLE process = sim.Process();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 20000));
  ASSERT_TRUE(sim.Start()) << sim.Problem();
  EXPECT_EQ("OK count=1", sim.Send("open b1 title=After"));
  ComPtr<IShellWindows> windows = CreateShellWindows();
  LONG count = -1;
  ASSERT_TRUE(windows);
  EXPECT_EQ(S_OK, windows->get_Count(&count));
  EXPECT_EQ(1, count);
  windows.Reset();
  EXPECT_TRUE(sim.Stop());
}

TEST_F(SimulatorTest, ASecondSimulatorIsToldTheWindowListIsNotItsOwn) {
  SimulatorProcess second;
  EXPECT_FALSE(second.Start());
  EXPECT_NE(std::string::npos, second.Problem().find("served by simulator process " +
                                                      std::to_string(m_sim.ProcessId())))
      << second.Problem();
  EXPECT_FALSE(second.IsRunning());
}

// Runs last: it leaves a simulator started by COM that ends once released.
TEST(SimulatorServerTest, ComStartsAnEmptyCollectionWhenNoSimulatorRuns) {
  ASSERT_TRUE(SimulatorProcess::Register());
  ComPtr<IShellWindows> windows = CreateShellWindows();
  ASSERT_TRUE(windows);
  LONG count = -1;
  ASSERT_EQ(S_OK, windows->get_Count(&count));
  EXPECT_EQ(0, count);
  EXPECT_FALSE(ItemAt(windows.Get(), 0));
}

}  // namespace
