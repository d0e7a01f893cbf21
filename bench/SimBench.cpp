// Measures, against the browser simulator, what monitoring costs across processes under
// this platform: one event from the simulator's Invoke to a row in an event log list, and
// the listing walk over ShellWindows with 1, 5 and 20 browsers. Prints figures; asserts nothing.
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <commctrl.h>
#include <ole2.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>

#include "browser/BrowserDiscovery.h"
#include "log/EventListCtrl.h"
#include "support/SimulatorProcess.h"

using Microsoft::WRL::ComPtr;
using testsupport::SimulatorProcess;

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The program's own listing walk into a hidden list box. Returns the entries listed.
int DiscoveryWalk(HWND listBox) {
  if (!FillBrowserListBox(listBox)) return -1;
  return static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
}

// Events from the simulator into an event log list: from the simulator's Invoke until the
// row has been added and the call has returned. `visible` shows the list, which is what a
// user watches and costs far more under Wine than a hidden list.
void MeasureEvents(SimulatorProcess& sim, bool visible, long n) {
  sim.Send("open e1 title=Events");
  HWND listBox = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const int listed = DiscoveryWalk(listBox);
  const HWND window = listed == 1 ? reinterpret_cast<HWND>(SendMessageA(listBox, LB_GETITEMDATA, 0, 0)) : nullptr;
  DestroyWindow(listBox);
  IHTMLDocument* document = nullptr;
  IWebBrowser2* browser = nullptr;
  if (!window || !GetDocumentFromWindow(window, &document) || !GetBrowserFromDocument(document, &browser)) {
    std::printf("events: browser not found\n");
    if (document) document->Release();
    return;
  }
  document->Release();

  CWnd host;
  host.Attach(CreateWindowA("STATIC", "", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 1000, 700, nullptr, nullptr,
                            nullptr, nullptr));
  CEventListCtrl* list = new CEventListCtrl;
  list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 1000, 700}, &host, 1);
  list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  const BOOL connected = list->Connect(browser);
  browser->Release();
  if (!connected) {
    std::printf("events: connect failed\n");
  } else {
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
    for (const Case& c : cases) {
      const int before = list->GetItemCount();
      const double start = Now();
      const std::string reply = sim.Send("repeat " + std::to_string(n) + " " + c.command, 600000);
      const double wall = Now() - start;
      const double us = std::atof(SimulatorProcess::Field(reply, "us").c_str());
      std::printf("%s list, event %-36s %ld events: %.3f ms/event (simulator Invoke to row added and returned), "
                  "%.0f events/s, %.3f ms/event wall, rows added %d\n",
                  visible ? "visible" : "hidden ", c.label, n, us / 1000.0 / n, n * 1000.0 * 1000.0 / us, wall / n,
                  list->GetItemCount() - before);
    }
  }
  list->Disconnect();
  delete list;
  DestroyWindow(host.Detach());
  sim.Send("close e1");
}

void MeasureDiscovery(SimulatorProcess& sim, const char* label) {
  int opened = 0;
  HWND listBox = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int browsers : {1, 5, 20}) {
    for (; opened < browsers; ++opened)
      sim.Send(std::string("open ") + label + std::to_string(opened) + " title=Page" + std::to_string(opened));
    double first = 0, total = 0;
    const int rounds = 5;
    int listed = 0;
    for (int r = 0; r <= rounds; ++r) {
      const double start = Now();
      listed = DiscoveryWalk(listBox);
      const double elapsed = Now() - start;
      if (r == 0) first = elapsed;
      else total += elapsed;
    }
    std::printf("%s discovery walk, %2d browsers (listed %2d): first %.1f ms, then %.1f ms per walk (%.2f ms per browser)\n",
                label, browsers, listed, first, total / rounds, total / rounds / browsers);
  }
  DestroyWindow(listBox);
}

}  // namespace

int main() {
  if (FAILED(OleInitialize(nullptr))) return 2;
  InitCommonControls();
  int result = 0;
  {
    SimulatorProcess sim;
    if (!sim.Start()) {
      std::printf("simulator did not start: %s\n", SimulatorProcess::ExecutablePath().c_str());
      result = 1;
    } else {
      MeasureEvents(sim, false, 500);
      MeasureEvents(sim, true, 100);
      MeasureDiscovery(sim, "listing");
      if (!sim.Stop()) result = 1;
      std::printf("simulator exit code %lu\n", sim.ExitCode());
    }
  }
  OleUninitialize();
  return result;
}
