#include "framework/BoundedWork.h"

#include <objbase.h>

#include <mutex>
#include <vector>

#include "framework/MessageOnlyWindow.h"

namespace {

// How long a worker whose result is there keeps it for the caller to take. A caller takes it
// as soon as its wait ends or its completion runs; one still busy in a call from another
// process after this long is treated as gone, and the worker lets go of the result itself.
constexpr DWORD kHandOverWaitMs = 60000;

// Posted to the caller's notification window when a work with a completion has finished.
constexpr UINT kWorkFinishedMessage = WM_APP + 0x2F1;
const char kNotifyWindowClass[] = "OrmixBoundedWorkNotify";

// The works started and not yet ended, and an event set while there are none.
struct WorkCount {
  std::mutex lock;
  LONG count = 0;
  HANDLE none = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);

  void Add() {
    std::lock_guard<std::mutex> hold(lock);
    if (count++ == 0) ::ResetEvent(none);
  }
  void Remove() {
    std::lock_guard<std::mutex> hold(lock);
    if (--count == 0) ::SetEvent(none);
  }
};

WorkCount& Works() {
  static WorkCount* works = new WorkCount;  // kept for the process's life
  return *works;
}

// How deep this thread is in calls from other processes, and the completions that fell due
// meanwhile (made only when one does: entering a call allocates nothing).
thread_local int t_incomingDepth = 0;
thread_local std::vector<std::shared_ptr<CBoundedWorkBase::Shared>>* t_deferred = nullptr;

HWND NotifyWindow();

}  // namespace

struct CBoundedWorkBase::Shared {
  LONG state = static_cast<LONG>(State::Running);
  HANDLE finished = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE decided = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::function<void()> run;
  std::function<void()> release;
  std::function<void()> completion;  // the caller's thread only
  bool hasCompletion = false;        // fixed at the start, for the worker
  // Set by LetGo before the state becomes Abandoned, read by the worker after it.
  std::function<void()> afterRelease;
  bool hasAfterRelease = false;
  HWND notify = nullptr;

  ~Shared() {
    if (finished) ::CloseHandle(finished);
    if (decided) ::CloseHandle(decided);
  }
  State Get() { return static_cast<State>(::InterlockedCompareExchange(&state, 0, 0)); }
  // Moves from `from` to `to`; true when it was in `from`.
  bool Move(State from, State to) {
    return ::InterlockedCompareExchange(&state, static_cast<LONG>(to), static_cast<LONG>(from)) ==
           static_cast<LONG>(from);
  }
};

namespace {

void RunCompletion(const std::shared_ptr<CBoundedWorkBase::Shared>& shared) {
  if (t_incomingDepth > 0) {
    if (!t_deferred) t_deferred = new std::vector<std::shared_ptr<CBoundedWorkBase::Shared>>;
    t_deferred->push_back(shared);  // after the call from the other process has returned
    return;
  }
  const CBoundedWorkBase::State state = shared->Get();
  std::function<void()> step;
  if (state == CBoundedWorkBase::State::Finished) step = std::move(shared->completion);
  else if (state == CBoundedWorkBase::State::Abandoned) step = std::move(shared->afterRelease);
  if (step) step();
}

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWorkFinishedMessage) return ::DefWindowProcA(window, message, wParam, lParam);
  std::unique_ptr<std::shared_ptr<CBoundedWorkBase::Shared>> owner(
      reinterpret_cast<std::shared_ptr<CBoundedWorkBase::Shared>*>(lParam));
  RunCompletion(*owner);
  return 0;
}

// A message-only window of the calling thread that runs the completions of its works; one
// per thread, kept for the thread's life.
HWND NotifyWindow() {
  static thread_local HWND window = nullptr;
  if (window && ::IsWindow(window)) return window;
  window = CreateMessageOnlyWindow(kNotifyWindowClass, NotifyWindowProc);
  return window;
}

bool PostCompletion(const std::shared_ptr<CBoundedWorkBase::Shared>& shared) {
  auto* message = new std::shared_ptr<CBoundedWorkBase::Shared>(shared);
  if (shared->notify && ::PostMessageA(shared->notify, kWorkFinishedMessage, 0, reinterpret_cast<LPARAM>(message)))
    return true;
  delete message;
  return false;
}

DWORD WINAPI RunWork(void* parameter) {
  std::unique_ptr<std::shared_ptr<CBoundedWorkBase::Shared>> owner(
      static_cast<std::shared_ptr<CBoundedWorkBase::Shared>*>(parameter));
  CBoundedWorkBase::Shared& shared = **owner;
  using State = CBoundedWorkBase::State;
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  shared.run();
  if (shared.Move(State::Running, State::Finished)) {
    // Queued before the caller hears of the end, so that a caller whose wait has ended finds
    // the completion already waiting in its queue.
    if (shared.hasCompletion) PostCompletion(*owner);
    ::SetEvent(shared.finished);
    // This apartment serves calls while the result waits for the caller: what the result
    // holds may belong to it.
    DWORD signalled = 0;
    if (FAILED(::CoWaitForMultipleHandles(0, kHandOverWaitMs, 1, &shared.decided, &signalled)))
      ::WaitForSingleObject(shared.decided, kHandOverWaitMs);
    shared.Move(State::Finished, State::Abandoned);  // nobody came for it
  }
  if (shared.Get() == State::Abandoned) {
    shared.release();
    if (shared.hasAfterRelease) PostCompletion(*owner);
  }
  // What the work captured goes here, in this apartment, before it closes.
  shared.run = nullptr;
  shared.release = nullptr;
  if (SUCCEEDED(init)) ::CoUninitialize();
  ::SetEvent(shared.finished);
  owner.reset();
  Works().Remove();
  return 0;
}

