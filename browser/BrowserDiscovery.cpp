#include "browser/BrowserDiscovery.h"

#include <docobj.h>
#include <mbstring.h>
#include <oleacc.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "threads/BoundedWork.h"
#include "framework/ComIdentity.h"
#include "threads/MarshalledInterface.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kTextBufferSize = 2048;
constexpr UINT kDocumentRequestTimeoutMs = 1000;
const char kServerWindowClass[] = "Internet Explorer_Server";
// The HTML object library (LIBID_MSHTML), version 4.0, and the browser's (SHDocVw), 1.1.
const GUID kHtmlTypeLibrary = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
const GUID kBrowserTypeLibrary = {0xeab22ac0, 0x30c1, 0x11cf, {0xa7, 0xeb, 0x00, 0x00, 0xc0, 0x5b, 0xae, 0x0b}};
// How many items of the collection the walk visits at once, each visitor on a thread (and
// apartment) of its own. A browser answers on its window's thread, so visitors overlap one
// browser's answers with another's, and one that hangs holds up its own visitor only. A
// visitor costs a thread and a proxy of the collection; four keep a small machine's
// processors busy.
constexpr long kVisitors = 4;

using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);

// How a step of the walk ended: the item is listed, skipped, or the walk must stop
// (a COM error other than a missing interface).
enum class ItemResult { Listed, Skipped, Failed };

// A failed query means "not there" only for E_NOINTERFACE; anything else is an error.
ItemResult Absent(HRESULT hr) { return hr == E_NOINTERFACE ? ItemResult::Skipped : ItemResult::Failed; }

// Adds one entry; false when the list box refused it.
bool AddEntry(HWND listBox, const BrowserListEntry& entry) {
  const LRESULT index = SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.caption.c_str()));
  // LB_ERR or LB_ERRSPACE: nothing was added. Item data set at index -1 would go to every
  // entry, so the browser is left out instead.
  if (index < 0) return false;
  SendMessageA(listBox, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.window));
  return true;
}

ItemResult VisitBrowserItem(IShellWindows* windows, long index,
                            const std::function<bool(const BrowserListEntry&)>& found) {
  VARIANT position;
  VariantInit(&position);
  position.vt = VT_I4;
  position.lVal = index;

  ItemResult result = ItemResult::Skipped;
  ComPtr<IDispatch> item;
  windows->Item(position, &item);  // only whether an object came back counts
  if (item) {
    ComPtr<IWebBrowser2> browser;
    ComPtr<IDispatch> document;
    ComPtr<IHTMLDocument2> htmlDocument;
    HRESULT hr = item.As(&browser);
    if (FAILED(hr) || !browser) {
      result = FAILED(hr) ? Absent(hr) : ItemResult::Skipped;
    } else if (FAILED(browser->get_Document(&document)) || !document) {
      result = ItemResult::Skipped;
    } else if (FAILED(hr = document.As(&htmlDocument)) || !htmlDocument) {
      result = FAILED(hr) ? Absent(hr) : ItemResult::Skipped;  // not showing an HTML document
    } else {
      // Some servers fill only the low 4 bytes of the handle: start from zero.
      SHANDLE_PTR handle = 0;
      if (SUCCEEDED(browser->get_HWND(&handle))) {
        BrowserListEntry entry;
        entry.window = reinterpret_cast<HWND>(handle);
        char caption[kTextBufferSize] = "";
        GetWindowTextA(entry.window, caption, kTextBufferSize);
        entry.caption = caption;
        if (found(entry)) result = ItemResult::Listed;
      }
    }
  }
  if (FAILED(VariantClear(&position))) return ItemResult::Failed;
  return result;
}

// Keeps the type libraries that the walk's proxies are built from loaded for the program's
// life. COM otherwise loads them again for every item's proxies (about half the cost of a
// walk under Wine); a type library serves every thread, so later walks, each on a thread of
// its own, find them loaded. Failing to load one changes nothing but the speed.
void KeepTypeLibraries() {
  static const bool kept = [] {
    struct Library {
      const GUID* id;
      WORD major, minor;
    };
    for (const Library& library : {Library{&kHtmlTypeLibrary, 4, 0}, Library{&kBrowserTypeLibrary, 1, 1}}) {
      ITypeLib* loaded = nullptr;  // kept: never released
      if (FAILED(LoadRegTypeLib(*library.id, library.major, library.minor, LOCALE_NEUTRAL, &loaded))) loaded = nullptr;
      (void)loaded;
    }
    return true;
  }();
  (void)kept;
}

