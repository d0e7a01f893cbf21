#include "sim/BrowserThread.h"

#include <exdisp.h>
#include <ocidl.h>

#include <memory>
#include <vector>

#include "sim/BrowserSet.h"
#include "sim/CommandInterpreter.h"
#include "sim/CommandTokens.h"
#include "sim/IncomingCallCounter.h"
#include "sim/MarshalledReference.h"

namespace sim {

namespace {

// How long the main thread waits for one command of an item's thread. Commands end in
// milliseconds; a `wait sinks` may take as long as its own time-out, and a command that
// comes while the item hangs waits for the hang: both are far shorter than this.
constexpr DWORD kReplyLimitMs = 600000;
// How long ending the thread may take: closing the item and its windows takes milliseconds.
constexpr DWORD kThreadEndLimitMs = 5000;

}  // namespace

BrowserThread::BrowserThread(CommandQueue toMain, HANDLE stop, bool showWindows)
    : m_toMain(std::move(toMain)), m_stop(stop), m_showWindows(showWindows) {
  m_commandReady = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  m_replied = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  m_quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_unhang = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

BrowserThread::~BrowserThread() {
  // The main thread's references go first, while the item's thread still serves them.
  m_listed.Reset();
  m_item.Reset();
  if (m_thread) {
    SetEvent(m_quit);
    WaitForSingleObject(m_thread, kThreadEndLimitMs);
    CloseHandle(m_thread);
  }
  if (m_itemStream) m_itemStream->Release();
  CloseHandle(m_commandReady);
  CloseHandle(m_replied);
  CloseHandle(m_quit);
  CloseHandle(m_unhang);
}

std::string BrowserThread::Start(const std::string& openLine, const Wait& wait) {
  m_thread = CreateThread(nullptr, 0, &BrowserThread::ThreadMain, this, 0, nullptr);
  if (!m_thread) return "ERR no thread";
  const std::string reply = Execute(openLine, wait);
  IStream* stream = nullptr;
  std::vector<BYTE> reference;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    stream = m_itemStream;
    m_itemStream = nullptr;
    reference.swap(m_itemReference);
  }
  if (stream && FAILED(CoGetInterfaceAndReleaseStream(stream, IID_IDispatch,
                                                      reinterpret_cast<void**>(m_item.ReleaseAndGetAddressOf()))))
    m_item.Reset();
  if (m_item && !reference.empty())
    m_listed.Attach(new MarshalledReference(std::move(reference), MSHLFLAGS_TABLESTRONG, m_item.Get()));
  if (reply.compare(0, 2, "OK") == 0 && !m_listed) return "ERR the item could not be handed to the window list";
  // COM keeps a stub for each interface a client asks of the item for as long as this
  // thread's reference lives, each holding the object. Asked for all of them now, they are
  // part of the counts `refs` reports from the start, as for an item of the main thread.
  bool browser = false;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    browser = m_itemIsBrowser;
  }
  if (m_item && browser) {
    for (const IID* iid : {&IID_IWebBrowser2, &IID_IWebBrowserApp, &IID_IWebBrowser, &IID_IConnectionPointContainer}) {
      Microsoft::WRL::ComPtr<IUnknown> asked;
      m_item->QueryInterface(*iid, reinterpret_cast<void**>(asked.GetAddressOf()));
    }
  }
  return reply;
}

unsigned BrowserThread::Post(const std::string& line) {
  unsigned number = 0;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_command = line;
    number = ++m_commandNumber;
    m_commandPending = true;
  }
  SetEvent(m_commandReady);
  return number;
}

std::string BrowserThread::Await(unsigned number, const Wait& wait) {
  const DWORD start = GetTickCount();
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(m_lock);
      if (m_replyNumber == number) return m_reply;
    }
    const DWORD elapsed = GetTickCount() - start;
    // A reply that does not come within the limit, or a simulator that is ending, gives up.
    if (elapsed >= kReplyLimitMs || !wait(m_replied, kReplyLimitMs - elapsed)) break;
  }
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_replyNumber == number) return m_reply;
  return "ERR the item's thread did not answer";
}

