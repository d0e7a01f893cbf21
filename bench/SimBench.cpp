// Measures what monitoring costs under this platform and prints every figure as one table:
// (1) one event across processes, from the browser simulator's Invoke, into a sink that
// does nothing, an event log in a hidden window and an event log in a visible top-level
// window, side by side; (2) how the cost of a row grows up to 100,000 rows and the memory
// a row takes; (3) saving and copying 100,000 rows; (5) the listing walk over 1, 5 and 20
// browsers. Prints figures; asserts nothing.
//
//   sim_bench [--events N] [--rows N] [--skip-growth] [--skip-export]
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ole2.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "browser/BrowserDiscovery.h"
#include "browser/WebBrowserEvents2.h"
#include "log/EventListCtrl.h"
#include "res/resource.h"
#include "support/MessagePump.h"
#include "support/SimulatorProcess.h"
#include "support/Variants.h"

using testsupport::PumpPendingMessages;
using testsupport::SimulatorProcess;

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double WorkingSetBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.WorkingSetSize);
}

// One line of the table: section, figure, value.
void Row(const char* section, const std::string& figure, const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof(text), format, value);
  std::printf("| %s | %s | %s |\n", section, figure.c_str(), text);
  std::fflush(stdout);
}

// Pumps until this thread's queue is empty, so the work a burst of rows left (redraw,
// scrolling, column width, painting) is done and counted.
void Settle() {
  for (int i = 0; i < 50; ++i) {
    PumpPendingMessages();
    if (!GetQueueStatus(QS_ALLINPUT)) return;
  }
}

// Stands in for the program's main window until it exists: a visible top-level window of
// 1000 x 700 pixels whose client area the event log fills, as a tab does.
class LogWindow {
 public:
  explicit LogWindow(bool visible) {
    static const ATOM atom = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = "OrmixBenchFrame";
      return RegisterClassA(&wc);
    }();
    (void)atom;
    m_frame.Attach(CreateWindowA("OrmixBenchFrame", "Ormix bench",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), 0, 0, 1000,
                                 700, nullptr, nullptr, nullptr, nullptr));
    RECT client = {};
    GetClientRect(m_frame.m_hWnd, &client);
    list = new CEventListCtrl;
    list->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_REPORT, client, &m_frame, 1);
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    Settle();
  }
  ~LogWindow() {
    list->Disconnect();
    delete list;
    DestroyWindow(m_frame.Detach());
    Settle();
  }
  LogWindow(const LogWindow&) = delete;
  LogWindow& operator=(const LogWindow&) = delete;

  CEventListCtrl* list;

 private:
  CWnd m_frame;
};

// The program's own listing walk into a hidden list box. Returns the entries listed.
int DiscoveryWalk(HWND listBox) {
  if (!FillBrowserListBox(listBox)) return -1;
  return static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
}

// The browser object of the simulator's only browser, found as the selection dialog finds it.
IWebBrowser2* FindOnlyBrowser() {
  HWND listBox = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const int listed = DiscoveryWalk(listBox);
  const HWND window = listed == 1 ? reinterpret_cast<HWND>(SendMessageA(listBox, LB_GETITEMDATA, 0, 0)) : nullptr;
  DestroyWindow(listBox);
  IHTMLDocument* document = nullptr;
  IWebBrowser2* browser = nullptr;
  if (window && GetDocumentFromWindow(window, &document)) GetBrowserFromDocument(document, &browser);
  if (document) document->Release();
  return browser;
}

// (1) Events across processes into three receivers, side by side in one run.
void MeasureEventCost(SimulatorProcess& sim, long n) {
  const char* kSection = "1 event cost";
  sim.Send("open e1 title=Events");
  IWebBrowser2* browser = FindOnlyBrowser();
  if (!browser) {
    std::printf("| %s | browser not found | - |\n", kSection);
    sim.Send("close e1");
    return;
  }
  struct Event {
    const char* label;
    std::string command;
  };
  const Event events[] = {
      {"StatusTextChange", "fire e1 StatusTextChange \"bstr:Loading page http://example.com/\""},
      {"BeforeNavigate2 + post data",
       "fire e1 BeforeNavigate2 disp:browser pvar:bstr:http://example.com/login pvar:i4:0 pvar:bstr: "
       "pvar:pvar:text:user=a&pw=b pvar:bstr:\"Content-Type: application/x-www-form-urlencoded\\r\\n\" pbool:false"},
  };
  for (const Event& event : events) {
    double inCall[3] = {0, 0, 0};
    const char* receivers[3] = {"(a) do-nothing sink", "(b) hidden log", "(c) visible window log"};
    for (int receiver = 0; receiver < 3; ++receiver) {
      CBrowserEventConnection plain;
      LogWindow* window = receiver == 0 ? nullptr : new LogWindow(receiver == 2);
      CBrowserEventConnection* holder = window ? static_cast<CBrowserEventConnection*>(window->list) : &plain;
      holder->Connect(browser);
      Settle();
      const int rowsBefore = window ? window->list->GetItemCount() : 0;
      const double start = Now();
      const std::string reply = sim.Send("repeat " + std::to_string(n) + " " + event.command, 600000);
      Settle();
      const double wall = Now() - start;
      const double us = std::atof(SimulatorProcess::Field(reply, "us").c_str());
      inCall[receiver] = us / 1000.0 / n;
      const std::string label = std::string(event.label) + ", " + receivers[receiver];
      Row(kSection, label + ": ms per event inside the call", "%.3f", inCall[receiver]);
      Row(kSection, label + ": events/s (wall, end-of-burst work included)", "%.0f", n * 1000.0 / wall);
      if (window && window->list->GetItemCount() - rowsBefore != n)
        std::printf("| %s | %s: rows added | %d of %ld |\n", kSection, label.c_str(),
                    window->list->GetItemCount() - rowsBefore, n);
      holder->Disconnect();
      delete window;
    }
    Row(kSection, std::string(event.label) + ": ratio c/b (time inside the call)", "%.2f", inCall[2] / inCall[1]);
  }
  browser->Release();
  sim.Send("close e1");
}

