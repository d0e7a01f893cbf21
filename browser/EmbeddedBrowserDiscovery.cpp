#include "browser/EmbeddedBrowserDiscovery.h"

#include <mshtml.h>
#include <shldisp.h>
#include <shlguid.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/AnsiString.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kTextBufferSize = 2048;
const char kServerWindowClass[] = "Internet Explorer_Server";
const char kNameSeparator[] = " | ";
// The HTML object library (LIBID_MSHTML), version 4.0.
const GUID kHtmlTypeLibrary = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

bool IsServerWindow(HWND window) {
  char className[kTextBufferSize] = "";
  ::GetClassNameA(window, className, kTextBufferSize);
  return std::strcmp(className, kServerWindowClass) == 0;
}

// The rendering windows below `top` that are not inside another rendering window, in the
// enumeration's order.
std::vector<HWND> OutermostServers(HWND top) {
  struct Search {
    HWND top;
    std::vector<HWND> servers;
  } search = {top, {}};
  ::EnumChildWindows(
      top,
      [](HWND window, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        if (!IsServerWindow(window)) return TRUE;
        for (HWND parent = ::GetParent(window); parent && parent != s->top; parent = ::GetParent(parent))
          if (IsServerWindow(parent)) return TRUE;
        s->servers.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.servers;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(
      [](HWND window, LPARAM lParam) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The browsers of the shell's window list: their windows and their COM identities.
struct ShellBrowsers {
  std::vector<HWND> windows;
  std::vector<ComPtr<IUnknown>> identities;

  bool HasWindow(HWND window) const {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
  }
  // Comparing identities is answered by this process's own COM: no call leaves it.
  bool HasBrowser(IUnknown* identity) const {
    for (const ComPtr<IUnknown>& known : identities)
      if (known.Get() == identity) return true;
    return false;
  }
};

ShellBrowsers ListShellBrowsers() {
  ShellBrowsers shell;
  ComPtr<IUnknown> unknown;
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(unknown.GetAddressOf()))) ||
      !unknown || FAILED(::OleRun(unknown.Get())) || FAILED(unknown.As(&windows)) || !windows)
    return shell;
  long count = 0;
  if (FAILED(windows->get_Count(&count))) return shell;
  for (long i = 0; i < count; ++i) {
    VARIANT position;
    ::VariantInit(&position);
    position.vt = VT_I4;
    position.lVal = i;
    ComPtr<IDispatch> item;
    windows->Item(position, &item);
    ComPtr<IUnknown> identity;
    if (!item || FAILED(item.As(&identity)) || !identity) continue;
    shell.identities.push_back(identity);
    ComPtr<IWebBrowser2> browser;
    SHANDLE_PTR handle = 0;  // some servers fill only the low 4 bytes
    if (SUCCEEDED(item.As(&browser)) && browser && SUCCEEDED(browser->get_HWND(&handle)) && handle)
      shell.windows.push_back(reinterpret_cast<HWND>(handle));
  }
  return shell;
}

std::string DocumentTitle(IHTMLDocument* document) {
  ComPtr<IHTMLDocument2> html;
  BSTR title = nullptr;
  if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(html.GetAddressOf()))) ||
      !html || FAILED(html->get_title(&title)))
    return std::string();
  std::string text = AnsiFromBstr(title);
  ::SysFreeString(title);
  text.resize(std::strlen(text.c_str()));  // an embedded zero ends the text
  return text;
}

std::string Caption(HWND window) {
  char caption[kTextBufferSize] = "";
  ::GetWindowTextA(window, caption, kTextBufferSize);
  return caption;
}

}  // namespace

std::string ExecutableNameOfWindow(HWND window) {
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return std::string();
  char path[MAX_PATH] = "";
  DWORD size = MAX_PATH;
  const BOOL known = ::QueryFullProcessImageNameA(process, 0, path, &size);
  ::CloseHandle(process);
  if (!known) return std::string();
  const std::string full(path, size);
  const size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

std::string EmbeddedBrowserName(const std::string& executable, const std::string& caption,
                                const std::string& title) {
  std::string name;
  for (const std::string* part : {&executable, &caption, &title}) {
    if (part->empty()) continue;
    if (!name.empty()) name += kNameSeparator;
    name += *part;
  }
  return name;
}

BOOL GetBrowserFromServerWindow(HWND server, IWebBrowser2** browser) {
  if (!browser) return FALSE;
  ComPtr<IHTMLDocument> document;
  if (!GetDocumentFromServerWindow(server, document.GetAddressOf())) return FALSE;
  return GetBrowserFromDocument(document.Get(), browser);
}

BOOL WalkEmbeddedBrowsers(const std::function<void(const BrowserListEntry&)>& found,
                          const std::function<void()>& stepped) {
  // The document interfaces are marshalled from the HTML type library, which COM otherwise
  // loads again for every walk's proxies; it is loaded by the first walk and kept.
  static ITypeLib* htmlTypes = [] {
    ITypeLib* loaded = nullptr;
    if (FAILED(::LoadRegTypeLib(kHtmlTypeLibrary, 4, 0, LOCALE_NEUTRAL, &loaded))) loaded = nullptr;
    return loaded;
  }();
  (void)htmlTypes;

  const ShellBrowsers shell = ListShellBrowsers();
  // The identities listed so far; held, so that no new object can take an address of theirs.
  std::vector<ComPtr<IUnknown>> listed;
  auto isListed = [&listed](IUnknown* identity) {
    return std::any_of(listed.begin(), listed.end(),
                       [identity](const ComPtr<IUnknown>& known) { return known.Get() == identity; });
  };
  // Lists the control in `server`, below `top`, unless it is the shell's or listed already.
  auto visit = [&](HWND top, HWND server) {
    ComPtr<IHTMLDocument> document;
    ComPtr<IWebBrowser2> browser;
    ComPtr<IUnknown> identity;
    if (!GetDocumentFromServerWindow(server, document.GetAddressOf()) ||
        !GetBrowserFromDocument(document.Get(), browser.GetAddressOf()) || FAILED(browser.As(&identity)) ||
        shell.HasBrowser(identity.Get()) || isListed(identity.Get()))
      return false;
    listed.push_back(identity);
    BrowserListEntry entry;
    entry.caption = EmbeddedBrowserName(ExecutableNameOfWindow(top), Caption(top), DocumentTitle(document.Get()));
    entry.window = server;
    found(entry);
    return true;
  };
  for (HWND top : TopLevelWindows()) {
    // A shell browser's own window: its rendering windows are the shell's, no call needed.
    if (!shell.HasWindow(top))
      for (HWND server : OutermostServers(top))
        if (!visit(top, server) && stepped) stepped();
    if (stepped) stepped();
  }
  return TRUE;
}