DWORD WINAPI BrowserThread::ThreadMain(void* self) {
  static_cast<BrowserThread*>(self)->Run();
  return 0;
}

void BrowserThread::Run() {
  if (FAILED(OleInitialize(nullptr))) return;
  {
    Microsoft::WRL::ComPtr<IncomingCallCounter> counter;
    counter.Attach(new IncomingCallCounter);
    const bool counting = counter->Install();
    BrowserSet browsers(nullptr, m_toMain);
    if (counting) browsers.CountCalls(counter.Get());
    CommandInterpreter interpreter(
        browsers, [this](DWORD ms, const std::function<bool()>& done) { Pump(ms, done); },
        [this](DWORD ms, const std::string&) { Hang(ms); }, m_showWindows);
    // The thread serves its item until the main thread has let go of it and says so.
    HANDLE handles[2] = {m_commandReady, m_quit};
    for (;;) {
      const DWORD wait = MsgWaitForMultipleObjectsEx(2, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_FAILED) break;
      if (wait == WAIT_OBJECT_0) {
        ExecutePending(interpreter, browsers, counting ? counter.Get() : nullptr);
        continue;
      }
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    browsers.CloseAll();
    if (counting) counter->Uninstall();
  }
  OleUninitialize();
}

void BrowserThread::ExecutePending(CommandInterpreter& interpreter, BrowserSet& browsers,
                                   IncomingCallCounter* counter) {
  std::string line;
  unsigned number = 0;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_commandPending) return;
    line = m_command;
    number = m_commandNumber;
    m_commandPending = false;
  }
  CommandInterpreter::Result result = interpreter.Execute(line);
  IStream* stream = nullptr;
  std::vector<std::string> tokens;
  std::string error;
  const bool opened = !m_item && result.reply.compare(0, 2, "OK") == 0 && Tokenize(line, &tokens, &error) &&
                      tokens.size() >= 2 && browsers.Find(tokens[1]);
  if (opened && FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, browsers.Find(tokens[1])->item.Get(),
                                                             &stream)))
    stream = nullptr;
  // Kept until the item closes (closing disconnects it): the window list hands it out.
  std::vector<BYTE> reference;
  if (stream) reference = MarshalledReference::Marshal(browsers.Find(tokens[1])->item.Get(), MSHLFLAGS_TABLESTRONG);
  // An item that is no browser is asked nothing more (asking one may end the simulator).
  const bool browser = opened && browsers.Find(tokens[1])->browser;
  if (result.hangCommand) {
    if (result.exit || (result.hangAtCall && !counter)) {
      result.reply = "ERR an item of its own thread hangs only itself: no exit=1";
      result.hangMs = 0;
      result.hangAtCall = 0;
    } else if (counter) {
      const DWORD ms = result.hangMs;
      if (counter->HangAtCall(result.hangAtCall, [this, ms] { Hang(ms); })) result.reply += " pending=1";
    }
  }
  if (result.unhangCommand) {
    // The main thread ended a running hang before it handed this over.
    if (counter) counter->HangAtCall(0, nullptr);
    ResetEvent(m_unhang);
  }
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_reply = result.reply;
    m_replyNumber = number;
    if (stream) {
      m_itemStream = stream;
      m_itemReference = std::move(reference);
      m_itemIsBrowser = browser;
    }
  }
  SetEvent(m_replied);
  if (result.hangMs && !result.hangAtCall) Hang(result.hangMs);
}

// A hang holds this thread only; the simulator's end and an `unhang` end it.
void BrowserThread::Hang(DWORD ms) const {
  HANDLE handles[3] = {m_stop, m_quit, m_unhang};
  WaitForMultipleObjects(3, handles, FALSE, ms);
}

void BrowserThread::Pump(DWORD ms, const std::function<bool()>& done) const {
  const DWORD start = GetTickCount();
  HANDLE handles[2] = {m_stop, m_quit};
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    const DWORD wait = MsgWaitForMultipleObjectsEx(2, handles, ms - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_OBJECT_0 + 1) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace sim