// The wait behind WaitPumping and WaitForOutstanding; `endOnQuit`: a quit message ends it.
bool Pump(HANDLE handle, DWORD timeoutMs, const std::function<bool()>& stop, bool endOnQuit) {
  bool quit = false;
  WPARAM quitCode = 0;
  const DWORD start = ::GetTickCount();
  bool signalled = false;
  for (;;) {
    if (stop && stop()) break;
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    const DWORD count = handle ? 1 : 0;
    const DWORD result = ::MsgWaitForMultipleObjectsEx(count, handle ? &handle : nullptr, remaining, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
    if (count && result == WAIT_OBJECT_0) {
      signalled = true;
      break;
    }
    if (result != WAIT_OBJECT_0 + count) break;  // timed out
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        if (endOnQuit) break;
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (quit && endOnQuit) break;
  }
  if (handle && !signalled) signalled = ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
  // The loop that the quit message was meant for still gets it.
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
  return signalled;
}

}  // namespace

CBoundedWorkBase::~CBoundedWorkBase() { Abandon(); }

CBoundedWorkBase::State CBoundedWorkBase::GetState() const {
  return m_shared ? m_shared->Get() : State::Abandoned;
}

bool CBoundedWorkBase::Launch(std::function<void()> run, std::function<void()> release,
                              std::function<void()> completion) {
  Abandon();
  auto shared = std::make_shared<Shared>();
  if (!shared->finished || !shared->decided) return false;
  shared->run = std::move(run);
  shared->release = std::move(release);
  shared->completion = std::move(completion);
  shared->hasCompletion = static_cast<bool>(shared->completion);
  if (shared->hasCompletion) shared->notify = NotifyWindow();
  auto* parameter = new std::shared_ptr<Shared>(shared);
  Works().Add();
  HANDLE thread = ::CreateThread(nullptr, 0, RunWork, parameter, 0, nullptr);
  if (!thread) {
    delete parameter;
    Works().Remove();
    return false;
  }
  ::CloseHandle(thread);
  m_shared = shared;
  m_stopWaiting = false;
  return true;
}

bool CBoundedWorkBase::Wait(DWORD timeoutMs) {
  if (!m_shared) return false;
  const std::shared_ptr<Shared> shared = m_shared;  // a message handled meanwhile may start another
  m_stopWaiting = false;
  Pump(shared->finished, timeoutMs, [this, &shared] { return m_stopWaiting || shared->Get() == State::Abandoned; },
       true);
  return shared->Get() == State::Finished;
}

void CBoundedWorkBase::Abandon() {
  if (!m_shared) return;
  const std::shared_ptr<Shared> shared = std::move(m_shared);
  shared->completion = nullptr;
  if (shared->Move(State::Running, State::Abandoned) || shared->Move(State::Finished, State::Abandoned))
    ::SetEvent(shared->decided);
}

void CBoundedWorkBase::LetGo(std::function<void()> afterRelease) {
  if (!m_shared) return;
  const std::shared_ptr<Shared> shared = std::move(m_shared);
  shared->completion = nullptr;
  shared->notify = NotifyWindow();
  shared->afterRelease = std::move(afterRelease);
  shared->hasAfterRelease = true;
  if (shared->Move(State::Running, State::Abandoned) || shared->Move(State::Finished, State::Abandoned))
    ::SetEvent(shared->decided);
}

bool CBoundedWorkBase::HandOver(const std::function<void()>& take) {
  if (!m_shared || !m_shared->Move(State::Finished, State::HandedOver)) return false;
  take();
  m_shared->completion = nullptr;
  ::SetEvent(m_shared->decided);
  return true;
}

bool CBoundedWorkBase::WaitPumping(HANDLE handle, DWORD timeoutMs, const std::function<bool()>& stop) {
  return Pump(handle, timeoutMs, stop, true);
}

bool CBoundedWorkBase::WaitForOutstanding(DWORD timeoutMs) {
  // Not ended by a quit message: the works may need this thread to answer (a peer releasing
  // what this apartment handed it) while the program ends. A worker posts its completion
  // before it ends, so once none is left the completions already posted run too (they let
  // go of this thread's own proxies); one may start another work, which is waited for in turn.
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    if (!Pump(Works().none, remaining, nullptr, false)) return false;
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    if (Outstanding() == 0) return true;
  }
}

LONG CBoundedWorkBase::Outstanding() {
  WorkCount& works = Works();
  std::lock_guard<std::mutex> hold(works.lock);
  return works.count;
}

CBoundedWorkBase::IncomingCall::IncomingCall() { ++t_incomingDepth; }

CBoundedWorkBase::IncomingCall::~IncomingCall() {
  if (--t_incomingDepth > 0 || !t_deferred) return;
  // The completions that fell due during the call run from the message loop, as any other.
  const std::unique_ptr<std::vector<std::shared_ptr<Shared>>> deferred(t_deferred);
  t_deferred = nullptr;
  for (const auto& shared : *deferred)
    if (!PostCompletion(shared)) RunCompletion(shared);
}
