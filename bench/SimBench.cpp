// Measures what monitoring costs under this platform and prints every figure as one table:
// (1) one event across processes, from the browser simulator's Invoke, into a sink that
// does nothing, an event log in a hidden window and the visible log of a running
// ormix.exe, side by side; (2) how the cost of a row grows up to 100,000 rows and the
// memory a row takes; (3) saving and copying 100,000 rows; (4) ormix.exe's start-up against
// a bare window program; (5) the listing walk over 1, 5 and 20 browsers; (6)-(8)
// ormix.exe's selection dialogs and a hung browser; (9) events from a framed page with the
// frame column shown and hidden; (10) events into ormix.exe's log when empty and when full;
// (11) the log's rows sampled from the screen while events trickle in; (12) a visible log
// with and without its journal, and a million rows journaled; (13) events into ormix.exe
// while its window has a menu open, shows the About box or is resized; (14) ten browsers
// firing at once into ten tabs of one ormix.exe. Prints figures; asserts nothing.
//
//   sim_bench [--events N] [--rows N] [--starts N] [--skip-events] [--skip-growth]
//             [--skip-export] [--skip-discovery] [--skip-frames] [--skip-end-to-end] [--skip-flicker]
//             [--skip-journal] [--skip-receiving] [--skip-ten-browsers] [--fill-threads K]
//             [--compare-startup OTHER_ORMIX_EXE]
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "Clock.h"
#include "CpuUse.h"
#include "browser/BrowserDiscovery.h"
#include "browser/WebBrowserEvents2.h"
#include "framework/StandardIds.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "support/HostPath.h"
#include "support/ListTextReader.h"
#include "support/MessagePump.h"
#include "support/SimulatorProcess.h"
#include "support/Variants.h"

using bench::NowMs;
using testsupport::PumpPendingMessages;
using testsupport::SimulatorProcess;

namespace {

// The browser's time inside each call of a burst (ms), from the simulator's reply to it.
double InCallMs(const std::string& reply, long calls) {
  return std::atof(SimulatorProcess::Field(reply, "us").c_str()) / 1000.0 / calls;
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

// A top-level window of 1000 x 700 pixels in this process whose client area the event log
// fills, as a tab does: for the measurements of the log itself (growth, save and copy).
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

// A program started for a measurement, watched from outside as a user's desktop sees it.
class RunningProgram {
 public:
  RunningProgram() = default;
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  ~RunningProgram() { Close(); }

  bool Start(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info) !=
           FALSE;
  }

  // Waits until the program shows a top-level window captioned `caption` and that window
  // and all its descendants are painted: the program has gone idle once
  // (WaitForInputIdle), its window is visible, a WM_NULL sent to it has come back (so the
  // thread is back in its message loop, where WM_PAINT comes next), and no window of it has
  // an update region left. The last two are repeated until both hold.
  HWND WaitPainted(const char* caption, DWORD timeoutMs = 60000) {
    const double start = NowMs();
    WaitForInputIdle(m_info.hProcess, timeoutMs);
    while (NowMs() - start < timeoutMs) {
      if (!m_window) m_window = FindTopLevel(caption);
      if (m_window) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(m_window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
        if (!NeedsPaint(m_window)) return m_window;
      }
      Sleep(0);
    }
    return nullptr;
  }

  // A visible top-level window of this process with that caption.
  HWND FindTopLevel(const char* caption) const {
    struct Search {
      DWORD pid;
      const char* caption;
      HWND found;
    } search = {m_info.dwProcessId, caption, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM param) {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          GetWindowThreadProcessId(hWnd, &pid);
          char text[256] = "";
          GetWindowTextA(hWnd, text, sizeof(text));
          if (pid != s->pid || !IsWindowVisible(hWnd) || std::strcmp(text, s->caption) != 0) return TRUE;
          s->found = hWnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // Whether the window or a descendant still has something to paint.
  static bool NeedsPaint(HWND hWnd) {
    if (GetUpdateRect(hWnd, nullptr, FALSE)) return true;
    bool pending = false;
    EnumChildWindows(
        hWnd,
        [](HWND child, LPARAM param) {
          if (!IsWindowVisible(child) || !GetUpdateRect(child, nullptr, FALSE)) return TRUE;
          *reinterpret_cast<bool*>(param) = true;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return pending;
  }

  // Closes the window as a user would and waits for the process; ends it by its own
  // handle only if it does not go.
  void Close() {
    if (!m_info.hProcess) return;
    if (m_window) PostMessageA(m_window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_info.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(m_info.hProcess, 1);
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
    m_info = {};
    m_window = nullptr;
  }

  DWORD ProcessId() const { return m_info.dwProcessId; }
  HWND Window() const { return m_window; }

 private:
  PROCESS_INFORMATION m_info = {};
  HWND m_window = nullptr;
};

const char kOrmixCaption[] = "Ormix for Internet Explorer";
const char kBareCaption[] = "Bare window";
const char kSelectDialogCaption[] = "イベントを記録するInternet Explorerの選択";
const char kEmbeddedDialogCaption[] = "イベントを記録する埋め込みブラウザーの選択";

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// In a running ormix.exe, picks the simulator's browser captioned `title` through the
// program's own selection dialog, as a user would. Text of another process's list box is
// read as wide text: Wine does not convert LB_GETTEXT's ANSI text across processes.
bool SelectBrowserIn(RunningProgram& ormix, const wchar_t* title) {
  PostMessageA(ormix.Window(), WM_COMMAND, MAKEWPARAM(ID_SELECT_BROWSER, 0), 0);
  HWND dialog = nullptr;
  const double start = NowMs();
  while (!dialog && NowMs() - start < 20000) {
    dialog = ormix.FindTopLevel(kSelectDialogCaption);
    if (!dialog) Sleep(10);
  }
  if (!dialog) return false;
  // The list is filled off the dialog's thread; OK comes on with it.
  while (!IsWindowEnabled(GetDlgItem(dialog, IDOK)) && NowMs() - start < 20000) Sleep(10);
  const HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 256) continue;
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    if (std::wcscmp(text, title) != 0) continue;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSER_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return true;
  }
  PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  return false;
}

// The visible event log of ormix.exe's selected tab.
HWND VisibleLogOf(HWND frame) {
  HWND found = nullptr;
  EnumChildWindows(
      frame,
      [](HWND child, LPARAM param) {
        char className[64] = "";
        GetClassNameA(child, className, sizeof(className));
        if (std::strcmp(className, WC_LISTVIEWA) != 0 || !IsWindowVisible(child)) return TRUE;
        *reinterpret_cast<HWND*>(param) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Whether another process's log shows all `rows` rows as a burst leaves it: every row
// there, the newest row in view, and nothing left to paint.
bool LogSettled(HWND frame, HWND log, int rows) {
  if (SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) != rows) return false;
  const LRESULT top = SendMessageA(log, LVM_GETTOPINDEX, 0, 0);
  const LRESULT page = SendMessageA(log, LVM_GETCOUNTPERPAGE, 0, 0);
  if (top + page < rows) return false;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
  return !RunningProgram::NeedsPaint(frame);
}

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

// The events whose cost is measured across processes: their labels and what follows
// `fire ID` in the simulator's command.
struct EventKind {
  const char* label;
  const char* arguments;
};
const EventKind kEventKinds[] = {
    {"StatusTextChange", "StatusTextChange \"bstr:Loading page http://example.com/\""},
    {"BeforeNavigate2 + post data",
     "BeforeNavigate2 disp:browser pvar:bstr:http://example.com/login pvar:i4:0 pvar:bstr: "
     "pvar:pvar:text:user=a&pw=b pvar:bstr:\"Content-Type: application/x-www-form-urlencoded\\r\\n\" pbool:false"},
    // Also the tab's label: a browser repeats the title while a page loads.
    {"TitleChange, the same title", "TitleChange \"bstr:Example page\""},
};
struct EventCommand {
  const char* label;
  std::string command;
};

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
  for (const EventKind& kind : kEventKinds) {
    const EventCommand event = {kind.label, "fire e1 " + std::string(kind.arguments)};
    double inCall[3] = {0, 0, 0};
    const char* receivers[3] = {"(a) do-nothing sink", "(b) hidden log", "(c) ormix.exe, visible log"};
    for (int receiver = 0; receiver < 3; ++receiver) {
      const std::string label = std::string(event.label) + ", " + receivers[receiver];
      CBrowserEventConnection plain;
      LogWindow* window = receiver == 1 ? new LogWindow(false) : nullptr;
      CBrowserEventConnection* holder = window ? static_cast<CBrowserEventConnection*>(window->list) : &plain;
      // (c): a running ormix.exe, started for this event and watching through a tab picked
      // in its own selection dialog; so it is the only receiver while it is measured.
      RunningProgram ormix;
      HWND log = nullptr;
      if (receiver == 2) {
        if (!ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption) ||
            !SelectBrowserIn(ormix, L"Events") || sim.Send("wait sinks e1 1 timeout=20000").rfind("OK", 0) != 0 ||
            !(log = VisibleLogOf(ormix.Window()))) {
          std::printf("| %s | %s: could not watch the browser | - |\n", kSection, label.c_str());
          continue;
        }
      } else {
        holder->Connect(browser);
      }
      Settle();
      // The tab writes its start row once the connection is made, which may be after the
      // dialog has gone: counted before the burst, not into it.
      for (const double start = NowMs(); log && SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) < 1 && NowMs() - start < 20000;)
        Sleep(10);
      const int rowsBefore = window ? window->list->GetItemCount()
                                    : log ? static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)) : 0;
      const double start = NowMs();
      const std::string reply = sim.Send("repeat " + std::to_string(n) + " " + event.command, 600000);
      Settle();
      if (log) {
        // The other process's end of the burst: every row shown, scrolled and painted.
        while (!LogSettled(ormix.Window(), log, rowsBefore + static_cast<int>(n)) && NowMs() - start < 600000)
          Sleep(0);
      }
      const double wall = NowMs() - start;
      const double us = std::atof(SimulatorProcess::Field(reply, "us").c_str());
      inCall[receiver] = us / 1000.0 / n;
      Row(kSection, label + ": ms per event inside the call", "%.3f", inCall[receiver]);
      Row(kSection, label + ": events/s (wall, end-of-burst work included)", "%.0f", n * 1000.0 / wall);
      const int rowsAfter = window ? window->list->GetItemCount()
                                   : log ? static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)) : 0;
      if (receiver != 0 && rowsAfter - rowsBefore != n)
        std::printf("| %s | %s: rows added | %d of %ld |\n", kSection, label.c_str(), rowsAfter - rowsBefore, n);
      if (receiver == 2) {
        ormix.Close();
        sim.Send("wait sinks e1 0 timeout=20000");
      } else {
        holder->Disconnect();
      }
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
    const double start = NowMs();
    for (long i = 0; i < count; ++i) {
      InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(text)});
      if (i % 100 == 99) Settle();
    }
    Settle();
    return (NowMs() - start) / count;
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