// Reported to by the visitors of one walk, from their threads. Shared with them: a visitor
// held by a browser that does not answer may outlast the walk, and then reports nothing more.
struct WalkReport {
  std::function<bool(long place, const BrowserListEntry&)> found;
  std::function<void()> stepped;
  std::function<void(long place)> failed;
  long count = 0;
  std::atomic<long> next{0};
  std::atomic<long> firstFailed{LONG_MAX};
  std::mutex lock;
  bool closed = false;  // the walk has returned

  bool Found(long place, const BrowserListEntry& entry) {
    std::lock_guard<std::mutex> hold(lock);
    return !closed && found(place, entry);
  }
  void Stepped() {
    std::lock_guard<std::mutex> hold(lock);
    if (!closed && stepped) stepped();
  }
  void Failed(long place) {
    std::lock_guard<std::mutex> hold(lock);
    if (!closed) failed(place);
  }
  void Close() {
    std::lock_guard<std::mutex> hold(lock);
    closed = true;
  }
};

// Visits the items not yet taken, one after another, until none is left or a step has failed
// before the next item (a walk ends at its first failed step).
void VisitItems(IShellWindows* windows, WalkReport& report) {
  for (;;) {
    const long place = report.next++;
    if (place >= report.count || place > report.firstFailed) return;
    const ItemResult result = VisitBrowserItem(
        windows, place, [&report, place](const BrowserListEntry& entry) { return report.Found(place, entry); });
    if (result == ItemResult::Skipped) report.Stepped();
    if (result != ItemResult::Failed) continue;
    long first = report.firstFailed;
    while (place < first && !report.firstFailed.compare_exchange_weak(first, place)) {
    }
    report.Failed(place);
    return;
  }
}

// How long a walk waits for its visitors. Far beyond the listing's own limit for one step,
// which gives the owner what was found long before; a visitor still held by a browser after
// this goes on by itself and reports nothing more.
constexpr DWORD kVisitorsWaitMs = 60000;

// Visits every item with up to kVisitors visitors, each in an apartment of its own with its
// own proxy of the collection; this thread waits for them, serving calls into its apartment
// meanwhile (the collection may live here). True when every visitor ended in time.
bool VisitConcurrently(IShellWindows* windows, const std::shared_ptr<WalkReport>& report) {
  std::vector<std::unique_ptr<CBoundedWork<bool>>> visitors;
  for (long i = 0; i < std::min(kVisitors, report->count); ++i) {
    auto collection = std::make_shared<CMarshalledInterface<IShellWindows>>();
    if (!collection->Marshal(windows)) break;
    auto visitor = std::make_unique<CBoundedWork<bool>>();
    const bool started = visitor->Start([collection, report] {
      if (const ComPtr<IShellWindows> own = collection->Take()) VisitItems(own.Get(), *report);
      return true;
    });
    if (started) visitors.push_back(std::move(visitor));
  }
  // Without a visitor of its own, this thread visits.
  if (visitors.empty()) VisitItems(windows, *report);
  const DWORD start = ::GetTickCount();
  bool allEnded = true;
  for (const auto& visitor : visitors) {
    const DWORD elapsed = ::GetTickCount() - start;
    allEnded = visitor->Join(elapsed >= kVisitorsWaitMs ? 0 : kVisitorsWaitMs - elapsed) && allEnded;
    visitor->Take();
  }
  return allEnded;
}

// The walk: `found` is told of each entry with its place, `failed` of a failed step's place.
BOOL Walk(const std::function<bool(long place, const BrowserListEntry&)>& found, const std::function<void()>& stepped,
          const std::function<void(long place)>& failed) {
  KeepTypeLibraries();

  ComPtr<IUnknown> unknown;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                              IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf()))) ||
      !unknown)
    return FALSE;

  ComPtr<IShellWindows> windows;
  const bool running = SUCCEEDED(OleRun(unknown.Get()));
  if (!running || FAILED(unknown.As(&windows)) || !windows) return FALSE;
  unknown.Reset();

  long count = 0;
  if (FAILED(windows->get_Count(&count))) return FALSE;
  auto report = std::make_shared<WalkReport>();
  report->found = found;
  report->stepped = stepped;
  report->failed = failed;
  report->count = count;
  // A collection served in this apartment hands out this apartment's objects: visitors
  // elsewhere would only call back here, and would see every refused query as a missing
  // interface.
  bool allEnded = true;
  if (count > 1 && IsProxy(windows.Get())) allEnded = VisitConcurrently(windows.Get(), report);
  else VisitItems(windows.Get(), *report);
  report->Close();
  return report->firstFailed == LONG_MAX && allEnded;
}

}  // namespace

