#include "threads/ApartmentThread.h"

#include <objbase.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

namespace {

// How long Start waits for the thread to have entered its apartment, a step local to this
// process.
constexpr DWORD kStartWaitMs = 10000;
// How long a destroyed apartment thread is given to end.
constexpr DWORD kDestroyWaitMs = 2000;

}  // namespace

struct CApartmentThread::State {
  HANDLE thread = nullptr;
  HANDLE started = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE stepsWaiting = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  LONG ok = 0;
  std::mutex lock;
  std::deque<std::function<void()>> steps;  // an empty step asks the thread to end
  ~State() {
    for (HANDLE handle : {thread, started, stepsWaiting})
      if (handle) ::CloseHandle(handle);
  }
};

namespace {

// Every apartment thread running, for EndAll.
struct Running {
  std::mutex lock;
  std::vector<std::shared_ptr<CApartmentThread::State>> states;
};

Running& TheRunning() {
  static Running* running = new Running;  // kept for the process's life
  return *running;
}

// Runs the steps waiting; false when one asked the thread to end.
bool RunSteps(CApartmentThread::State& state) {
  for (;;) {
    std::function<void()> step;
    {
      std::lock_guard<std::mutex> hold(state.lock);
      if (state.steps.empty()) return true;
      step = std::move(state.steps.front());
      state.steps.pop_front();
    }
    if (!step) return false;
    step();
  }
}

DWORD WINAPI ServeApartment(void* parameter) {
  const std::unique_ptr<std::shared_ptr<CApartmentThread::State>> owner(
      static_cast<std::shared_ptr<CApartmentThread::State>*>(parameter));
  CApartmentThread::State& state = **owner;
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ::InterlockedExchange(&state.ok, SUCCEEDED(init) ? 1 : 0);
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, before anyone posts to it
  ::SetEvent(state.started);
  if (FAILED(init)) return 1;
  for (;;) {
    // Calls from other processes arrive as messages; steps through the event.
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &state.stepsWaiting, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 && !RunSteps(state)) break;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  ::CoUninitialize();
  return 0;
}

}  // namespace

CApartmentThread::CApartmentThread() = default;

CApartmentThread::~CApartmentThread() { End(kDestroyWaitMs); }

bool CApartmentThread::Start() {
  if (m_state) return true;
  auto state = std::make_shared<State>();
  if (!state->started || !state->stepsWaiting) return false;
  auto* parameter = new std::shared_ptr<State>(state);
  state->thread = ::CreateThread(nullptr, 0, ServeApartment, parameter, 0, nullptr);
  if (!state->thread) {
    delete parameter;
    return false;
  }
  if (::WaitForSingleObject(state->started, kStartWaitMs) != WAIT_OBJECT_0 ||
      !::InterlockedCompareExchange(&state->ok, 0, 0)) {
    {
      std::lock_guard<std::mutex> hold(state->lock);
      state->steps.push_back(nullptr);  // a thread that starts late ends at once
    }
    ::SetEvent(state->stepsWaiting);
    return false;
  }
  m_state = state;
  Running& running = TheRunning();
  std::lock_guard<std::mutex> hold(running.lock);
  running.states.push_back(state);
  return true;
}

bool CApartmentThread::Post(std::function<void()> step) {
  if (!m_state) return false;
  {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->steps.push_back(std::move(step));
  }
  ::SetEvent(m_state->stepsWaiting);
  return true;
}

bool CApartmentThread::Run(std::function<void()> step, DWORD timeoutMs) {
  const std::shared_ptr<void> done(::CreateEventA(nullptr, TRUE, FALSE, nullptr), [](HANDLE h) {
    if (h) ::CloseHandle(h);
  });
  if (!done.get() || !Post([step = std::move(step), done] {
        step();
        ::SetEvent(done.get());
      }))
    return false;
  return ::WaitForSingleObject(done.get(), timeoutMs) == WAIT_OBJECT_0;
}

void CApartmentThread::End(DWORD timeoutMs) {
  if (!m_state) return;
  const std::shared_ptr<State> state = std::move(m_state);
  {
    std::lock_guard<std::mutex> hold(state->lock);
    state->steps.push_back(nullptr);
  }
  ::SetEvent(state->stepsWaiting);
  ::WaitForSingleObject(state->thread, timeoutMs);
  Running& running = TheRunning();
  std::lock_guard<std::mutex> hold(running.lock);
  running.states.erase(std::remove(running.states.begin(), running.states.end(), state), running.states.end());
}

void CApartmentThread::EndAll(DWORD timeoutMs) {
  std::vector<std::shared_ptr<State>> states;
  {
    Running& running = TheRunning();
    std::lock_guard<std::mutex> hold(running.lock);
    states.swap(running.states);
  }
  std::vector<HANDLE> threads;
  for (const auto& state : states) {
    {
      std::lock_guard<std::mutex> hold(state->lock);
      state->steps.push_back(nullptr);
    }
    ::SetEvent(state->stepsWaiting);
    threads.push_back(state->thread);
  }
  if (!threads.empty())
    ::WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, timeoutMs);
}
