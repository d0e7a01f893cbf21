#include "threads/Dispatcher.h"

#include "threads/MessageOnlyWindow.h"

namespace {

const char kDispatcherWindowClass[] = "OrmixDispatcher";
// Posted when the queue has gone from empty to holding tasks.
constexpr UINT kTasksWaitingMessage = WM_APP + 0x2F2;
// Set when a slice ended with tasks left while input or painting waited: a timer's message
// comes after those.
constexpr UINT_PTR kResumeTimerId = 1;
// Set when the queue has been emptied: tasks that come within its period are run at its
// tick (a posted message costs a browser waiting in its call a trip through the window
// system). The tick after one that found nothing ends it, and the next task posts again.
constexpr UINT_PTR kLingerTimerId = 2;
constexpr UINT kLingerMs = 10;
// How long one slice runs: at most, and at least before input or painting that wait get
// their turn (so that a flood still moves while the window is busy).
constexpr DWORD kSliceMs = 30;
constexpr DWORD kMinSliceMs = 8;
// Tasks between two looks at the clock and the input queue.
constexpr int kTasksPerLook = 16;
// How soon a wake-up that could not be posted is tried again.
constexpr DWORD kWakeRetryMs = 10;
constexpr DWORD kNoPeriod = 0xFFFFFFFE;

}  // namespace

CDispatcher* CDispatcher::ForThisThread() {
  static thread_local CDispatcher* dispatcher = nullptr;
  if (dispatcher) return dispatcher;
  HWND window = CreateMessageOnlyWindow(kDispatcherWindowClass, &CDispatcher::WindowProc);
  if (!window) return nullptr;
  dispatcher = new CDispatcher(window);  // kept for the thread's life, as its window
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dispatcher));
  return dispatcher;
}

CDispatcher::CDispatcher(HWND window) : m_window(window) {}

void CDispatcher::SetWake(Wake wake) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_wake = std::move(wake);
}

size_t CDispatcher::Waiting() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_tasks.size();
}

void CDispatcher::Post(Task task) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_tasks.push_back(std::move(task));
    wake = !m_wakePending;
    m_wakePending = true;
  }
  if (wake) WakeOrRetry();
}

void CDispatcher::WakeOrRetry() {
  Wake wake;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    wake = m_wake;
  }
  const bool posted = wake ? wake(m_window, kTasksWaitingMessage)
                           : ::PostMessageA(m_window, kTasksWaitingMessage, 0, 0) != FALSE;
  if (posted) return;
  // The window's queue is full, and a window timer can be set only by its own thread: a pool
  // timer tries again. One timer serves every retry: armed once, then moved to the next try
  // (a one-shot timer that has fired cannot be moved, so its period is as long as can be).
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_retryTimer) {
    ::ChangeTimerQueueTimer(nullptr, m_retryTimer, kWakeRetryMs, kNoPeriod);
    return;
  }
  if (!::CreateTimerQueueTimer(&m_retryTimer, nullptr, &CDispatcher::RetryWake, this, kWakeRetryMs, kNoPeriod,
                               WT_EXECUTEDEFAULT))
    m_retryTimer = nullptr;
}

void CALLBACK CDispatcher::RetryWake(void* parameter, BOOLEAN) {
  static_cast<CDispatcher*>(parameter)->WakeOrRetry();
}

void CDispatcher::RunAll() {
  // Only what waits now: a task that keeps posting itself must not keep this going.
  const size_t waiting = Waiting();
  if (waiting > 0) Drain(0, waiting);
}

UINT_PTR CDispatcher::PostAfter(DWORD delayMs, Task task) {
  const UINT_PTR id = m_nextDelayedId++;
  if (!::SetTimer(m_window, id, delayMs, nullptr)) return 0;
  m_delayed[id] = std::move(task);
  return id;
}

void CDispatcher::CancelDelayed(UINT_PTR id) {
  if (m_delayed.erase(id)) ::KillTimer(m_window, id);
}

void CDispatcher::Drain(DWORD sliceMs, size_t most) {
  // One task at a time: a task that handles messages while it runs (a modal loop) must not
  // run the tasks behind it, which would then come before it has finished. The outer slice
  // goes on with them once the task returns.
  if (m_running) return;
  const DWORD start = ::GetTickCount();
  int sinceLook = 0;
  bool ran = false;
  for (;;) {
    Task task;
    {
      std::lock_guard<std::mutex> hold(m_lock);
      if (m_tasks.empty()) {
        // Still awake for the next tick if this slice found anything; asleep otherwise.
        if (!ran || sliceMs == 0 || !::SetTimer(m_window, kLingerTimerId, kLingerMs, nullptr))
          m_wakePending = false;
        return;
      }
      if (most-- == 0) return;  // the rest keep their wake-up
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
    }
    m_running = true;
    if (task) task();
    m_running = false;
    ran = true;
    if (sliceMs == 0 || ++sinceLook < kTasksPerLook) continue;
    sinceLook = 0;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed < kMinSliceMs) continue;
    const bool othersWait = HIWORD(::GetQueueStatus(QS_INPUT | QS_PAINT)) != 0;
    if (!othersWait && elapsed < sliceMs) continue;
    // Input and painting first when they wait; otherwise straight on after what is queued.
    if (othersWait || !::PostMessageA(m_window, kTasksWaitingMessage, 0, 0))
      ::SetTimer(m_window, kResumeTimerId, USER_TIMER_MINIMUM, nullptr);
    return;
  }
}

LRESULT CALLBACK CDispatcher::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* dispatcher = reinterpret_cast<CDispatcher*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (dispatcher && (message == kTasksWaitingMessage ||
                     (message == WM_TIMER && (wParam == kResumeTimerId || wParam == kLingerTimerId)))) {
    if (message == WM_TIMER) ::KillTimer(window, wParam);
    dispatcher->Drain(kSliceMs);
    return 0;
  }
  if (dispatcher && message == WM_TIMER) {
    ::KillTimer(window, wParam);
    const auto delayed = dispatcher->m_delayed.find(wParam);
    if (delayed == dispatcher->m_delayed.end()) return 0;
    // Behind the tasks already waiting, as if posted now.
    dispatcher->Post(std::move(delayed->second));
    dispatcher->m_delayed.erase(delayed);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
