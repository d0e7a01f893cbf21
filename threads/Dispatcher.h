#pragma once
// The one way back to a thread that runs windows: any thread posts a task, and the thread
// that owns the dispatcher runs the tasks from its message loop, one at a time, in the order
// they were posted. Completions of work done elsewhere, events received from browsers and
// failures of background writing all come this way, through one posted message.
// Tasks run in slices, so that input and painting go on during a flood: a slice that ran
// long while input waits hands the rest to a timer, whose message comes after the input. A
// task that handles messages while it runs (a modal loop) never lets the tasks behind it run
// first: they wait until it has returned. After a slice that found tasks the dispatcher stays
// awake for one short tick, so that during a burst the posting threads queue tasks without
// waking this thread for each. A wake-up message that cannot be posted is tried again from
// a timer of the system's thread pool until it goes through, so no task is left stranded.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class CDispatcher {
 public:
  using Task = std::function<void()>;
  // Posts the wake-up message to the dispatcher's window; false when it could not.
  using Wake = std::function<bool(HWND window, UINT message)>;

  // The dispatcher of the calling thread, made on first use and kept for the thread's life;
  // NULL when its window cannot be made.
  static CDispatcher* ForThisThread();

  // Any thread: runs `task` on the dispatcher's thread after every task posted before it.
  void Post(Task task);
  // The dispatcher's thread: runs every task queued now, however long that takes (for the
  // end of the program, or a caller that must see everything received so far); what they
  // queue runs in its turn later. Does nothing inside a task.
  void RunAll();
  // How many tasks wait.
  size_t Waiting() const;
  // The dispatcher's thread: runs `task` there once `delayMs` have passed, in its turn among
  // the tasks, unless cancelled first. Its id for CancelDelayed; 0 when no timer was left.
  UINT_PTR PostAfter(DWORD delayMs, Task task);
  void CancelDelayed(UINT_PTR id);

  // Replaces how the thread is woken (NULL: PostMessage), to try a wake-up that fails.
  void SetWake(Wake wake);

  CDispatcher(const CDispatcher&) = delete;
  CDispatcher& operator=(const CDispatcher&) = delete;

 private:
  explicit CDispatcher(HWND window);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void CALLBACK RetryWake(void* parameter, BOOLEAN);
  // Runs at most `most` tasks, for up to `sliceMs` (0: however long they take).
  void Drain(DWORD sliceMs, size_t most = SIZE_MAX);
  // Wakes the thread, or has a pool timer try again shortly.
  void WakeOrRetry();

  HWND m_window;
  mutable std::mutex m_lock;
  std::deque<Task> m_tasks;
  bool m_wakePending = false;  // a message or timer will come to run the tasks
  Wake m_wake;                 // guarded by m_lock
  HANDLE m_retryTimer = nullptr;  // guarded by m_lock; kept for the thread's life
  bool m_running = false;      // the dispatcher's thread is inside a task
  // The dispatcher's thread only: tasks waiting for their time, by timer id.
  std::map<UINT_PTR, Task> m_delayed;
  UINT_PTR m_nextDelayedId = 16;
};
