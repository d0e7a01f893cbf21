#include "sim/Simulator.h"

#include <fstream>

#include "sim/CommandTokens.h"
#include "sim/SimRegistration.h"

namespace sim {

namespace {

// A server started by COM that nobody uses within this time gives up; one that has served
// its client stays a little while for it. Its collection is empty, so there is nothing to
// wait for, and the remote references it holds are not reliably given back under Wine.
constexpr DWORD kEmbeddingIdleMs = 10000;
constexpr DWORD kEmbeddingServedMs = 3000;
constexpr UINT kRevokeMessage = WM_APP + 1;

// The browser's own interfaces (SHDocVw 1.1) and the HTML document's (MSHTML 4.0).
const GUID kBrowserTypeLibrary = {0xeab22ac0, 0x30c1, 0x11cf, {0xa7, 0xeb, 0x00, 0x00, 0xc0, 0x5b, 0xae, 0x0b}};
const GUID kHtmlTypeLibrary = {0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

bool HasOption(const std::vector<std::string>& tokens, const char* key, const char* value) {
  std::string found;
  for (size_t i = 2; i < tokens.size(); ++i)
    if (KeyValue(tokens[i], key, &found) && found == value) return true;
  return false;
}

}  // namespace

Simulator::Simulator(const SimOptions& options) : m_options(options) {
  m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_threadCommandsQueued = CreateEventW(nullptr, FALSE, FALSE, nullptr);
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
      [this](DWORD ms, const std::string& item) { Hang(ms, item); },
      // Driven by a test, windows stay hidden: under Wine without a window manager, hiding
      // or destroying a shown top-level window waits up to a second for the X server.
      options.pipeName.empty());
}

Simulator::~Simulator() {
  CloseHandle(m_stop);
  CloseHandle(m_threadCommandsQueued);
}

void Simulator::KeepTypeLibraries() {
  struct Library {
    const GUID* id;
    WORD major, minor;
  };
  for (const Library& library : {Library{&kBrowserTypeLibrary, 1, 1}, Library{&kHtmlTypeLibrary, 4, 0}}) {
    Microsoft::WRL::ComPtr<ITypeLib> loaded;
    if (SUCCEEDED(LoadRegTypeLib(*library.id, library.major, library.minor, LOCALE_NEUTRAL, loaded.GetAddressOf())))
      m_typeLibraries.push_back(loaded);
  }
}

bool Simulator::Start() {
  m_startTick = GetTickCount();
  if (!m_options.scenarioPath.empty()) {
    std::ifstream file(m_options.scenarioPath);
    if (!file) return false;
    std::string line;
    while (std::getline(file, line)) m_scenario.push_back(line);
  }
  KeepTypeLibraries();
  if (!m_calls->Install()) return false;
  // A host program's process serves no window list: the shell's list is another process's.
  if (!m_options.hostOnly) {
    if (!m_options.embedding && !RegisterShellWindowsServer()) m_exitCode = 3;
    if (FAILED(CoRegisterClassObject(kSimulatorShellWindowsClsid, m_factory.Get(), CLSCTX_LOCAL_SERVER,
                                     REGCLS_MULTIPLEUSE, &m_registration)))
      return false;
    ReserveFactoryReferences();
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
    HANDLE events[2] = {m_threadCommandsQueued, m_channel.ReadEvent()};
    const DWORD count = m_channel.IsOpen() ? 2 : 1;
    const DWORD wait = MsgWaitForMultipleObjectsEx(count, events, 200, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_OBJECT_0) TakeThreadCommands();
    if (count == 2 && wait == WAIT_OBJECT_0 + 1) ReadChannel();
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
  return m_browsers->WindowCount() == 0 && m_threads.empty();
}

void Simulator::ExecuteNext() {
  if (m_executing) return;  // never nested: COM's modal loop may bring us back here
  m_executing = true;
  const Pending pending = m_queue.front();
  m_queue.pop_front();
  CommandInterpreter::Result result;
  if (!ExecuteOnItemThread(pending.line, &result.reply)) result = m_interpreter->Execute(pending.line);
  if (result.hangCommand) {
    // A hang command replaces one still waiting for its call, and says so.
    const DWORD ms = result.hangMs;
    const std::string item = result.item;
    if (m_calls->HangAtCall(result.hangAtCall, [this, ms, item] {
          m_pendingHangItem.clear();
          Hang(ms, item);
        }))
      result.reply += " pending=1";
    m_pendingHangItem = result.hangAtCall ? item : std::string();
  }
  if (result.unhangCommand) result.reply = Unhang(result.item);
  if (pending.fromChannel) m_channel.WriteLine(result.reply);
  if (result.hangMs && !result.hangAtCall) Hang(result.hangMs, result.item);
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
  for (const std::string& line : lines) {
    NoteUnhang(line);
    Queue(line, true);
  }
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

void Simulator::Hang(DWORD ms, const std::string& item) {
  const DWORD start = GetTickCount();
  while (!UnhangNoted(item)) {
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

void Simulator::NoteUnhang(const std::string& line) {
  std::vector<std::string> tokens;
  std::string error;
  if (!Tokenize(line, &tokens, &error) || tokens.empty() || tokens[0] != "unhang" || tokens.size() > 2) return;
  const std::string item = tokens.size() > 1 ? tokens[1] : std::string();
  m_unhangs.insert(item);
  for (const auto& thread : m_threads)
    if (item.empty() || item == thread.first) thread.second->EndHang();
}

std::string Simulator::Unhang(const std::string& item) {
  // The hang this line ended (if any) is over now that its turn has come.
  m_unhangs.erase(item);
  if (!item.empty() && !m_browsers->Find(item) && !m_threads.count(item)) return "ERR no such id: " + item;
  if (!m_pendingHangItem.empty() && (item.empty() || item == m_pendingHangItem)) {
    m_calls->HangAtCall(0, nullptr);
    m_pendingHangItem.clear();
  }
  const auto wait = [this](HANDLE replied, DWORD ms) { return WaitFor(replied, ms); };
  for (const auto& thread : m_threads) {
    if (!item.empty() && item != thread.first) continue;
    // Also when the line was not read by this process's pipe (a scenario) or the item
    // opened after it was read.
    thread.second->EndHang();
    const std::string reply = thread.second->Execute("unhang " + thread.first, wait);
    if (reply.compare(0, 2, "OK") != 0) return reply;
  }
  return "OK";
}

void Simulator::TakeThreadCommands() {
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> hold(m_threadCommandsLock);
    lines.swap(m_threadCommands);
  }
  for (const std::string& line : lines) Queue(line, false);
}

bool Simulator::ExecuteOnItemThread(const std::string& line, std::string* reply) {
  std::vector<std::string> tokens;
  std::string error;
  if (!Tokenize(line, &tokens, &error) || tokens.empty()) return false;
  const std::string& verb = tokens[0];
  if (verb == "count" && tokens.size() == 1) {
    *reply = "OK count=" + std::to_string(ItemCount());
    return true;
  }
  if (tokens.size() < 2 || verb == "unhang") return false;
  if (verb == "all") {
    *reply = ExecuteOnAll(line, tokens);
    return true;
  }
  // `wait sinks ID ...` names its item after the word of what it waits for.
  const std::string& id = verb == "wait" && tokens.size() > 2 ? tokens[2] : tokens[1];
  const auto wait = [this](HANDLE replied, DWORD ms) { return WaitFor(replied, ms); };
  const bool opening = verb == "open" || verb == "folder" || verb == "other" || verb == "host";
  if (opening && (m_threads.count(id) || (HasOption(tokens, "thread", "own") && m_browsers->Find(id)))) {
    *reply = "ERR id in use: " + id;
    return true;
  }
  if (opening && HasOption(tokens, "thread", "own")) {
    if (m_options.hostOnly && verb != "host") {
      *reply = "ERR this simulator only hosts browser controls";
      return true;
    }
    auto thread = std::make_unique<BrowserThread>(
        [this](const std::string& command) {
          std::lock_guard<std::mutex> hold(m_threadCommandsLock);
          m_threadCommands.push_back(command);
          SetEvent(m_threadCommandsQueued);
        },
        m_stop, m_options.pipeName.empty());
    *reply = thread->Start(line, wait);
    if (reply->compare(0, 2, "OK") != 0) return true;
    if (verb != "host") m_collection->Append(thread->Listed());
    m_threads.emplace(id, std::move(thread));
    *reply = "OK count=" + std::to_string(ItemCount());
    return true;
  }
  auto it = m_threads.find(id);
  if (it == m_threads.end()) return false;
  *reply = it->second->Execute(line, wait);
  if (verb == "close" && reply->compare(0, 2, "OK") == 0) {
    m_collection->Remove(it->second->Listed());
    m_threads.erase(it);
    const size_t count = reply->rfind(" count=");
    if (count != std::string::npos) *reply = reply->substr(0, count) + " count=" + std::to_string(ItemCount());
  }
  return true;
}

std::string Simulator::ExecuteOnAll(const std::string& line, const std::vector<std::string>& tokens) {
  const char kUsage[] = "ERR usage: all ID,ID,... COMMAND ({id} stands for each id)";
  if (tokens.size() < 3) return kUsage;
  // The command is taken as written after the ids, so its quoting is kept.
  const size_t idsAt = line.find(tokens[1], line.find("all") + 3);
  if (idsAt == std::string::npos) return kUsage;
  const std::string command = line.substr(idsAt + tokens[1].size());
  std::vector<std::pair<std::string, BrowserThread*>> items;
  for (size_t from = 0; from <= tokens[1].size();) {
    size_t comma = tokens[1].find(',', from);
    if (comma == std::string::npos) comma = tokens[1].size();
    const std::string id = tokens[1].substr(from, comma - from);
    const auto it = m_threads.find(id);
    if (it == m_threads.end()) return "ERR not an item of a thread of its own: " + id;
    items.emplace_back(id, it->second.get());
    from = comma + 1;
  }
  const auto wait = [this](HANDLE replied, DWORD ms) { return WaitFor(replied, ms); };
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::vector<unsigned> numbers;
  for (const auto& item : items) {
    std::string own = command;
    for (size_t at = own.find("{id}"); at != std::string::npos; at = own.find("{id}", at + item.first.size()))
      own.replace(at, 4, item.first);
    numbers.push_back(item.second->Post(own));
  }
  std::string replies;
  for (size_t i = 0; i < items.size(); ++i)
    replies += " " + items[i].first + ":(" + items[i].second->Await(numbers[i], wait) + ")";
  QueryPerformanceCounter(&end);
  const long long us = (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
  return "OK all=" + std::to_string(items.size()) + " us=" + std::to_string(us) + replies;
}

bool Simulator::WaitFor(HANDLE handle, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return true;
    HANDLE events[2] = {handle, m_channel.ReadEvent()};
    const DWORD count = m_channel.IsOpen() ? 2 : 1;
    const DWORD wait = MsgWaitForMultipleObjectsEx(count, events, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_OBJECT_0) return true;
    if (count == 2 && wait == WAIT_OBJECT_0 + 1 && !ReadChannel()) return false;
    if (!PumpMessages()) {
      m_exit = true;
      return false;
    }
  }
}

// Under Wine, clients that create instances at the same moment can give back more references
// to the class object than they were given; Wine then deletes its stub while another client's
// CreateInstance waits for this thread, and unregistering the interface waits for that call:
// this thread would wait for itself for ever. References marshalled here, which no client
// gives back, keep the stub alive until the class object is revoked.
void Simulator::ReserveFactoryReferences() {
  constexpr int kReservedMarshals = 20;  // each holds a few references of its own
  for (int i = 0; i < kReservedMarshals; ++i) {
    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) ||
        FAILED(CoMarshalInterface(stream.Get(), IID_IClassFactory, static_cast<IClassFactory*>(m_factory.Get()),
                                  MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL)))
      return;
    m_factoryReserve.push_back(stream);
  }
}

void Simulator::RevokeClassObject() {
  for (const auto& stream : m_factoryReserve) {
    const LARGE_INTEGER start = {};
    if (SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) CoReleaseMarshalData(stream.Get());
  }
  m_factoryReserve.clear();
  if (!m_registration) return;
  CoRevokeClassObject(m_registration);
  m_registration = 0;
}

void Simulator::Shutdown() {
  RevokeClassObject();
  // Items of their own threads: their hangs and waits end, the window list lets go of them,
  // and each thread closes its item and ends.
  SetEvent(m_stop);
  for (const auto& thread : m_threads) m_collection->Remove(thread.second->Listed());
  m_threads.clear();
  m_factory->DetachCollection();
  m_browsers->CloseAll();
  m_collection->Clear();
  m_calls->Uninstall();
  CoDisconnectObject(static_cast<IShellWindows*>(m_collection.Get()), 0);
  m_channel.Close();
}

}  // namespace sim