// (3) Saving and copying `rows` rows, against writing the same bytes (read back from the
// list beforehand) with one buffered write; finding a text held only by the last row.
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

  // The file's bytes (lines ended by carriage return + line feed), and the same lines ended
  // by a line feed alone for a write in text mode, which adds the carriage returns.
  std::string bytes, lines;
  const int count = window.list->GetItemCount();
  for (int item = 0; item < count; ++item) {
    const std::string line = window.list->GetItemText(item, 0) + "," + window.list->GetItemText(item, 1) + "," +
                             window.list->GetItemText(item, 2) + "," + window.list->GetItemText(item, 3);
    bytes += line + "\r\n";
    lines += line + "\n";
  }
  auto write = [&](const std::string& what, const char* mode) {
    if (std::FILE* file = std::fopen(path.c_str(), mode)) {
      std::fwrite(what.data(), 1, what.size(), file);
      std::fclose(file);
    }
  };
  // Five rounds, the save and the two writes taking turns at going first, each into a new
  // file; medians. One round of each, in a fixed order, varied from 0.4 to 6 times on this
  // shared machine.
  std::vector<double> saves, baselines, textModes;
  for (int round = 0; round < 5; ++round) {
    for (int turn = 0; turn < 3; ++turn) {
      DeleteFileA(path.c_str());
      const double begin = NowMs();
      switch ((turn + round) % 3) {
        case 0:
          window.list->SaveLog(path.c_str());
          saves.push_back(NowMs() - begin);
          break;
        case 1:
          write(bytes, "wb");
          baselines.push_back(NowMs() - begin);
          break;
        default:
          write(lines, "wt");
          textModes.push_back(NowMs() - begin);
          break;
      }
    }
  }
  DeleteFileA(path.c_str());
  const double save = Median(saves);
  const double baseline = Median(baselines);
  double start = 0;

  window.list->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  start = NowMs();
  window.list->SendMessage(WM_COMMAND, MAKEWPARAM(ID_EDIT_COPY, 0), 0);
  const double copy = NowMs() - start;

  // Find next from the first row, the only match in the last row.
  BSTR last = SysAllocString(L"Text:the one row at the far end");
  InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(last)});
  Settle();
  SysFreeString(last);
  // Five times from the first row; the median and the fastest.
  std::vector<double> finds;
  int found = -1;
  for (int round = 0; round < 5; ++round) {
    window.list->SetItemState(-1, 0, LVIS_SELECTED);
    window.list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    start = NowMs();
    found = window.list->FindRow("ONE ROW AT THE FAR", true);
    finds.push_back(NowMs() - start);
  }

  // Filters over every row: by the event every row has (the index of shown rows at its
  // largest), by a text only the last row holds (every row's text searched), and cleared.
  const std::vector<std::string> statusText = {"DIID_DWebBrowserEvents2::StatusTextChange"};
  start = NowMs();
  window.list->ApplyFilter(true, statusText, "");
  const double filterByEvent = NowMs() - start;
  const size_t shownByEvent = window.list->Model().ShownCount();
  start = NowMs();
  window.list->ApplyFilter(false, {}, "ONE ROW AT THE FAR");
  const double filterByText = NowMs() - start;
  const size_t shownByText = window.list->Model().ShownCount();
  start = NowMs();
  window.list->ApplyFilter(false, {}, "99999");  // digits: the number and time columns too
  const double filterByDigits = NowMs() - start;
  const size_t shownByDigits = window.list->Model().ShownCount();
  start = NowMs();
  window.list->ClearFilter();
  const double filterCleared = NowMs() - start;

  const std::string n = std::to_string(count);
  Row(kSection, "save " + n + " rows, median of 5 (ms)", "%.0f", save);
  Row(kSection, "the same bytes in one buffered write, median of 5 (ms)", "%.0f", baseline);
  Row(kSection, "the same lines in one write in text mode (adding the carriage returns), median of 5 (ms)", "%.0f",
      Median(textModes));
  Row(kSection, "ratio save/baseline", "%.2f", save / baseline);
  Row(kSection, "copy " + n + " selected rows to the clipboard (ms)", "%.0f", copy);
  const std::string findLabel = "find next from the first of " + std::to_string(found + 1) + " rows to the last";
  Row(kSection, findLabel + ", median of 5 (ms)", "%.1f", Median(finds));
  Row(kSection, findLabel + ", fastest of 5 (ms)", "%.1f", *std::min_element(finds.begin(), finds.end()));
  Row(kSection, "filter by event, " + std::to_string(shownByEvent) + " rows shown (ms)", "%.1f", filterByEvent);
  Row(kSection, "filter by text, " + std::to_string(shownByText) + " row shown (ms)", "%.1f", filterByText);
  Row(kSection, "filter by the digits 99999, " + std::to_string(shownByDigits) + " rows shown (ms)", "%.1f",
      filterByDigits);
  Row(kSection, "filter cleared, " + std::to_string(window.list->Model().ShownCount()) + " rows shown (ms)", "%.1f",
      filterCleared);
}

// (4) Process start to painted main window, ormix.exe against a bare window program,
// started alternately (which goes first alternates too) after one start of each to warm
// Wine's caches; medians. Both are timed the same way, from outside (RunningProgram::
// WaitPainted); the bare program also reports when its own first WM_PAINT ended, which
// shows how much later the outside method notices.
void MeasureStartup(int starts, const std::string& otherOrmix) {
  const char* kSection = "4 start-up";
  // The programs started in turn: ormix.exe, the bare window program and, if given, another
  // build of ormix.exe to compare with.
  struct Program {
    std::string label;
    std::string path;
    const char* caption;
    bool signals;
    std::vector<double> times, ownTimes;
  };
  std::vector<Program> programs = {
      {"ormix.exe", testsupport::BuiltProgramPath(ORMIX_EXE), kOrmixCaption, false, {}, {}},
      {"bare window program", testsupport::BuiltProgramPath(BARE_WINDOW_EXE), kBareCaption, true, {}, {}}};
  if (!otherOrmix.empty()) programs.push_back({"other ormix.exe (" + otherOrmix + ")", otherOrmix, kOrmixCaption, false, {}, {}});
  const size_t count = programs.size();
  int failures = 0;
  for (int run = -1; run < starts; ++run) {
    for (size_t turn = 0; turn < count; ++turn) {
      // Who goes first rotates from one run to the next.
      Program& p = programs[(turn + static_cast<size_t>(run + 1)) % count];
      char eventName[64];
      std::snprintf(eventName, sizeof(eventName), "ormix-bench-painted-%lu-%d", GetCurrentProcessId(), run + 1);
      HANDLE painted = p.signals ? CreateEventA(nullptr, TRUE, FALSE, eventName) : nullptr;
      // The bare program's own signal, timed by a thread of its own.
      struct Signal {
        HANDLE event;
        double at;
      } signal = {painted, 0};
      HANDLE waiter = painted ? CreateThread(
                                    nullptr, 0,
                                    [](void* param) -> DWORD {
                                      auto* s = static_cast<Signal*>(param);
                                      if (WaitForSingleObject(s->event, 60000) == WAIT_OBJECT_0) s->at = NowMs();
                                      return 0;
                                    },
                                    &signal, 0, nullptr)
                              : nullptr;
      RunningProgram program;
      const double start = NowMs();
      const bool started = program.Start("\"" + p.path + "\"" + (p.signals ? std::string(" ") + eventName : ""));
      const bool shown = started && program.WaitPainted(p.caption);
      const double elapsed = NowMs() - start;
      if (waiter) {
        WaitForSingleObject(waiter, 60000);
        CloseHandle(waiter);
        CloseHandle(painted);
      }
      program.Close();
      if (!shown) {
        ++failures;
        continue;
      }
      if (run < 0) continue;  // the warm-up start
      p.times.push_back(elapsed);
      if (signal.at > 0) p.ownTimes.push_back(signal.at - start);
    }
  }
  const std::string n = std::to_string(starts);
  for (const Program& p : programs)
    Row(kSection, p.label + ": process start to painted main window, median of " + n + " (ms)", "%.0f",
        Median(p.times));
  Row(kSection, "bare window program: its own first WM_PAINT done, median (ms)", "%.0f",
      Median(programs[1].ownTimes));
  Row(kSection, "ratio ormix.exe/bare", "%.2f", Median(programs[0].times) / Median(programs[1].times));
  if (count > 2)
    Row(kSection, "ratio other ormix.exe/bare", "%.2f", Median(programs[2].times) / Median(programs[1].times));
  if (failures) std::printf("| %s | starts that showed no painted window | %d |\n", kSection, failures);
}