// (2) Rows delivered through the sink's Invoke into a visible log, in blocks of 100 calls
// after which the thread's queue is emptied (the end of a burst and its painting).
void MeasureGrowth(long rows) {
  const char* kSection = "2 growth";
  LogWindow window(true);
  IDispatch* sink = window.list->GetSink()->GetIDispatch(FALSE);
  BSTR text = SysAllocString(L"Loading page http://example.com/index.html");
  const double memoryBefore = WorkingSetBytes();
  auto deliver = [&](long count) {
    const double start = Now();
    for (long i = 0; i < count; ++i) {
      InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(text)});
      if (i % 100 == 99) Settle();
    }
    Settle();
    return (Now() - start) / count;
  };
  const long window1 = rows < 1000 ? rows : 1000;
  const double first = deliver(window1);
  if (rows > 2 * window1) deliver(rows - 2 * window1);
  const double last = rows > window1 ? deliver(window1) : first;
  const double memoryAfter = WorkingSetBytes();
  const std::string lastLabel = std::to_string(rows - window1 + 1) + "-" + std::to_string(rows);
  Row(kSection, "visible log, ms per row, rows 1-" + std::to_string(window1), "%.3f", first);
  Row(kSection, "visible log, ms per row, rows " + lastLabel, "%.3f", last);
  Row(kSection, "ratio last/first", "%.2f", last / first);
  Row(kSection, "working set per row at " + std::to_string(rows) + " rows (bytes)", "%.0f",
      (memoryAfter - memoryBefore) / rows);
  SysFreeString(text);
}

// (3) Saving and copying `rows` rows, against reading the same texts back and writing the
// same bytes with one buffered write.
void MeasureExport(long rows) {
  const char* kSection = "3 save and copy";
  LogWindow window(false);
  IDispatch* sink = window.list->GetSink()->GetIDispatch(FALSE);
  BSTR text = SysAllocString(L"URL:http://example.com/a?b=1  Flags:64  TargetFrameName:_top  PostData:  Headers:");
  for (long i = 0; i < rows; ++i) {
    InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(text)});
    if (i % 1000 == 999) Settle();
  }
  Settle();
  SysFreeString(text);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "ormix-bench.log";

  double start = Now();
  window.list->SaveLog(path.c_str());
  const double save = Now() - start;

  start = Now();
  std::string bytes;
  const int count = window.list->GetItemCount();
  for (int item = 0; item < count; ++item) {
    bytes += window.list->GetItemText(item, 0) + "," + window.list->GetItemText(item, 1) + "," +
             window.list->GetItemText(item, 2) + "," + window.list->GetItemText(item, 3) + "\n";
  }
  if (std::FILE* file = std::fopen(path.c_str(), "wt")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  const double baseline = Now() - start;
  DeleteFileA(path.c_str());

  window.list->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  start = Now();
  window.list->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0), 0);
  const double copy = Now() - start;

  const std::string n = std::to_string(count);
  Row(kSection, "save " + n + " rows (ms)", "%.0f", save);
  Row(kSection, "read the texts back + one buffered write (ms)", "%.0f", baseline);
  Row(kSection, "ratio save/baseline", "%.2f", save / baseline);
  Row(kSection, "copy " + n + " selected rows to the clipboard (ms)", "%.0f", copy);
}

// (5) The listing walk over 1, 5 and 20 browsers.
void MeasureDiscovery(SimulatorProcess& sim) {
  const char* kSection = "5 discovery";
  int opened = 0;
  HWND listBox = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int browsers : {1, 5, 20}) {
    for (; opened < browsers; ++opened)
      sim.Send("open d" + std::to_string(opened) + " title=Page" + std::to_string(opened));
    double first = 0, total = 0;
    const int rounds = 5;
    for (int r = 0; r <= rounds; ++r) {
      const double start = Now();
      DiscoveryWalk(listBox);
      const double elapsed = Now() - start;
      if (r == 0) first = elapsed;
      else total += elapsed;
    }
    const std::string label = std::to_string(browsers) + " browsers";
    Row(kSection, label + ": first walk (ms)", "%.1f", first);
    Row(kSection, label + ": later walks, ms per browser", "%.2f", total / rounds / browsers);
  }
  DestroyWindow(listBox);
  for (int i = 0; i < opened; ++i) sim.Send("close d" + std::to_string(i));
}

}  // namespace

int main(int argc, char** argv) {
  long events = 1000;
  long rows = 100000;
  bool growth = true, exportRows = true;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--events") && i + 1 < argc) events = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--rows") && i + 1 < argc) rows = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--skip-growth")) growth = false;
    else if (!std::strcmp(argv[i], "--skip-export")) exportRows = false;
  }
  if (FAILED(OleInitialize(nullptr))) return 2;
  InitCommonControls();
  int result = 0;
  std::printf("| section | figure | value |\n|---|---|---|\n");
  {
    SimulatorProcess sim;
    if (!sim.Start()) {
      std::printf("simulator did not start: %s\n", SimulatorProcess::ExecutablePath().c_str());
      result = 1;
    } else {
      MeasureEventCost(sim, events);
      if (growth) MeasureGrowth(rows);
      if (exportRows) MeasureExport(rows);
      MeasureDiscovery(sim);
      if (!sim.Stop()) result = 1;
    }
  }
  OleUninitialize();
  return result;
}
