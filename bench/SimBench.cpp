// Measures, against the browser simulator, what monitoring costs across processes under
// this platform: one event from the simulator's Invoke to the listener, and the discovery
// walk over ShellWindows with 1, 5 and 20 browsers. Prints figures; asserts nothing.
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <ole2.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>

#include "browser/BrowserEventConnection.h"
#include "support/SimulatorProcess.h"

using Microsoft::WRL::ComPtr;
using testsupport::SimulatorProcess;

namespace {

// {3050F1C5-98B5-11CF-BB82-00AA00BDCE0B}, the HTML object library (mshtml.tlb).
const GUID kMshtmlLibrary = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

class CountingConnection : public CBrowserEventConnection {
 public:
  long count = 0;
  void StatusTextChange(const char*) override { ++count; }
  void ProgressChange(long, long) override { ++count; }
  void BeforeNavigate2(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*) override { ++count; }
};

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

ComPtr<IShellWindows> CreateShellWindows() {
  ComPtr<IUnknown> unknown;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                              IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf()))) ||
      FAILED(OleRun(unknown.Get())))
    return nullptr;
  ComPtr<IShellWindows> windows;
  unknown.As(&windows);
  return windows;
}

// The listing walk: create, count, and per item Item, IWebBrowser2, get_Document,
// IHTMLDocument2, get_HWND and the caption. Returns the number of browsers listed.
int DiscoveryWalk() {
  ComPtr<IShellWindows> windows = CreateShellWindows();
  if (!windows) return -1;
  LONG count = 0;
  if (FAILED(windows->get_Count(&count))) return -1;
  int listed = 0;
  for (LONG i = 0; i < count; ++i) {
    VARIANT index;
    VariantInit(&index);
    V_VT(&index) = VT_I4;
    V_I4(&index) = i;
    ComPtr<IDispatch> item;
    windows->Item(index, item.GetAddressOf());
    ComPtr<IWebBrowser2> browser;
    if (!item || FAILED(item.As(&browser))) continue;
    ComPtr<IDispatch> document;
    if (FAILED(browser->get_Document(document.GetAddressOf())) || !document) continue;
    ComPtr<IHTMLDocument2> html;
    if (FAILED(document.As(&html))) continue;
    SHANDLE_PTR handle = 0;
    if (FAILED(browser->get_HWND(&handle))) continue;
    char caption[2048] = "";
    GetWindowTextA(reinterpret_cast<HWND>(handle), caption, sizeof(caption));
    ++listed;
  }
  return listed;
}

void MeasureEvents(SimulatorProcess& sim) {
  sim.Send("open e1 title=Events");
  ComPtr<IShellWindows> windows = CreateShellWindows();
  VARIANT index;
  VariantInit(&index);
  V_VT(&index) = VT_I4;
  V_I4(&index) = 0;
  ComPtr<IDispatch> item;
  if (!windows || FAILED(windows->Item(index, item.GetAddressOf())) || !item) {
    std::printf("events: no browser\n");
    return;
  }
  CountingConnection connection;
  if (!connection.Connect(item.Get())) {
    std::printf("events: connect failed\n");
    return;
  }
  struct Case {
    const char* label;
    const char* command;
  };
  const Case cases[] = {
      {"StatusTextChange (BSTR)", "fire e1 StatusTextChange \"bstr:Loading page\""},
      {"ProgressChange (2 x I4)", "fire e1 ProgressChange i4:50 i4:100"},
      {"BeforeNavigate2 (7 args, post data)",
       "fire e1 BeforeNavigate2 disp:browser pvar:bstr:http://x/ pvar:i4:0 pvar:bstr: pvar:pvar:text:a=1 pvar:bstr: pbool:false"},
  };
  const long n = 500;
  for (const Case& c : cases) {
    connection.count = 0;
    const double start = Now();
    const std::string reply = sim.Send("repeat " + std::to_string(n) + " " + c.command, 120000);
    const double wall = Now() - start;
    const double us = std::atof(SimulatorProcess::Field(reply, "us").c_str());
    std::printf("event %-38s %ld events: %.3f ms/event in the simulator (Invoke to return), %.3f ms/event wall, "
                "%.0f events/s, listener calls %ld\n",
                c.label, n, us / 1000.0 / n, wall / n, n * 1000.0 / wall, connection.count);
  }
  connection.Disconnect();
  sim.Send("close e1");
}

void MeasureDiscovery(SimulatorProcess& sim, const char* label) {
  int opened = 0;
  for (int browsers : {1, 5, 20}) {
    for (; opened < browsers; ++opened)
      sim.Send(std::string("open ") + label + std::to_string(opened) + " title=Page" + std::to_string(opened));
    double first = 0, total = 0;
    const int rounds = 5;
    int listed = 0;
    for (int r = 0; r <= rounds; ++r) {
      const double start = Now();
      listed = DiscoveryWalk();
      const double elapsed = Now() - start;
      if (r == 0) first = elapsed;
      else total += elapsed;
    }
    std::printf("%s discovery walk, %2d browsers (listed %2d): first %.1f ms, then %.1f ms per walk (%.2f ms per browser)\n",
                label, browsers, listed, first, total / rounds, total / rounds / browsers);
  }
}

}  // namespace

int main() {
  if (FAILED(OleInitialize(nullptr))) return 2;
  int result = 0;
  {
    SimulatorProcess sim;
    if (!sim.Start()) {
      std::printf("simulator did not start: %s\n", SimulatorProcess::ExecutablePath().c_str());
      result = 1;
    } else {
      MeasureEvents(sim);
      MeasureDiscovery(sim, "cold");
      for (int i = 0; i < 20; ++i) sim.Send("close cold" + std::to_string(i));
      // The same walk while this process keeps the HTML type library loaded, as a
      // long-running monitor would after its first walk.
      ComPtr<ITypeLib> html;
      LoadRegTypeLib(kMshtmlLibrary, 4, 0, LOCALE_NEUTRAL, html.GetAddressOf());
      std::printf("MSHTML type library %s\n", html ? "held" : "not found");
      MeasureDiscovery(sim, "warm");
      if (!sim.Stop()) result = 1;
      std::printf("simulator exit code %lu\n", sim.ExitCode());
    }
  }
  OleUninitialize();
  return result;
}