// How the simulator serves the browsers of sections 5 and 6: all on its main thread, or
// each on a thread of its own, as a real browser runs each window.
struct BrowserThreads {
  const char* label;    // "" or ", own threads"
  const char* options;  // for `open`
};
const BrowserThreads kBrowserThreads[] = {{"", ""}, {", own threads", " thread=own"}};

// (5) The listing walk over 1, 5 and 20 browsers.
void MeasureDiscovery(SimulatorProcess& sim, const BrowserThreads& threads) {
  const char* kSection = "5 discovery";
  int opened = 0;
  HWND listBox = CreateWindowA("LISTBOX", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int browsers : {1, 5, 20}) {
    for (; opened < browsers; ++opened)
      sim.Send("open d" + std::to_string(opened) + " title=Page" + std::to_string(opened) + threads.options);
    double first = 0, total = 0;
    const int rounds = 5;
    for (int r = 0; r <= rounds; ++r) {
      const double start = NowMs();
      DiscoveryWalk(listBox);
      const double elapsed = NowMs() - start;
      if (r == 0) first = elapsed;
      else total += elapsed;
    }
    const std::string label = std::to_string(browsers) + " browsers" + threads.label;
    Row(kSection, label + ": first walk (ms)", "%.1f", first);
    Row(kSection, label + ": later walks, ms per browser", "%.2f", total / rounds / browsers);
  }
  DestroyWindow(listBox);
  for (int i = 0; i < opened; ++i) sim.Send("close d" + std::to_string(i));
}

// How long a running ormix.exe takes to handle a command posted to it: the status bar's
// command, whose effect (the bar shown or hidden) is seen from here. A sent message would not
// do: a thread waiting in a COM call still answers sent messages, but handles no input.
double PostedCommandDelay(HWND main, DWORD timeoutMs = 30000) {
  const HWND bar = GetDlgItem(main, AFX_IDW_STATUS_BAR);
  const bool shown = IsWindowVisible(bar) != FALSE;
  const double start = NowMs();
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_VIEW_STATUS_BAR, 0), 0);
  while ((IsWindowVisible(bar) != FALSE) == shown) {
    if (NowMs() - start > timeoutMs) return -1;
    Sleep(1);
  }
  return NowMs() - start;
}

// The longest delay of a posted command, probed one after another for `ms` milliseconds.
double LongestDelayFor(HWND main, double ms) {
  double longest = 0;
  const double start = NowMs();
  while (NowMs() - start < ms) {
    const double delay = PostedCommandDelay(main);
    if (delay < 0) return -1;
    longest = std::max(longest, delay);
  }
  return longest;
}

// While the program closes its main window: the longest wait of a posted command that was
// handled, probed one after another until the window has gone (a probe the window's end
// leaves unhandled is not counted), and how long the window took to go.
// Also when the main window stopped being visible (hidden or gone), which is when the user
// sees the program close.
struct ClosingDelays {
  double longestHandled = 0;
  double hidden = -1;
  double gone = -1;
};

ClosingDelays DelaysUntilGone(HWND main, double closed, DWORD timeoutMs = 30000) {
  const HWND bar = GetDlgItem(main, AFX_IDW_STATUS_BAR);
  ClosingDelays delays;
  auto noteHidden = [&] {
    if (delays.hidden < 0 && (!IsWindow(main) || !IsWindowVisible(main))) delays.hidden = NowMs() - closed;
  };
  while (IsWindow(main) && NowMs() - closed < timeoutMs) {
    noteHidden();
    const bool shown = IsWindowVisible(bar) != FALSE;
    const double posted = NowMs();
    if (!PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_VIEW_STATUS_BAR, 0), 0)) break;
    while (IsWindow(main) && (IsWindowVisible(bar) != FALSE) == shown && NowMs() - closed < timeoutMs) {
      noteHidden();
      Sleep(1);
    }
    if (IsWindow(main)) delays.longestHandled = std::max(delays.longestHandled, NowMs() - posted);
  }
  noteHidden();
  if (!IsWindow(main)) delays.gone = NowMs() - closed;
  return delays;
}

// (6) The selection dialog of a running ormix.exe over 1, 5 and 20 browsers: from the
// command to the dialog shown, and to its list filled.
void MeasureSelectionDialog(SimulatorProcess& sim, const BrowserThreads& threads) {
  const char* kSection = "6 selection dialog";
  RunningProgram ormix;
  if (!ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption)) {
    std::printf("| %s | ormix.exe did not start | - |\n", kSection);
    return;
  }
  std::vector<double> filledMedians;
  int opened = 0;
  for (int browsers : {1, 5, 20}) {
    for (; opened < browsers; ++opened)
      sim.Send("open s" + std::to_string(opened) + " title=Page" + std::to_string(opened) + threads.options);
    std::vector<double> shown, filled;
    const int rounds = 5;
    for (int r = 0; r < rounds; ++r) {
      const double start = NowMs();
      PostMessageA(ormix.Window(), WM_COMMAND, MAKEWPARAM(ID_SELECT_BROWSER, 0), 0);
      HWND dialog = nullptr;
      while (!dialog && NowMs() - start < 20000) dialog = ormix.FindTopLevel(kSelectDialogCaption);
      if (!dialog) break;
      shown.push_back(NowMs() - start);
      const HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
      while (NowMs() - start < 20000 &&
             !(IsWindowEnabled(GetDlgItem(dialog, IDOK)) && SendMessageW(list, LB_GETCOUNT, 0, 0) == browsers))
        Sleep(0);
      filled.push_back(NowMs() - start);
      PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      while (IsWindow(dialog) && NowMs() - start < 20000) Sleep(1);
    }
    const std::string label = std::to_string(browsers) + (browsers == 1 ? " browser" : " browsers") + threads.label;
    Row(kSection, label + ": command to dialog shown, median of " + std::to_string(shown.size()) + " (ms)", "%.1f",
        Median(shown));
    Row(kSection, label + ": command to list filled, median (ms)", "%.0f", Median(filled));
    filledMedians.push_back(Median(filled));
  }
  if (filledMedians.size() == 3 && filledMedians[0] > 0)
    Row(kSection, std::string("ratio filled 20/1") + threads.label, "%.2f", filledMedians[2] / filledMedians[0]);
  for (int i = 0; i < opened; ++i) sim.Send("close s" + std::to_string(i));
}

// (8) The embedded-browser dialog of a running ormix.exe over 1, 5 and 20 host programs
// windows (in one host process beside the simulator, whose browser is in the shell's list and
// so not listed): from the command to the dialog shown, and to its list filled.
void MeasureEmbeddedDialog(SimulatorProcess& sim) {
  const char* kSection = "8 embedded browsers";
  SimulatorProcess hosts;
  hosts.HostOnly();
  RunningProgram ormix;
  if (!hosts.Start() || !ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption)) {
    std::printf("| %s | the host process or ormix.exe did not start | - |\n", kSection);
    return;
  }
  sim.Send("open shell title=Shell");
  std::vector<double> filledMedians;
  int opened = 0;
  for (int count : {1, 5, 20}) {
    for (; opened < count; ++opened)
      hosts.Send("host h" + std::to_string(opened) + " caption=Host" + std::to_string(opened) + " title=Page");
    std::vector<double> shown, filled;
    const int rounds = 5;
    for (int r = 0; r < rounds; ++r) {
      const double start = NowMs();
      PostMessageA(ormix.Window(), WM_COMMAND, MAKEWPARAM(ID_SELECT_EMBEDDED_BROWSER, 0), 0);
      HWND dialog = nullptr;
      while (!dialog && NowMs() - start < 20000) dialog = ormix.FindTopLevel(kEmbeddedDialogCaption);
      if (!dialog) break;
      shown.push_back(NowMs() - start);
      const HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
      while (NowMs() - start < 20000 &&
             !(IsWindowEnabled(GetDlgItem(dialog, IDOK)) && SendMessageW(list, LB_GETCOUNT, 0, 0) == count))
        Sleep(0);
      filled.push_back(NowMs() - start);
      PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      while (IsWindow(dialog) && NowMs() - start < 20000) Sleep(1);
    }
    const std::string label = std::to_string(count) + (count == 1 ? " host" : " hosts");
    Row(kSection, label + ": command to dialog shown, median of " + std::to_string(shown.size()) + " (ms)", "%.1f",
        Median(shown));
    Row(kSection, label + ": command to list filled, median (ms)", "%.0f", Median(filled));
    filledMedians.push_back(Median(filled));
  }
  if (filledMedians.size() == 3)
    Row(kSection, "time per host, (filled 20 - filled 1) / 19 (ms)", "%.1f", (filledMedians[2] - filledMedians[0]) / 19);
  sim.Send("close shell");
  hosts.Stop();
}

