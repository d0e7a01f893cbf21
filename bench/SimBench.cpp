// Measures what monitoring costs under this platform and prints every figure as one table:
// (1) one event across processes, from the browser simulator's Invoke, into a sink that
// does nothing, an event log in a hidden window and the visible log of a running
// ormix.exe, side by side; (2) how the cost of a row grows up to 100,000 rows and the
// memory a row takes; (3) saving and copying 100,000 rows; (4) ormix.exe's start-up against
// a bare window program; (5) the listing walk over 1, 5 and 20 browsers. Prints figures;
// asserts nothing.
//
//   sim_bench [--events N] [--rows N] [--starts N] [--skip-events] [--skip-growth]
//             [--skip-export] [--skip-discovery] [--compare-startup OTHER_ORMIX_EXE]
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "browser/BrowserDiscovery.h"
#include "browser/WebBrowserEvents2.h"
#include "framework/StandardIds.h"
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

// A Windows path for a program this build made (a host path under Wine: drive Z: is the root).
std::string BuiltProgram(const char* built) {
  std::string path = built;
  if (!path.empty() && path[0] == '/') {
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
  return path;
}

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
    const double start = Now();
    WaitForInputIdle(m_info.hProcess, timeoutMs);
    while (Now() - start < timeoutMs) {
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
  const double start = Now();
  while (!dialog && Now() - start < 20000) {
    dialog = ormix.FindTopLevel(kSelectDialogCaption);
    if (!dialog) Sleep(10);
  }
  if (!dialog) return false;
  // The list is filled off the dialog's thread; OK comes on with it.
  while (!IsWindowEnabled(GetDlgItem(dialog, IDOK)) && Now() - start < 20000) Sleep(10);
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
      // Also the tab's label: a browser repeats the title while a page loads.
      {"TitleChange, the same title", "fire e1 TitleChange \"bstr:Example page\""},
  };
  for (const Event& event : events) {
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
        if (!ormix.Start("\"" + BuiltProgram(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption) ||
            !SelectBrowserIn(ormix, L"Events") || sim.Send("wait sinks e1 1 timeout=20000").rfind("OK", 0) != 0 ||
            !(log = VisibleLogOf(ormix.Window()))) {
          std::printf("| %s | %s: could not watch the browser | - |\n", kSection, label.c_str());
          continue;
        }
      } else {
        holder->Connect(browser);
      }
      Settle();
      const int rowsBefore = window ? window->list->GetItemCount()
                                    : log ? static_cast<int>(SendMessageA(log, LVM_GETITEMCOUNT, 0, 0)) : 0;
      const double start = Now();
      const std::string reply = sim.Send("repeat " + std::to_string(n) + " " + event.command, 600000);
      Settle();
      if (log) {
        // The other process's end of the burst: every row shown, scrolled and painted.
        while (!LogSettled(ormix.Window(), log, rowsBefore + static_cast<int>(n)) && Now() - start < 600000)
          Sleep(0);
      }
      const double wall = Now() - start;
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

  double start = Now();
  window.list->SaveLog(path.c_str());
  const double save = Now() - start;

  std::string bytes;
  const int count = window.list->GetItemCount();
  for (int item = 0; item < count; ++item) {
    bytes += window.list->GetItemText(item, 0) + "," + window.list->GetItemText(item, 1) + "," +
             window.list->GetItemText(item, 2) + "," + window.list->GetItemText(item, 3) + "\n";
  }
  start = Now();
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

  // Find next from the first row, the only match in the last row.
  BSTR last = SysAllocString(L"Text:the one row at the far end");
  InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(last)});
  Settle();
  SysFreeString(last);
  window.list->SetItemState(-1, 0, LVIS_SELECTED);
  window.list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  start = Now();
  const int found = window.list->FindRow("ONE ROW AT THE FAR", true);
  const double find = Now() - start;

  const std::string n = std::to_string(count);
  Row(kSection, "save " + n + " rows (ms)", "%.0f", save);
  Row(kSection, "the same bytes in one buffered write (ms)", "%.0f", baseline);
  Row(kSection, "ratio save/baseline", "%.2f", save / baseline);
  Row(kSection, "copy " + n + " selected rows to the clipboard (ms)", "%.0f", copy);
  Row(kSection, "find next from the first of " + std::to_string(found + 1) + " rows to the last (ms)", "%.1f", find);
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
      {"ormix.exe", BuiltProgram(ORMIX_EXE), kOrmixCaption, false, {}, {}},
      {"bare window program", BuiltProgram(BARE_WINDOW_EXE), kBareCaption, true, {}, {}}};
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
                                      if (WaitForSingleObject(s->event, 60000) == WAIT_OBJECT_0) s->at = Now();
                                      return 0;
                                    },
                                    &signal, 0, nullptr)
                              : nullptr;
      RunningProgram program;
      const double start = Now();
      const bool started = program.Start("\"" + p.path + "\"" + (p.signals ? std::string(" ") + eventName : ""));
      const bool shown = started && program.WaitPainted(p.caption);
      const double elapsed = Now() - start;
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
      const double start = Now();
      DiscoveryWalk(listBox);
      const double elapsed = Now() - start;
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
  const double start = Now();
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_VIEW_STATUS_BAR, 0), 0);
  while ((IsWindowVisible(bar) != FALSE) == shown) {
    if (Now() - start > timeoutMs) return -1;
    Sleep(1);
  }
  return Now() - start;
}

