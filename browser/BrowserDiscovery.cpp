#include "browser/BrowserDiscovery.h"

#include <docobj.h>
#include <mbstring.h>
#include <oleacc.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kTextBufferSize = 2048;
constexpr UINT kDocumentRequestTimeoutMs = 1000;
const char kServerWindowClass[] = "Internet Explorer_Server";
// The HTML object library (LIBID_MSHTML), version 4.0.
const GUID kHtmlTypeLibrary = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

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

// The walk; `found` says whether the entry was kept.
BOOL Walk(const std::function<bool(const BrowserListEntry&)>& found) {
  // The document interfaces are marshalled from the HTML type library, which COM otherwise
  // loads again for every item's proxies (about half the cost of a walk under Wine). It is
  // loaded by the first walk and kept for the program's life, so later walks, each on a
  // thread of its own, find it loaded; a type library serves every thread. Failing to load
  // it changes nothing but the speed.
  static ITypeLib* htmlTypes = [] {
    ITypeLib* loaded = nullptr;
    if (FAILED(LoadRegTypeLib(kHtmlTypeLibrary, 4, 0, LOCALE_NEUTRAL, &loaded))) loaded = nullptr;
    return loaded;
  }();
  (void)htmlTypes;

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
  for (long i = 0; i < count; ++i)
    if (VisitBrowserItem(windows.Get(), i, found) == ItemResult::Failed) return FALSE;
  return TRUE;
}

}  // namespace

BOOL FillBrowserListBox(HWND listBox) {
  SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  return Walk([listBox](const BrowserListEntry& entry) { return AddEntry(listBox, entry); });
}

BOOL WalkBrowsers(const std::function<void(const BrowserListEntry&)>& found) {
  return Walk([&found](const BrowserListEntry& entry) {
    found(entry);
    return true;
  });
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