// (7) A watched browser that hangs: how long ormix.exe leaves a posted command waiting while
// the tab closes, and how long it takes to end.
void MeasureHungBrowser(SimulatorProcess& sim) {
  const char* kSection = "7 hung browser";
  const DWORD hangMs = 8000;
  sim.Send("open h1 title=Hung");
  for (const bool hung : {false, true}) {
    const std::string label = hung ? "browser hung" : "browser answering";
    for (const bool exiting : {false, true}) {
      RunningProgram ormix;
      if (!ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption) ||
          !SelectBrowserIn(ormix, L"Hung") || sim.Send("wait sinks h1 1 timeout=20000").rfind("OK", 0) != 0) {
        std::printf("| %s | %s: could not watch the browser | - |\n", kSection, label.c_str());
        continue;
      }
      PostedCommandDelay(ormix.Window());  // the program is idle
      if (hung) sim.Send("hang h1 " + std::to_string(hangMs));
      if (!exiting) {
        PostMessageA(ormix.Window(), WM_COMMAND, MAKEWPARAM(ID_TAB_CLOSE_BUTTON, 0), 0);
        Row(kSection, label + ": closing the tab, longest wait of a posted command over 1.5 s (ms)", "%.0f",
            LongestDelayFor(ormix.Window(), 1500));
      } else {
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ormix.ProcessId());
        const double start = NowMs();
        PostMessageA(ormix.Window(), WM_CLOSE, 0, 0);
        const ClosingDelays closing = DelaysUntilGone(ormix.Window(), start);
        Row(kSection, label + ": exit, longest wait of a posted command until the window has gone (ms)", "%.0f",
            closing.longestHandled);
        Row(kSection, label + ": exit, close to the main window no longer visible (ms)", "%.0f", closing.hidden);
        Row(kSection, label + ": exit, close to the window gone (ms)", "%.0f", closing.gone);
        WaitForSingleObject(process, 30000);
        Row(kSection, label + ": exit, close to process end (ms)", "%.0f", NowMs() - start);
        CloseHandle(process);
      }
      if (hung) sim.Send("echo awake");  // answered once the hang is over
    }
  }
  sim.Send("close h1");
}

// (9) Events with a browser argument, from a page with two frames, into a visible log with
// the frame column shown against hidden: the time each call takes inside the simulator.
// The two settings alternate, a new log each time, over several rounds; medians.
void MeasureFrameColumn(SimulatorProcess& sim, long n) {
  const char* kSection = "9 frame column";
  sim.Send("open f1 title=Framed url=http://example.com/site/index.html frames=2");
  IWebBrowser2* browser = FindOnlyBrowser();
  if (!browser) {
    std::printf("| %s | browser not found | - |\n", kSection);
    sim.Send("close f1");
    return;
  }
  struct Event {
    const char* label;
    std::string command;
  };
  const Event events[] = {
      {"NavigateComplete2 of the page", "fire f1 NavigateComplete2 disp:browser pvar:bstr:http://example.com/site/index.html"},
      {"NavigateComplete2 of a frame", "fire f1 NavigateComplete2 disp:frame1 pvar:bstr:http://example.com/site/frame1.html"},
      {"DocumentComplete of the page", "fire f1 DocumentComplete disp:browser pvar:bstr:http://example.com/site/index.html"},
  };
  constexpr int kRounds = 5;
  for (const Event& event : events) {
    std::vector<double> inCall[2];
    for (int round = 0; round < kRounds; ++round) {
      for (const bool shown : {false, true}) {
        LogWindow window(true);
        window.list->SetFrameColumnShown(shown);
        window.list->Connect(browser);
        Settle();
        const std::string reply = sim.Send("repeat " + std::to_string(n) + " " + event.command, 600000);
        Settle();
        inCall[shown].push_back(InCallMs(reply, n));
        if (window.list->GetItemCount() != n + 1)
          std::printf("| %s | %s: rows added | %d of %ld |\n", kSection, event.label, window.list->GetItemCount() - 1, n);
      }
    }
    const double off = Median(inCall[0]);
    const double on = Median(inCall[1]);
    Row(kSection, std::string(event.label) + ": column hidden, ms per event inside the call, median of 5", "%.3f", off);
    Row(kSection, std::string(event.label) + ": column shown, ms per event inside the call, median of 5", "%.3f", on);
    Row(kSection, std::string(event.label) + ": ratio shown/hidden", "%.2f", on / off);
  }
  browser->Release();
  sim.Send("close f1");
}

// (10) Events from the simulator into the visible logs of two running ormix.exe, each
// watching a browser of its own as in (1c): one log filled to `rows` rows through its
// browser and sink, the other left nearly empty. At the start, every quarter of the filling
// and at the end, bursts of `n` events go into one log and then the other, five times each
// (who goes first alternates), and the medians of events/s and of time inside the call are
// compared, so both logs are measured at the same moments of a shared machine.
void MeasureEndToEndGrowth(SimulatorProcess& sim, long rows, long n, int fillThreads) {
  const char* kSection = "10 growth end to end";
  struct Watched {
    const char* id;
    const wchar_t* title;
    RunningProgram ormix;
    HWND log = nullptr;
    long Rows() const { return static_cast<long>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)); }
  };
  Watched logs[2] = {{"g1", L"Growth", {}, nullptr}, {"g2", L"Empty", {}, nullptr}};
  sim.Send("open g1 title=Growth");
  sim.Send("open g2 title=Empty");
  for (Watched& w : logs) {
    if (!w.ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !w.ormix.WaitPainted(kOrmixCaption) ||
        !SelectBrowserIn(w.ormix, w.title) ||
        sim.Send(std::string("wait sinks ") + w.id + " 1 timeout=20000").rfind("OK", 0) != 0 ||
        !(w.log = VisibleLogOf(w.ormix.Window()))) {
      std::printf("| %s | could not watch the browsers | - |\n", kSection);
      sim.Send("close g1");
      sim.Send("close g2");
      return;
    }
    for (const double start = NowMs(); w.Rows() < 1 && NowMs() - start < 20000;) Sleep(10);
  }
  const std::string event = "StatusTextChange \"bstr:Loading page http://example.com/index.html\"";
  // Fires `count` events at one log and waits until it shows them all, settled.
  auto stream = [&](Watched& w, long count, int threads, double* inCallMs) {
    const long before = w.Rows();
    const double start = NowMs();
    const std::string command = threads > 1 ? "flood " + std::string(w.id) + " " + std::to_string(count) +
                                                  " threads=" + std::to_string(threads) + " " + event
                                            : "repeat " + std::to_string(count) + " fire " + w.id + " " + event;
    const std::string reply = sim.Send(command, 7200000);
    while (!LogSettled(w.ormix.Window(), w.log, static_cast<int>(before + count)) && NowMs() - start < 7200000) Sleep(1);
    const double wall = NowMs() - start;
    if (inCallMs) *inCallMs = InCallMs(reply, count);
    return wall;
  };
  auto compare = [&]() {
    std::vector<double> rate[2], inCall[2];
    for (int round = 0; round < 5; ++round) {
      for (int turn = 0; turn < 2; ++turn) {
        const int which = (turn + round) % 2;
        double call = 0;
        rate[which].push_back(n * 1000.0 / stream(logs[which], n, 1, &call));
        inCall[which].push_back(call);
      }
    }
    const std::string at = "log of " + std::to_string(logs[0].Rows()) + " rows";
    const std::string other = "beside it, log of " + std::to_string(logs[1].Rows()) + " rows";
    Row(kSection, at + ": events/s, median of 5", "%.0f", Median(rate[0]));
    Row(kSection, at + ": ms per event inside the call, median", "%.3f", Median(inCall[0]));
    Row(kSection, other + ": events/s, median of 5", "%.0f", Median(rate[1]));
    Row(kSection, other + ": ms per event inside the call, median", "%.3f", Median(inCall[1]));
    Row(kSection, at + ": ratio events/s to the log beside it", "%.2f", Median(rate[0]) / Median(rate[1]));
  };
  compare();
  const double fillStart = NowMs();
  long filledBefore = logs[0].Rows();
  long nextCheck = rows / 4;
  while (logs[0].Rows() < rows) {
    const long batch = std::min({50000L, rows - logs[0].Rows(), std::max(1L, nextCheck - logs[0].Rows())});
    stream(logs[0], batch, fillThreads, nullptr);
    std::fprintf(stderr, "filled %ld rows, %.0f s\n", logs[0].Rows(), (NowMs() - fillStart) / 1000.0);
    if (logs[0].Rows() >= nextCheck && logs[0].Rows() < rows) {
      compare();
      nextCheck += rows / 4;
    }
  }
  const double fillSeconds = (NowMs() - fillStart) / 1000.0;
  Row(kSection, "filling, events/s" + std::string(fillThreads > 1 ? " (flood, " + std::to_string(fillThreads) + " threads)" : ""),
      "%.0f", (logs[0].Rows() - filledBefore) / fillSeconds);
  compare();
  for (Watched& w : logs) {
    w.ormix.Close();
    sim.Send(std::string("wait sinks ") + w.id + " 0 timeout=20000");
    sim.Send(std::string("close ") + w.id);
  }
}

// An item's rectangle in another process's list view (LVM_GETITEMRECT, LVIR_BOUNDS), through
// memory taken in that process for the answer.
bool RemoteItemRect(HWND list, DWORD pid, int item, RECT* rect) {
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  RECT asked = {LVIR_BOUNDS, 0, 0, 0};
  SIZE_T moved = 0;
  const bool ok = remote && WriteProcessMemory(process, remote, &asked, sizeof(asked), &moved) &&
                  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(remote)) &&
                  ReadProcessMemory(process, remote, rect, sizeof(*rect), &moved);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