// The longest delay of a posted command, probed one after another for `ms` milliseconds.
double LongestDelayFor(HWND main, double ms) {
  double longest = 0;
  const double start = Now();
  while (Now() - start < ms) {
    const double delay = PostedCommandDelay(main);
    if (delay < 0) return -1;
    longest = std::max(longest, delay);
  }
  return longest;
}

// While the program closes its main window: the longest wait of a posted command that was
// handled, probed one after another until the window has gone (a probe the window's end
// leaves unhandled is not counted), and how long the window took to go.
struct ClosingDelays {
  double longestHandled = 0;
  double gone = -1;
};

ClosingDelays DelaysUntilGone(HWND main, double closed, DWORD timeoutMs = 30000) {
  const HWND bar = GetDlgItem(main, AFX_IDW_STATUS_BAR);
  ClosingDelays delays;
  while (IsWindow(main) && Now() - closed < timeoutMs) {
    const bool shown = IsWindowVisible(bar) != FALSE;
    const double posted = Now();
    if (!PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_VIEW_STATUS_BAR, 0), 0)) break;
    while (IsWindow(main) && (IsWindowVisible(bar) != FALSE) == shown && Now() - closed < timeoutMs) Sleep(1);
    if (IsWindow(main)) delays.longestHandled = std::max(delays.longestHandled, Now() - posted);
  }
  if (!IsWindow(main)) delays.gone = Now() - closed;
  return delays;
}

// (6) The selection dialog of a running ormix.exe over 1, 5 and 20 browsers: from the
// command to the dialog shown, and to its list filled.
void MeasureSelectionDialog(SimulatorProcess& sim, const BrowserThreads& threads) {
  const char* kSection = "6 selection dialog";
  RunningProgram ormix;
  if (!ormix.Start("\"" + BuiltProgram(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption)) {
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
      const double start = Now();
      PostMessageA(ormix.Window(), WM_COMMAND, MAKEWPARAM(ID_SELECT_BROWSER, 0), 0);
      HWND dialog = nullptr;
      while (!dialog && Now() - start < 20000) dialog = ormix.FindTopLevel(kSelectDialogCaption);
      if (!dialog) break;
      shown.push_back(Now() - start);
      const HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
      while (Now() - start < 20000 &&
             !(IsWindowEnabled(GetDlgItem(dialog, IDOK)) && SendMessageW(list, LB_GETCOUNT, 0, 0) == browsers))
        Sleep(0);
      filled.push_back(Now() - start);
      PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      while (IsWindow(dialog) && Now() - start < 20000) Sleep(1);
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
  if (!hosts.Start() || !ormix.Start("\"" + BuiltProgram(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption)) {
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
      const double start = Now();
      PostMessageA(ormix.Window(), WM_COMMAND, MAKEWPARAM(ID_SELECT_EMBEDDED_BROWSER, 0), 0);
      HWND dialog = nullptr;
      while (!dialog && Now() - start < 20000) dialog = ormix.FindTopLevel(kEmbeddedDialogCaption);
      if (!dialog) break;
      shown.push_back(Now() - start);
      const HWND list = GetDlgItem(dialog, IDC_BROWSER_LIST);
      while (Now() - start < 20000 &&
             !(IsWindowEnabled(GetDlgItem(dialog, IDOK)) && SendMessageW(list, LB_GETCOUNT, 0, 0) == count))
        Sleep(0);
      filled.push_back(Now() - start);
      PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
      while (IsWindow(dialog) && Now() - start < 20000) Sleep(1);
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
      if (!ormix.Start("\"" + BuiltProgram(ORMIX_EXE) + "\"") || !ormix.WaitPainted(kOrmixCaption) ||
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
        const double start = Now();
        PostMessageA(ormix.Window(), WM_CLOSE, 0, 0);
        const ClosingDelays closing = DelaysUntilGone(ormix.Window(), start);
        Row(kSection, label + ": exit, longest wait of a posted command until the window has gone (ms)", "%.0f",
            closing.longestHandled);
        Row(kSection, label + ": exit, close to the window gone (ms)", "%.0f", closing.gone);
        WaitForSingleObject(process, 30000);
        Row(kSection, label + ": exit, close to process end (ms)", "%.0f", Now() - start);
        CloseHandle(process);
      }
      if (hung) sim.Send("echo awake");  // answered once the hang is over
    }
  }
  sim.Send("close h1");
}

}  // namespace

int main(int argc, char** argv) {
  long events = 1000;
  long rows = 100000;
  int starts = 9;
  std::string otherOrmix;
  bool eventCost = true, growth = true, exportRows = true, discovery = true, startup = true, hangs = true,
       embedded = true;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--events") && i + 1 < argc) events = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--rows") && i + 1 < argc) rows = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--starts") && i + 1 < argc) starts = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--compare-startup") && i + 1 < argc) otherOrmix = argv[++i];
    else if (!std::strcmp(argv[i], "--skip-events")) eventCost = false;
    else if (!std::strcmp(argv[i], "--skip-growth")) growth = false;
    else if (!std::strcmp(argv[i], "--skip-export")) exportRows = false;
    else if (!std::strcmp(argv[i], "--skip-discovery")) discovery = false;
    else if (!std::strcmp(argv[i], "--skip-startup")) startup = false;
    else if (!std::strcmp(argv[i], "--skip-hangs")) hangs = false;
    else if (!std::strcmp(argv[i], "--skip-embedded")) embedded = false;
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
      if (!sim.Stop()) result = 1;
    }
  }
  OleUninitialize();
  return result;
}
