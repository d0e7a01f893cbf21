#include "sim/Simulator.h"

#include <fstream>

#include "sim/SimRegistration.h"

namespace sim {

namespace {

// A server started by COM that nobody uses within this time gives up; one that has served
// its client stays a little while for it. Its collection is empty, so there is nothing to
// wait for, and the remote references it holds are not reliably given back under Wine.
constexpr DWORD kEmbeddingIdleMs = 10000;
constexpr DWORD kEmbeddingServedMs = 3000;
constexpr UINT kRevokeMessage = WM_APP + 1;

}  // namespace

Simulator::Simulator(const SimOptions& options) : m_options(options) {
  m_collection.Attach(new ShellWindowsCollection);
  m_factory.Attach(new ShellWindowsFactory(m_collection.Get(), [this]() {
    if (!m_served) m_servedTick = GetTickCount();
    m_served = true;
    // Served once when started by COM: withdraw, so that later clients start afresh.
    if (m_options.embedding) PostThreadMessageW(GetCurrentThreadId(), kRevokeMessage, 0, 0);
  }));
  m_browsers = std::make_unique<BrowserSet>(m_collection.Get(), [this](const std::string& line) { Queue(line, false); });
  m_calls.Attach(new IncomingCallCounter);
  m_browsers->CountCalls(m_calls.Get());
  if (options.hostOnly) m_browsers->RefuseListedItems();
  m_interpreter = std::make_unique<CommandInterpreter>(
      *m_browsers, [this](DWORD ms, const std::function<bool()>& done) { Pump(ms, done); },
      // Driven by a test, windows stay hidden: under Wine without a window manager, hiding
      // or destroying a shown top-level window waits up to a second for the X server.
      options.pipeName.empty());
}

Simulator::~Simulator() = default;

bool Simulator::Start() {
  m_startTick = GetTickCount();
  if (!m_options.scenarioPath.empty()) {
    std::ifstream file(m_options.scenarioPath);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line)) m_scenario.push_back(line);
  }
  if (!m_calls->Install()) return false;
  // A host program's process serves no window list: the shell's list is another process's.
  if (!m_options.hostOnly) {
    if (!m_options.embedding && !RegisterShellWindowsServer()) m_exitCode = 3;
    if (FAILED(CoRegisterClassObject(kSimulatorShellWindowsClsid, m_factory.Get(), CLSCTX_LOCAL_SERVER,
                                     REGCLS_MULTIPLEUSE, &m_registration)))
      return false;
  }
  if (!m_options.pipeName.empty()) {
    if (!m_channel.Open(m_options.pipeName)) return false;
    m_channel.WriteLine("READY pid=" + std::to_string(GetCurrentProcessId()));
  }
  if (!m_options.embedding && m_options.pipeName.empty() && m_scenario.empty())
    Queue(m_options.hostOnly ? "host demo caption=\"Ormix host simulator\" url=about:blank"
                             : "open demo title=\"Ormix browser simulator\" url=about:blank",
          false);
  return true;
}

int Simulator::Run() {
  if (!Start()) {
    Shutdown();
    return 2;
  }
  while (!m_exit) {
    if (!PumpMessages()) break;
    if (!m_queue.empty()) {
      ExecuteNext();
      continue;
    }
    if (m_scenarioNext < m_scenario.size()) {
      Queue(m_scenario[m_scenarioNext++], false);
      continue;
    }
    if (ShouldStop()) break;
    HANDLE events[1] = {m_channel.ReadEvent()};
    const DWORD count = m_channel.IsOpen() ? 1 : 0;
    const DWORD wait = MsgWaitForMultipleObjectsEx(count, events, 200, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count && wait == WAIT_OBJECT_0) ReadChannel();
  }
  Shutdown();
  return m_exitCode;
}

bool Simulator::ShouldStop() const {
  if (m_options.embedding) {
    if (m_served)
      return m_collection->OutsideReferences() == 0 || GetTickCount() - m_servedTick > kEmbeddingServedMs;
    return GetTickCount() - m_startTick > kEmbeddingIdleMs;
  }
  // Driven by a script alone: done when the script has ended and every window is closed.
  if (!m_options.pipeName.empty()) return false;
  return m_browsers->WindowCount() == 0;
}

void Simulator::ExecuteNext() {
  if (m_executing) return;  // never nested: COM's modal loop may bring us back here
  m_executing = true;
  const Pending pending = m_queue.front();
  m_queue.pop_front();
  CommandInterpreter::Result result = m_interpreter->Execute(pending.line);
  if (result.hangCommand) {
    // A hang command replaces one still waiting for its call, and says so.
    const DWORD ms = result.hangMs;
    if (m_calls->HangAtCall(result.hangAtCall, [this, ms] { Hang(ms); })) result.reply += " pending=1";
  }
  if (pending.fromChannel) m_channel.WriteLine(result.reply);
  if (result.hangMs && !result.hangAtCall) Hang(result.hangMs);
  if (result.exit) m_exit = true;
  m_executing = false;
}

bool Simulator::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    if (message.hwnd == nullptr && message.message == kRevokeMessage) {
      RevokeClassObject();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

bool Simulator::ReadChannel() {
  std::vector<std::string> lines;
  // The test's end of the pipe has gone: nobody is left to drive us.
  const bool open = m_channel.OnReadCompleted(&lines);
  for (const std::string& line : lines) Queue(line, true);
  if (!open) m_exit = true;
  return open;
}

// Every wait of the simulator also waits on the pipe: a test that is killed mid-wait (a
// crash, a time-out of its runner) must not leave the simulator holding the shell's window
// list for the rest of the wait. Commands that arrive meanwhile are queued, not lost.
void Simulator::Pump(DWORD ms, const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    HANDLE events[1] = {m_channel.ReadEvent()};
    const DWORD count = m_channel.IsOpen() ? 1 : 0;
    const DWORD wait = MsgWaitForMultipleObjectsEx(count, events, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count && wait == WAIT_OBJECT_0 && !ReadChannel()) return;
    if (!PumpMessages()) {
      m_exit = true;
      return;
    }
  }
}

void Simulator::Hang(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    if (!m_channel.IsOpen()) {
      Sleep(ms - elapsed);  // driven by a script: nothing to watch
      return;
    }
    // Only the pipe is watched: messages, and so COM calls, wait as they would for a hung
    // browser.
    if (WaitForSingleObject(m_channel.ReadEvent(), ms - elapsed) == WAIT_OBJECT_0 && !ReadChannel()) return;
  }
}

void Simulator::RevokeClassObject() {
  if (!m_registration) return;
  CoRevokeClassObject(m_registration);
  m_registration = 0;
}

void Simulator::Shutdown() {
  RevokeClassObject();
  m_factory->DetachCollection();
  m_browsers->CloseAll();
  m_collection->Clear();
  m_calls->Uninstall();
  CoDisconnectObject(static_cast<IShellWindows*>(m_collection.Get()), 0);
  m_channel.Close();
}

}  // namespace sim