// What the screen shows in a rectangle (screen coordinates), read from the screen's device
// context: under Wine that is the X server's picture, as a screenshot shows it, not what a
// window has drawn but not yet put on the screen. 32 bits per pixel, top row first.
class ScreenSample {
 public:
  bool Take(const RECT& area) {
    m_width = area.right - area.left;
    m_height = area.bottom - area.top;
    m_pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const bool ok = BitBlt(memory, 0, 0, m_width, m_height, screen, area.left, area.top, SRCCOPY) != FALSE;
    GdiFlush();
    if (ok) std::memcpy(m_pixels.data(), bits, m_pixels.size() * sizeof(uint32_t));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
  }

  // Pixels in [left, right) x [top, bottom) dark enough to be text (black or grey text on
  // the list's light background; grid lines and the background are lighter).
  int InkIn(int left, int top, int right, int bottom) const {
    int ink = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, m_height); ++y)
      for (int x = std::max(left, 0); x < std::min(right, m_width); ++x) {
        const uint32_t p = m_pixels[static_cast<size_t>(y) * m_width + x];
        if ((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF) < 3 * 128) ++ink;
      }
    return ink;
  }

  bool SaveBmp(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = m_width;
    header.biHeight = -m_height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const DWORD bytes = static_cast<DWORD>(m_pixels.size() * sizeof(uint32_t));
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + bytes;
    std::fwrite(&fileHeader, sizeof(fileHeader), 1, file);
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(m_pixels.data(), 1, bytes, file);
    std::fclose(file);
    return true;
  }

 private:
  int m_width = 0, m_height = 0;
  std::vector<uint32_t> m_pixels;
};

// (11) Flicker: the visible log of a running ormix.exe receiving 5 events a second, its
// rows sampled from the screen `samples` times at random moments over the stream. In each
// sample, every row fully in view (the list's rows per page from its top row) that was
// already stored at the sample before must be fully drawn: in each of its four columns, both
// the upper and the lower half of the row hold text pixels (a digit, a letter or a kana has
// strokes in both); the header too, in each column. A row erased to its background, or
// painted in part of its height or of its columns, fails. A row stored but not yet shown
// lies below the view, since the log keeps its newest shown row at the bottom. The list's
// top row is read before and after each capture; a sample during which the list scrolled is
// taken again (which row is where is then not known), and counted.
void MeasureFlicker(SimulatorProcess& sim, int samples) {
  const char* kSection = "11 flicker";
  const double periodMs = 200;  // 5 events a second
  sim.Send("open f1 title=Flicker");
  RunningProgram ormix;
  HWND log = nullptr;
  if (!ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption) ||
      !SelectBrowserIn(ormix, L"Flicker") || sim.Send("wait sinks f1 1 timeout=20000").rfind("OK", 0) != 0 ||
      !(log = VisibleLogOf(ormix.Window()))) {
    std::printf("| %s | could not watch the browser | - |\n", kSection);
    sim.Send("close f1");
    return;
  }
  auto fire = [&](long k) {
    sim.Send("fire f1 StatusTextChange \"bstr:Loading page http://example.com/page" + std::to_string(k) + ".html\"");
  };
  // More rows than a page first, so that every new row scrolls the list.
  for (const double start = NowMs(); SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) < 1 && NowMs() - start < 20000;) Sleep(10);
  const int page = static_cast<int>(SendMessageA(log, LVM_GETCOUNTPERPAGE, 0, 0));
  const int prefill = page + 10;
  for (int k = 0; k < prefill; ++k) fire(k);
  const int rowsBefore = prefill + 1;
  for (const double start = NowMs(); !LogSettled(ormix.Window(), log, rowsBefore) && NowMs() - start < 60000;) Sleep(10);

  // Where rows and columns are: the top row's rectangle and the columns' widths (the text is
  // the same length throughout, so the parameter column keeps its width); the header's band.
  const int top0 = static_cast<int>(SendMessageA(log, LVM_GETTOPINDEX, 0, 0));
  RECT first = {};
  RECT client = {};
  GetClientRect(log, &client);
  const HWND header = FindWindowExA(log, nullptr, WC_HEADERA, nullptr);
  RECT headerRect = {};
  if (!RemoteItemRect(log, ormix.ProcessId(), top0, &first) || !header || !GetWindowRect(header, &headerRect)) {
    std::printf("| %s | could not find the rows on screen | - |\n", kSection);
    return;
  }
  POINT origin = {0, 0};
  ClientToScreen(log, &origin);
  MapWindowPoints(nullptr, log, reinterpret_cast<POINT*>(&headerRect), 2);
  RECT area = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  area.right = std::min<LONG>(area.right, GetSystemMetrics(SM_CXSCREEN));
  area.bottom = std::min<LONG>(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  const int rowHeight = first.bottom - first.top;
  int columnLeft[5] = {first.left, 0, 0, 0, 0};
  for (int c = 0; c < 4; ++c)
    columnLeft[c + 1] = columnLeft[c] + static_cast<int>(SendMessageA(log, LVM_GETCOLUMNWIDTH, c, 0));
  const int width = area.right - area.left;
  // Whether a band of rows [top, bottom) holds text in every column, upper and lower half.
  auto drawn = [&](const ScreenSample& sample, int top, int bottom, bool halves) {
    for (int c = 0; c < 4; ++c) {
      const int left = columnLeft[c] + 3, right = std::min(columnLeft[c + 1] - 3, width);
      if (right - left < 8) continue;  // a column off the screen
      const int middle = (top + bottom) / 2;
      if (!halves) {
        if (sample.InkIn(left, top + 2, right, bottom - 2) < 3) return false;
      } else if (sample.InkIn(left, top + 1, right, middle) < 3 || sample.InkIn(left, middle, right, bottom - 1) < 3) {
        return false;
      }
    }
    return true;
  };

  std::vector<double> at;
  unsigned seed = 20261208;
  const double span = samples * periodMs;
  for (int i = 0; i < samples; ++i) {
    seed = seed * 1103515245u + 12345u;
    at.push_back(span * ((seed >> 8) & 0xFFFF) / 65536.0);
  }
  std::sort(at.begin(), at.end());
  int bad = 0, retaken = 0, scrolled = 0, headerBlank = 0;
  long checkedRows = 0;
  long storedBefore = rowsBefore;  // rows stored at the sample before
  int previousTop = top0;
  ScreenSample sample;
  bool keptBad = false;
  long fired = 0;
  const double start = NowMs();
  for (const double when : at) {
    while (fired * periodMs <= when) {
      while (NowMs() - start < fired * periodMs) Sleep(1);
      fire(prefill + fired++);
    }
    while (NowMs() - start < when) Sleep(1);
    int top = -1, inView = 0;
    long stored = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
      stored = static_cast<long>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0));
      top = static_cast<int>(SendMessageA(log, LVM_GETTOPINDEX, 0, 0));
      inView = static_cast<int>(SendMessageA(log, LVM_GETCOUNTPERPAGE, 0, 0));
      sample.Take(area);
      if (SendMessageA(log, LVM_GETTOPINDEX, 0, 0) == top) break;
      ++retaken;
      top = -1;
    }
    if (top < 0) continue;
    if (top != previousTop) ++scrolled;
    previousTop = top;
    bool ok = drawn(sample, headerRect.top, headerRect.bottom, false);
    if (!ok) ++headerBlank;
    for (int row = top; row < top + inView && row < storedBefore; ++row, ++checkedRows) {
      const int y = first.top + (row - top) * rowHeight;
      if (!drawn(sample, y, y + rowHeight, true)) ok = false;
    }
    storedBefore = stored;
    if (!ok) {
      ++bad;
      if (!keptBad) keptBad = sample.SaveBmp("ormix-flicker-bad.bmp");
    }
  }
  sample.SaveBmp("ormix-flicker-sample.bmp");
  Row(kSection, "samples of the screen over " + std::to_string(fired) + " events at 5 per second", "%.0f",
      static_cast<double>(samples));
  Row(kSection, "samples in which the list had scrolled since the sample before", "%.0f", scrolled);
  Row(kSection, "samples taken again because the list scrolled during the capture", "%.0f", retaken);
  Row(kSection, "rows checked, in all samples", "%.0f", static_cast<double>(checkedRows));
  Row(kSection, "samples with the header blank", "%.0f", headerBlank);
  Row(kSection, "samples with a row that was on screen blank or half drawn", "%.0f", bad);
  ormix.Close();
  sim.Send("wait sinks f1 0 timeout=20000");
  sim.Send("close f1");
}