BOOL FillBrowserListBox(HWND listBox) {
  SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  std::mutex lock;
  std::map<long, BrowserListEntry> found;
  long firstFailed = LONG_MAX;
  const BOOL ended = Walk(
      [&](long place, const BrowserListEntry& entry) {
        std::lock_guard<std::mutex> hold(lock);
        found.emplace(place, entry);
        return true;
      },
      nullptr,
      [&](long place) {
        std::lock_guard<std::mutex> hold(lock);
        firstFailed = std::min(firstFailed, place);
      });
  // In the collection's order, and only those before a step that failed.
  for (const auto& entry : found)
    if (entry.first < firstFailed) AddEntry(listBox, entry.second);
  return ended;
}

BOOL WalkBrowsers(const std::function<void(long place, const BrowserListEntry&)>& found,
                  const std::function<void()>& stepped, const std::function<void(long place)>& failed) {
  return Walk(
      [found](long place, const BrowserListEntry& entry) {
        found(place, entry);
        return true;
      },
      stepped, failed);
}

void AddBrowserEntries(HWND listBox, const std::vector<BrowserListEntry>& entries) {
  for (const BrowserListEntry& entry : entries) AddEntry(listBox, entry);
}

BOOL CALLBACK FindServerWindowProc(HWND window, LPARAM found) {
  char className[kTextBufferSize] = "";
  GetClassNameA(window, className, kTextBufferSize);
  if (_mbscmp(reinterpret_cast<const unsigned char*>(className),
              reinterpret_cast<const unsigned char*>(kServerWindowClass)) != 0)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;  // the first match ends the enumeration
}

BOOL GetDocumentFromWindow(HWND browserWindow, IHTMLDocument** document) {
  if (!document) return FALSE;
  *document = nullptr;
  HWND server = nullptr;
  // A window that no longer exists has no children: the enumeration finds nothing.
  EnumChildWindows(browserWindow, FindServerWindowProc, reinterpret_cast<LPARAM>(&server));
  if (!server) return FALSE;
  return GetDocumentFromServerWindow(server, document);
}

BOOL GetDocumentFromServerWindow(HWND server, IHTMLDocument** document) {
  if (!document) return FALSE;
  *document = nullptr;
  HMODULE library = LoadLibraryA("OLEACC.DLL");
  if (!library) return FALSE;

  BOOL result = FALSE;
  const UINT message = RegisterWindowMessageA("WM_HTML_GETOBJECT");
  DWORD_PTR reply = 0;
  SendMessageTimeoutA(server, message, 0, 0, SMTO_ABORTIFHUNG, kDocumentRequestTimeoutMs, &reply);
  auto objectFromLresult =
      reinterpret_cast<ObjectFromLresultFn>(reinterpret_cast<void*>(GetProcAddress(library, "ObjectFromLresult")));
  IHTMLDocument* found = nullptr;
  if (objectFromLresult &&
      SUCCEEDED(objectFromLresult(static_cast<LRESULT>(reply), IID_IHTMLDocument, 0,
                                  reinterpret_cast<void**>(&found))) &&
      found) {
    *document = found;
    result = TRUE;
  }
  FreeLibrary(library);
  return result;
}

BOOL GetBrowserFromDocument(IHTMLDocument* document, IWebBrowser2** browser) {
  if (!document || !browser) return FALSE;
  ComPtr<IOleCommandTarget> commandTarget;
  if (FAILED(document->QueryInterface(IID_IOleCommandTarget,
                                      reinterpret_cast<void**>(commandTarget.GetAddressOf()))) ||
      !commandTarget)
    return FALSE;
  ComPtr<IServiceProvider> services;
  if (FAILED(commandTarget.As(&services)) || !services) return FALSE;
  IWebBrowser2* found = nullptr;
  if (FAILED(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&found))) ||
      !found)
    return FALSE;
  *browser = found;
  return TRUE;
}
