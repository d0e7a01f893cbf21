#include "threads/BoundedWork.h"

#include <objbase.h>

#include <mutex>

#include "threads/Dispatcher.h"

namespace {

// How long a worker whose result is there keeps it for the owner to take. An owner takes it
// as soon as its completion runs; one whose thread is still busy after this long is treated
// as gone, and the worker lets go of the result itself.
constexpr DWORD kHandOverWaitMs = 60000;

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

}  // namespace

struct CBoundedWorkBase::Shared {
  LONG state = static_cast<LONG>(State::Running);
  HANDLE finished = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE decided = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::function<void()> run;
  std::function<void()> release;
  std::function<void(bool)> completion;  // the owner's thread only
  bool hasCompletion = false;            // fixed at the start, for the worker
  // Set by LetGo before the state becomes Abandoned, read by the worker after it.
  std::function<void()> afterRelease;
  bool hasAfterRelease = false;
  // The owner's thread's dispatcher, and the timer of the bound there (0: none).
  CDispatcher* dispatcher = nullptr;
  UINT_PTR boundTimer = 0;

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

// On the owner's thread: the completion of a work that finished, or the step after a work
// let go was released.
void RunCompletion(const std::shared_ptr<CBoundedWorkBase::Shared>& shared) {
  const CBoundedWorkBase::State state = shared->Get();
  if (shared->boundTimer) shared->dispatcher->CancelDelayed(shared->boundTimer);
  shared->boundTimer = 0;
  if (state == CBoundedWorkBase::State::Finished) {
    const std::function<void(bool)> completion = std::move(shared->completion);
    if (completion) completion(false);
  } else if (state == CBoundedWorkBase::State::Abandoned) {
    const std::function<void()> afterRelease = std::move(shared->afterRelease);
    if (afterRelease) afterRelease();
  }
}

// On the owner's thread: the bound has passed; a work still running is told so.
void RunBound(const std::shared_ptr<CBoundedWorkBase::Shared>& shared) {
  shared->boundTimer = 0;
  if (shared->Get() != CBoundedWorkBase::State::Running) return;
  const std::function<void(bool)> completion = std::move(shared->completion);
  if (completion) completion(true);
}

bool PostCompletion(const std::shared_ptr<CBoundedWorkBase::Shared>& shared) {
  if (!shared->dispatcher) return false;
  shared->dispatcher->Post([shared] { RunCompletion(shared); });
  return true;
}

DWORD WINAPI RunWork(void* parameter) {
  std::unique_ptr<std::shared_ptr<CBoundedWorkBase::Shared>> owner(
      static_cast<std::shared_ptr<CBoundedWorkBase::Shared>*>(parameter));
  CBoundedWorkBase::Shared& shared = **owner;
  using State = CBoundedWorkBase::State;
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  shared.run();
  if (shared.Move(State::Running, State::Finished)) {
    // Queued before anyone hears of the end, so that an owner that handles what its
    // dispatcher holds once the work has ended finds the completion there.
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

}  // namespace

CBoundedWorkBase::~CBoundedWorkBase() { Abandon(); }

CBoundedWorkBase::State CBoundedWorkBase::GetState() const {
  return m_shared ? m_shared->Get() : State::Abandoned;
}

bool CBoundedWorkBase::Launch(std::function<void()> run, std::function<void()> release,
                              std::function<void(bool)> completion, DWORD limitMs) {
  Abandon();
  auto shared = std::make_shared<Shared>();
  if (!shared->finished || !shared->decided) return false;
  shared->run = std::move(run);
  shared->release = std::move(release);
  shared->completion = std::move(completion);
  shared->hasCompletion = static_cast<bool>(shared->completion);
  shared->dispatcher = CDispatcher::ForThisThread();
  if (shared->hasCompletion && !shared->dispatcher) return false;  // nobody could hear of the end
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
  if (shared->hasCompletion && limitMs != INFINITE)
    shared->boundTimer = shared->dispatcher->PostAfter(limitMs, [shared] { RunBound(shared); });
  return true;
}

void CBoundedWorkBase::Abandon() { LetGo(nullptr); }

void CBoundedWorkBase::LetGo(std::function<void()> afterRelease) {
  if (!m_shared) return;
  const std::shared_ptr<Shared> shared = std::move(m_shared);
  shared->completion = nullptr;
  if (shared->boundTimer && shared->dispatcher) shared->dispatcher->CancelDelayed(shared->boundTimer);
  shared->boundTimer = 0;
  if (afterRelease) {
    shared->afterRelease = std::move(afterRelease);
    shared->hasAfterRelease = shared->dispatcher != nullptr;
  }
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

bool CBoundedWorkBase::Join(DWORD timeoutMs) {
  if (!m_shared) return false;
  DWORD signalled = 0;
  const HRESULT hr = ::CoWaitForMultipleHandles(0, timeoutMs, 1, &m_shared->finished, &signalled);
  if (hr == CO_E_NOTINITIALIZED) ::WaitForSingleObject(m_shared->finished, timeoutMs);
  return GetState() == State::Finished;
}

bool CBoundedWorkBase::WaitForOutstanding(DWORD timeoutMs) {
  // Not ended by a quit message: the works may need this thread to answer (a peer releasing
  // what this apartment handed it) while the program ends. A worker posts its completion
  // before it ends, so once none is left the completions already posted run too (they let
  // go of this thread's own proxies); one may start another work, which is waited for in turn.
  const DWORD start = ::GetTickCount();
  HANDLE none = Works().none;
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &none, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    // The bound holds while messages keep coming: each round looks at the clock again.
    while (::GetTickCount() - start < timeoutMs && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (woke == WAIT_OBJECT_0 || Outstanding() == 0) {
      if (CDispatcher* dispatcher = CDispatcher::ForThisThread()) dispatcher->RunAll();
      if (Outstanding() == 0) break;
    } else if (woke == WAIT_TIMEOUT || ::GetTickCount() - start >= timeoutMs) {
      break;
    }
  }
  // The loop that the quit message was meant for still gets it.
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
  return Outstanding() == 0;
}

LONG CBoundedWorkBase::Outstanding() {
  WorkCount& works = Works();
  std::lock_guard<std::mutex> hold(works.lock);
  return works.count;
}