// A shown top-level window of class `className` (a menu is "#32768") of process `pid`.
HWND ShownWindowOfClass(DWORD pid, const char* className) {
  struct Search {
    DWORD pid;
    const char* className;
    HWND found;
  } search = {pid, className, nullptr};
  EnumWindows(
      [](HWND hWnd, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hWnd, &owner);
        char name[64] = "";
        GetClassNameA(hWnd, name, sizeof(name));
        if (owner != s->pid || !IsWindowVisible(hWnd) || std::strcmp(name, s->className) != 0) return TRUE;
        s->found = hWnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits up to `ms` for `done`, looking every few milliseconds.
template <typename Done>
bool WaitFor(Done done, double ms) {
  for (const double start = NowMs(); !done();) {
    if (NowMs() - start > ms) return false;
    Sleep(2);
  }
  return true;
}

const char kAboutCaption[] = "バージョン情報";

// What ormix.exe's window is busy with while a browser's events arrive, brought about and
// ended from outside, as the user's input would: a menu of the main window dropped down
// (Alt+F, through the system command the frame gets for it), the About box (its command),
// or the window resized over and over (each size change lays the window out and paints it).
// The window minimized is a yardstick rather than a user's state: the program then paints
// nothing, while its window's thread still takes every row.
enum class Busy { kNothing, kMenuOpen, kAboutBox, kResizing, kMinimized };

class BusyWindow {
 public:
  BusyWindow(const RunningProgram& program, Busy busy) : m_program(program), m_busy(busy) {}
  BusyWindow(const BusyWindow&) = delete;
  BusyWindow& operator=(const BusyWindow&) = delete;
  ~BusyWindow() { End(); }

  // Brings the state about and sees it from outside; false when it did not show.
  bool Begin() {
    const HWND main = m_program.Window();
    switch (m_busy) {
      case Busy::kNothing:
        return true;
      case Busy::kMenuOpen:
        PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'f');
        return WaitFor([&] { return (m_menu = ShownWindowOfClass(m_program.ProcessId(), "#32768")) != nullptr; },
                       10000);
      case Busy::kAboutBox:
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
        return WaitFor([&] { return (m_dialog = m_program.FindTopLevel(kAboutCaption)) != nullptr; }, 10000);
      case Busy::kResizing:
        GetWindowRect(main, &m_placed);
        m_stop = false;
        m_resizer = CreateThread(nullptr, 0, &BusyWindow::Resize, this, 0, nullptr);
        return m_resizer != nullptr;
      case Busy::kMinimized:
        PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return m_minimized = WaitFor([&] { return IsIconic(main) != FALSE; }, 10000);
    }
    return false;
  }

  // Ends the state: the menu closed with Escape, the About box with OK, the resizing stopped
  // and the window given its size back. Waits until that is seen.
  void End() {
    const HWND main = m_program.Window();
    if (m_menu) {
      for (int i = 0; i < 10 && ShownWindowOfClass(m_program.ProcessId(), "#32768"); ++i) {
        PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 1);
        WaitFor([&] { return !ShownWindowOfClass(m_program.ProcessId(), "#32768"); }, 1000);
      }
      // The menu bar stays highlighted after the menu closes; a second Escape leaves it.
      PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 1);
      m_menu = nullptr;
    }
    if (m_dialog) {
      PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      WaitFor([&] { return !IsWindow(m_dialog); }, 10000);
      m_dialog = nullptr;
    }
    if (m_resizer) {
      m_stop = true;
      WaitForSingleObject(m_resizer, 10000);
      CloseHandle(m_resizer);
      m_resizer = nullptr;
      SetWindowPos(main, nullptr, 0, 0, m_placed.right - m_placed.left, m_placed.bottom - m_placed.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_minimized) {
      PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
      WaitFor([&] { return !IsIconic(main); }, 10000);
      m_minimized = false;
    }
  }

  long Resizes() const { return m_resizes; }

 private:
  static DWORD WINAPI Resize(void* param) {
    auto* self = static_cast<BusyWindow*>(param);
    const RECT& r = self->m_placed;
    while (!self->m_stop) {
      // Smaller and back: given back its size, the list grows below its newest row, which
      // stays in view (a list that shrank would hide it until the next burst's end).
      const int smaller = self->m_resizes % 2 ? 0 : 60;
      // Waits until the program has taken the new size: sizes sent without waiting would
      // pile up ahead of everything else the window's thread has to do.
      SetWindowPos(self->m_program.Window(), nullptr, 0, 0, r.right - r.left - smaller, r.bottom - r.top - smaller,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      ++self->m_resizes;
      Sleep(25);
    }
    return 0;
  }

  const RunningProgram& m_program;
  Busy m_busy;
  HWND m_menu = nullptr;
  HWND m_dialog = nullptr;
  HANDLE m_resizer = nullptr;
  bool m_minimized = false;
  RECT m_placed = {};
  volatile bool m_stop = false;
  volatile long m_resizes = 0;
};

// The processes a browser's call passes through, for CpuUse: the simulator, this process
// (the do-nothing holder, on its first thread), the program, Wine's server and the X server.
bench::CpuUse CallPathCpu() {
  return bench::CpuUse({{"ormix-sim.exe", "simulator", false},
                        {"sim_bench.exe", "bench", true},
                        {"ormix.exe", "ormix.exe", true},
                        {"wineserver", "Wine's server", false},
                        {"wineserver64", "Wine's server", false},
                        {"Xvfb", "X server", false}});
}

// Adds `more` to `total`, figure by figure.
void AddUp(std::map<std::string, double>& total, const std::map<std::string, double>& more) {
  for (const auto& entry : more) total[entry.first] += entry.second;
}

// (13) Events into the visible log of a running ormix.exe while its window is idle, has a
// menu dropped down, shows the About box, is being resized over and over, or is minimized;
// beside each burst, the same events into a connection holder of this process that does
// nothing (the yardstick of 1(a)), in `rounds` rounds that alternate which of the two goes
// first, so both see the same moments of a shared machine; medians. Each a browser of its
// own in the simulator: the program watches one, this process the other. Time inside the
// call is the simulator's own time per Invoke (what the browser waits); events/s counts
// until the burst is over as the user sees it (for the program: every row there, the
// newest in view, nothing left to paint, with the menu or the box still up; the resizing
// stops when the last event has been sent; minimized, every row taken). Where the
// processors' time went in each kind of burst: CpuUse, over all rounds. `states`
// (comma-separated keys of the states below; empty: all) picks the states measured.
void MeasureReceiving(SimulatorProcess& sim, long n, int rounds, const std::string& states) {
  const char* kSection = "13 receiving events";
  sim.Send("open r0 title=Nothing");
  IWebBrowser2* quiet = FindOnlyBrowser();
  CBrowserEventConnection nothing;
  if (!quiet || !nothing.Connect(quiet)) {
    std::printf("| %s | browser not found | - |\n", kSection);
    if (quiet) quiet->Release();
    sim.Send("close r0");
    return;
  }
  sim.Send("open r1 title=Receiving");
  RunningProgram ormix;
  HWND log = nullptr;
  if (!ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption) ||
      !SelectBrowserIn(ormix, L"Receiving") || sim.Send("wait sinks r1 1 timeout=20000").rfind("OK", 0) != 0 ||
      !(log = VisibleLogOf(ormix.Window()))) {
    std::printf("| %s | could not watch the browser | - |\n", kSection);
  } else {
    WaitFor([&] { return SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) >= 1; }, 20000);
    struct Condition {
      Busy busy;
      const char* label;
      const char* key;  // as --receiving-states names it
    };
    const Condition conditions[] = {{Busy::kNothing, "plain", "plain"},
                                    {Busy::kMenuOpen, "a menu open", "menu"},
                                    {Busy::kAboutBox, "About box up", "about"},
                                    {Busy::kResizing, "window resized continuously", "resizing"},
                                    {Busy::kMinimized, "window minimized", "minimized"}};
    const std::string times = "repeat " + std::to_string(n) + " fire ";
    bench::CpuUse cpu = CallPathCpu();
    for (const EventKind& kind : kEventKinds) {
      for (const Condition& condition : conditions) {
        if (!states.empty() && ("," + states + ",").find(std::string(",") + condition.key + ",") == std::string::npos)
          continue;
        const std::string label = std::string(kind.label) + ", " + condition.label;
        std::vector<double> nothingInCall, nothingWall, ormixInCall, ormixWall;
        std::map<std::string, double> nothingCpu, ormixCpu;
        long resizes = 0;
        const char* problem = nullptr;
        for (int round = 0; round < rounds && !problem; ++round) {
          for (int turn = 0; turn < 2 && !problem; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
              cpu.Start();
              const double start = NowMs();
              const std::string reply = sim.Send(times + "r0 " + kind.arguments, 600000);
              Settle();
              nothingWall.push_back(NowMs() - start);
              AddUp(nothingCpu, cpu.Stop());
              nothingInCall.push_back(InCallMs(reply, n));
              continue;
            }
            BusyWindow busy(ormix, condition.busy);
            if (!busy.Begin()) {
              problem = "the state did not show";
              break;
            }
            const int rows = static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)) + static_cast<int>(n);
            cpu.Start();
            const double start = NowMs();
            const std::string reply = sim.Send(times + "r1 " + kind.arguments, 600000);
            if (condition.busy == Busy::kResizing) busy.End();
            const bool settled = WaitFor(
                [&] {
                  return condition.busy == Busy::kMinimized ? SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) == rows
                                                            : LogSettled(ormix.Window(), log, rows);
                },
                300000);
            ormixWall.push_back(NowMs() - start);
            AddUp(ormixCpu, cpu.Stop());
            const bool stillBusy = condition.busy == Busy::kMenuOpen
                                       ? ShownWindowOfClass(ormix.ProcessId(), "#32768") != nullptr
                                   : condition.busy == Busy::kAboutBox ? ormix.FindTopLevel(kAboutCaption) != nullptr
                                   : condition.busy == Busy::kMinimized ? IsIconic(ormix.Window()) != FALSE
                                                                        : true;
            resizes += busy.Resizes();
            busy.End();
            // Restored, the log settles before the next burst.
            if (condition.busy == Busy::kMinimized) WaitFor([&] { return LogSettled(ormix.Window(), log, rows); }, 300000);
            ormixInCall.push_back(InCallMs(reply, n));
            if (!settled) problem = "the log did not settle";
            else if (!stillBusy) problem = "the state ended before the log settled";
          }
        }
        if (ormixInCall.empty() || nothingInCall.empty()) {
          std::printf("| %s | %s: %s | - |\n", kSection, label.c_str(), problem ? problem : "no burst");
          continue;
        }
        const double a = Median(nothingInCall), c = Median(ormixInCall);
        const double aWall = Median(nothingWall), cWall = Median(ormixWall);
        std::printf("| %s | %s: ms per event inside the call, do-nothing sink / ormix.exe / ratio c/a (medians of %d) | "
                    "%.3f / %.3f / %.2f |\n",
                    kSection, label.c_str(), static_cast<int>(ormixInCall.size()), a, c, c / a);
        std::printf("| %s | %s: events/s, do-nothing sink / ormix.exe / ratio c/a | %.0f / %.0f / %.2f |\n", kSection,
                    label.c_str(), n * 1000.0 / aWall, n * 1000.0 / cWall, aWall / cWall);
        const long events = n * static_cast<long>(ormixInCall.size());
        std::printf("| %s | %s: CPU ms per event, do-nothing sink's bursts | %s |\n", kSection, label.c_str(),
                    cpu.Describe(nothingCpu, n * static_cast<long>(nothingInCall.size())).c_str());
        std::printf("| %s | %s: CPU ms per event, ormix.exe's bursts | %s |\n", kSection, label.c_str(),
                    cpu.Describe(ormixCpu, events).c_str());
        if (problem) std::printf("| %s | %s: %s | - |\n", kSection, label.c_str(), problem);
        if (condition.busy == Busy::kResizing)
          std::printf("| %s | %s: size changes during the bursts | %ld |\n", kSection, label.c_str(), resizes);
        std::fflush(stdout);
      }
    }
  }
  ormix.Close();
  sim.Send("wait sinks r1 0 timeout=20000");
  sim.Send("close r1");
  nothing.Disconnect();
  quiet->Release();
  sim.Send("close r0");
}

// Every event log (list view) in ormix.exe's main window, the hidden tabs' too.
std::vector<HWND> LogsOf(HWND frame) {
  std::vector<HWND> logs;
  EnumChildWindows(
      frame,
      [](HWND child, LPARAM param) {
        char className[64] = "";
        GetClassNameA(child, className, sizeof(className));
        if (std::strcmp(className, WC_LISTVIEWA) == 0) reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&logs));
  return logs;
}

// The reply of item `id` within the reply of the simulator's `all` command.
std::string ReplyOfItem(const std::string& reply, const std::string& id) {
  const size_t at = reply.find(" " + id + ":(");
  if (at == std::string::npos) return std::string();
  const size_t from = at + id.size() + 3;
  return reply.substr(from, reply.find(')', from) - from);
}

// (14) Ten browsers, each on a thread of its own in the simulator (as a real browser runs
// each window), watched in ten tabs of one ormix.exe (attached at start-up with /watch),
// each firing `n` StatusTextChange events at the same moment (the simulator's `all`, which
// hands the burst to the ten threads at once); each event's text carries its browser and
// number. Each browser's time inside the call; the slowest browser fires again alone, and the
// two are compared; from outside, each tab's rows are read back: every event there, in its
// browser's order, and one browser per tab.
void MeasureTenBrowsers(SimulatorProcess& sim, long n) {
  const char* kSection = "14 ten browsers";
  constexpr int kBrowsers = 10;
  // The program is started watching for them, and they open one after another, each once
  // the one before is connected: each of the program's rounds then looks up one new browser
  // (about a second each on a loaded machine). The burst waits until the program has stopped
  // looking (its /wait is over), so no listing runs beside it.
  const int watchSeconds = 30;
  RunningProgram ormix;
  const char* failed = nullptr;
  const double started = NowMs();
  if (!ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\" /watch Parallel /wait " + std::to_string(watchSeconds)) ||
      !ormix.WaitPainted(kOrmixCaption))
    failed = "ormix.exe did not start";
  std::string ids;
  for (int i = 0; i < kBrowsers; ++i) {
    const std::string id = "p" + std::to_string(i);
    sim.Send("open " + id + " title=Parallel" + std::to_string(i) + " thread=own");
    ids += (i ? "," : "") + id;
    if (failed) continue;
    const std::string reply = sim.Send("wait sinks " + id + " 1 timeout=60000", 90000);
    if (reply.rfind("OK", 0) != 0) failed = "a browser was not connected within 60 s";
  }
  while (!failed && NowMs() - started < watchSeconds * 1000.0 + 2000) Sleep(100);
  std::vector<HWND> logs;
  auto allRows = [&](long each) {
    if (logs.size() != kBrowsers) return false;
    for (HWND log : logs)
      if (SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) < each) return false;
    return true;
  };
  if (!failed && !WaitFor([&] { return logs = LogsOf(ormix.Window()), allRows(1); }, 60000))
    failed = "the ten tabs did not show";
  if (failed) {
    std::printf("| %s | could not watch the ten browsers in ten tabs: %s (%d logs) | - |\n", kSection, failed,
                static_cast<int>(logs.size()));
  } else {
    std::vector<long> before;
    for (HWND log : logs) before.push_back(static_cast<long>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)));
    bench::CpuUse cpu = CallPathCpu();
    cpu.Start();
    const double start = NowMs();
    const std::string reply = sim.Send(
        "all " + ids + " repeat " + std::to_string(n) + " fire {id} StatusTextChange \"bstr:#{id}-{n}\"", 1800000);
    const bool arrived = WaitFor(
        [&] {
          for (size_t i = 0; i < logs.size(); ++i)
            if (SendMessageA(logs[i], LVM_GETITEMCOUNT, 0, 0) < before[i] + n) return false;
          DWORD_PTR ignored = 0;
          SendMessageTimeoutA(ormix.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
          return !RunningProgram::NeedsPaint(ormix.Window());
        },
        600000);
    const double wall = NowMs() - start;
    const std::map<std::string, double> tenUsed = cpu.Stop();
    double inCall[kBrowsers] = {};
    int slowest = 0;
    for (int i = 0; i < kBrowsers; ++i) {
      const std::string own = ReplyOfItem(reply, "p" + std::to_string(i));
      inCall[i] = InCallMs(own, n);
      if (inCall[i] > inCall[slowest]) slowest = i;
      Row(kSection, "browser p" + std::to_string(i) + ", all ten at once: ms per event inside the call", "%.3f",
          inCall[i]);
    }
    Row(kSection, "all ten at once: events/s, until every tab holds its rows (wall)", "%.0f",
        arrived ? kBrowsers * n * 1000.0 / wall : 0.0);
    std::printf("| %s | all ten at once: CPU ms per event | %s |\n", kSection,
                cpu.Describe(tenUsed, kBrowsers * n).c_str());

    // Every tab's rows, read as another program reads them: the numbers of each browser's
    // events in the order of the rows, and the browsers each tab shows.
    std::vector<std::vector<long>> numbers(kBrowsers);
    int mixedTabs = 0, unread = 0;
    for (HWND log : logs) {
      std::string texts;
      const int rows = static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0));
      if (!testsupport::ReadListTextsElsewhere(log, rows, &texts)) ++unread;
      std::vector<bool> shown(kBrowsers, false);
      for (size_t from = 0; from < texts.size();) {
        size_t end = texts.find('\n', from);
        if (end == std::string::npos) end = texts.size();
        const size_t mark = texts.find("#p", from);
        int browser = -1;
        long number = 0;
        if (mark < end && std::sscanf(texts.c_str() + mark, "#p%d-%ld", &browser, &number) == 2 && browser >= 0 &&
            browser < kBrowsers) {
          numbers[static_cast<size_t>(browser)].push_back(number);
          shown[static_cast<size_t>(browser)] = true;
        }
        from = end + 1;
      }
      if (std::count(shown.begin(), shown.end(), true) > 1) ++mixedTabs;
    }
    int inOrder = 0;
    for (int i = 0; i < kBrowsers; ++i) {
      bool ok = numbers[static_cast<size_t>(i)].size() == static_cast<size_t>(n);
      for (long k = 0; ok && k < n; ++k) ok = numbers[static_cast<size_t>(i)][static_cast<size_t>(k)] == k + 1;
      if (ok) ++inOrder;
      else
        std::printf("| %s | browser p%d: rows read back | %d of %ld, %s |\n", kSection, i,
                    static_cast<int>(numbers[static_cast<size_t>(i)].size()), n, "not all, or out of order");
    }
    Row(kSection, "browsers whose events all arrived, in order (rows read back from each tab)", "%.0f", inOrder);
    Row(kSection, "tabs showing the events of more than one browser", "%.0f", mixedTabs);
    if (unread) Row(kSection, "tabs whose rows could not be read", "%.0f", unread);

    // The slowest browser again, alone, into the same tab.
    const std::string id = "p" + std::to_string(slowest);
    std::vector<long> counts;
    for (HWND log : logs) counts.push_back(static_cast<long>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)));
    cpu.Start();
    const std::string alone = sim.Send(
        "all " + id + " repeat " + std::to_string(n) + " fire {id} StatusTextChange \"bstr:#{id}-alone-{n}\"", 600000);
    WaitFor(
        [&] {
          long total = 0, now = 0;
          for (size_t i = 0; i < logs.size(); ++i) {
            total += counts[i];
            now += static_cast<long>(SendMessageA(logs[i], LVM_GETITEMCOUNT, 0, 0));
          }
          return now >= total + n;
        },
        300000);
    std::printf("| %s | the slowest browser alone: CPU ms per event | %s |\n", kSection,
                cpu.Describe(cpu.Stop(), n).c_str());
    const double aloneInCall = InCallMs(ReplyOfItem(alone, id), n);
    Row(kSection, "slowest browser (" + id + ") firing alone: ms per event inside the call", "%.3f", aloneInCall);
    Row(kSection, "ratio slowest of ten at once / the same browser alone (time inside the call)", "%.2f",
        inCall[slowest] / aloneInCall);
  }
  ormix.Close();
  for (int i = 0; i < kBrowsers; ++i) {
    sim.Send("wait sinks p" + std::to_string(i) + " 0 timeout=20000", 30000);
    sim.Send("close p" + std::to_string(i));
  }
}

}  // namespace

// The simulator's time per call (ms) of `n` StatusTextChange events into the visible log of
// a running ormix.exe whose stored journal setting is on (into `folder`) or off; 0 when the
// program could not watch the browser.
double OrmixEventCost(SimulatorProcess& sim, long n, bool journal, const std::string& folder) {
  const char kKey[] = "Software\\Morvane\\Ormix";
  const DWORD on = journal ? 1 : 0;
  RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "JournalOn", REG_DWORD, &on, sizeof(on));
  RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "JournalFolder", REG_SZ, folder.c_str(),
                  static_cast<DWORD>(folder.size() + 1));
  RunningProgram ormix;
  HWND log = nullptr;
  double ms = 0;
  if (ormix.Start("\"" + testsupport::BuiltProgramPath(ORMIX_EXE) + "\"") && ormix.WaitPainted(kOrmixCaption) &&
      SelectBrowserIn(ormix, L"Journal") && sim.Send("wait sinks j1 1 timeout=20000").rfind("OK", 0) == 0 &&
      (log = VisibleLogOf(ormix.Window()))) {
    for (const double start = NowMs(); SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) < 1 && NowMs() - start < 20000;)
      Sleep(10);
    const int rowsBefore = static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0));
    const std::string reply = sim.Send(
        "repeat " + std::to_string(n) + " fire j1 StatusTextChange \"bstr:Loading page http://example.com/\"", 600000);
    for (const double start = NowMs(); !LogSettled(ormix.Window(), log, rowsBefore + static_cast<int>(n)) &&
                                     NowMs() - start < 600000;)
      Sleep(0);
    ms = InCallMs(reply, n);
  }
  ormix.Close();
  sim.Send("wait sinks j1 0 timeout=20000");
  const DWORD off = 0;
  RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "JournalOn", REG_DWORD, &off, sizeof(off));
  return ms;
}

// (12) StatusTextChange events from the simulator into the visible log of ormix.exe with its
// journal off and on, in alternating runs: the simulator's time inside the call. Rows
// delivered by Invoke into two visible logs of this process, one journaled and one not, in
// alternating blocks of 100 calls (each followed by emptying the thread's queue): the time
// inside the calls, per row. Then `rows` rows into a hidden journaled log as fast as Invoke
// goes, and the time until the journal holds them all.
void MeasureJournal(SimulatorProcess& sim, long events, long rows) {
  const char* kSection = "12 journal";
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "ormix-bench-journal";
  CreateDirectoryA(folder.c_str(), nullptr);
  sim.Send("open j1 title=Journal");
  double across[2] = {0, 0};
  for (int run = 0; run < 4; ++run) across[run % 2] += OrmixEventCost(sim, events, run % 2 == 1, folder) / 2;
  sim.Send("close j1");
  Row(kSection, "ormix.exe visible log, journal off: ms per event inside the call", "%.3f", across[0]);
  Row(kSection, "ormix.exe visible log, journal on: ms per event inside the call", "%.3f", across[1]);
  Row(kSection, "ratio on/off (time inside the call, ormix.exe)", "%.2f", across[1] / across[0]);
  WIN32_FIND_DATAA found = {};
  const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(find, &found));
    FindClose(find);
  }
  BSTR text = SysAllocString(L"Loading page http://example.com/index.html");
  {
    LogWindow plain(true), journaled(true);
    journaled.list->StartJournal(folder, "visible");
    IDispatch* sinks[2] = {plain.list->GetSink()->GetIDispatch(FALSE), journaled.list->GetSink()->GetIDispatch(FALSE)};
    double inCall[2] = {0, 0};
    for (long done = 0; done < events; done += 100) {
      for (int which = 0; which < 2; ++which) {
        for (long i = 0; i < 100; ++i) {
          const double start = NowMs();
          InvokeEvent(sinks[which], DISPID_STATUSTEXTCHANGE, {VarBstr(text)});
          inCall[which] += NowMs() - start;
        }
        Settle();
      }
    }
    const long delivered = (events + 99) / 100 * 100;
    Row(kSection, "visible log, ms per row inside the call", "%.3f", inCall[0] / delivered);
    Row(kSection, "visible journaled log, ms per row inside the call", "%.3f", inCall[1] / delivered);
    Row(kSection, "ratio journaled/plain (time inside the call)", "%.2f", inCall[1] / inCall[0]);
    journaled.list->Model().FinishJournal(60000);
    DeleteFileA(journaled.list->Model().JournalPath().c_str());
    journaled.list->Model().StopJournal();
  }
  {
    LogWindow hidden(false);
    hidden.list->StartJournal(folder, "million");
    IDispatch* sink = hidden.list->GetSink()->GetIDispatch(FALSE);
    const double start = NowMs();
    for (long i = 0; i < rows; ++i) {
      InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(text)});
      if (i % 1000 == 999) PumpPendingMessages();
    }
    const double arrived = NowMs() - start;
    const bool written = hidden.list->Model().FinishJournal(600000);
    const double all = NowMs() - start;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(hidden.list->Model().JournalPath().c_str(), GetFileExInfoStandard, &data);
    const std::string n = std::to_string(rows);
    Row(kSection, n + " rows: rows/s arriving (hidden log, inside Invoke)", "%.0f", rows * 1000.0 / arrived);
    Row(kSection, n + " rows: rows/s in the journal's file (first row to all written)", "%.0f",
        written ? rows * 1000.0 / all : 0.0);
    Row(kSection, n + " rows: wait after the last row until all were written (ms)", "%.0f", all - arrived);
    Row(kSection, n + " rows: journal file size (MB)", "%.1f", data.nFileSizeLow / 1048576.0 + data.nFileSizeHigh * 4096.0);
    const std::string path = hidden.list->Model().JournalPath();
    hidden.list->Model().StopJournal();
    DeleteFileA(path.c_str());
  }
  SysFreeString(text);
  RemoveDirectoryA(folder.c_str());
}

int main(int argc, char** argv) {
  long events = 1000;
  long rows = 100000;
  int starts = 9;
  int fillThreads = 1;
  int rounds = 3;
  std::string receivingStates;  // empty: every state
  std::string otherOrmix;
  bool eventCost = true, growth = true, exportRows = true, discovery = true, startup = true, hangs = true,
       embedded = true, frames = true, endToEnd = true, flicker = true, journal = true, receiving = true,
       tenBrowsers = true;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--events") && i + 1 < argc) events = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--rows") && i + 1 < argc) rows = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--starts") && i + 1 < argc) starts = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--fill-threads") && i + 1 < argc) fillThreads = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--receiving-states") && i + 1 < argc) receivingStates = argv[++i];
    else if (!std::strcmp(argv[i], "--compare-startup") && i + 1 < argc) otherOrmix = argv[++i];
    else if (!std::strcmp(argv[i], "--skip-events")) eventCost = false;
    else if (!std::strcmp(argv[i], "--skip-growth")) growth = false;
    else if (!std::strcmp(argv[i], "--skip-export")) exportRows = false;
    else if (!std::strcmp(argv[i], "--skip-discovery")) discovery = false;
    else if (!std::strcmp(argv[i], "--skip-startup")) startup = false;
    else if (!std::strcmp(argv[i], "--skip-hangs")) hangs = false;
    else if (!std::strcmp(argv[i], "--skip-embedded")) embedded = false;
    else if (!std::strcmp(argv[i], "--skip-frames")) frames = false;
    else if (!std::strcmp(argv[i], "--skip-end-to-end")) endToEnd = false;
    else if (!std::strcmp(argv[i], "--skip-flicker")) flicker = false;
    else if (!std::strcmp(argv[i], "--skip-journal")) journal = false;
    else if (!std::strcmp(argv[i], "--skip-receiving")) receiving = false;
    else if (!std::strcmp(argv[i], "--skip-ten-browsers")) tenBrowsers = false;
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
      if (eventCost) MeasureEventCost(sim, events);
      if (growth) MeasureGrowth(rows);
      if (exportRows) MeasureExport(rows);
      if (startup) MeasureStartup(starts, otherOrmix);
      for (const BrowserThreads& threads : kBrowserThreads)
        if (discovery) MeasureDiscovery(sim, threads);
      for (const BrowserThreads& threads : kBrowserThreads)
        if (discovery) MeasureSelectionDialog(sim, threads);
      if (embedded) MeasureEmbeddedDialog(sim);
      if (hangs) MeasureHungBrowser(sim);
      if (frames) MeasureFrameColumn(sim, events);
      if (endToEnd) MeasureEndToEndGrowth(sim, rows, events, fillThreads);
      if (flicker) MeasureFlicker(sim, 100);
      if (journal) MeasureJournal(sim, events, rows);
      if (receiving) MeasureReceiving(sim, events, rounds, receivingStates);
      if (tenBrowsers) MeasureTenBrowsers(sim, events);
      if (!sim.Stop()) result = 1;
    }
  }
  OleUninitialize();
  return result;
}
