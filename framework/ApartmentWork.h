#pragma once
// Runs a piece of COM work on a thread of its own, in a single-threaded apartment of its own,
// so that a call into a peer that does not answer holds that thread instead of the caller's.
// The caller waits with a limit while its messages are dispatched; work that outlasts the wait
// runs to its end by itself. Interfaces reach the work through CGlobalInterface.
#include <windows.h>

#include <functional>

class CApartmentWork {
 public:
  // Starts `work` and waits for it at most `timeoutMs` (0: not at all), dispatching this
  // thread's messages meanwhile. TRUE when it finished within that time. The work is
  // destroyed on its own thread once it has run, so what it captures is released there;
  // whatever it reports back must be shared with it (a shared_ptr), since the caller may
  // have stopped waiting. If no thread can be started, the work runs here before returning.
  // `then`, if given, runs on the calling thread, from its message loop (or any wait of this
  // class), once the work has finished, however long that takes; the work counts as
  // outstanding until then.
  static BOOL Run(std::function<void()> work, DWORD timeoutMs, std::function<void()> then = nullptr);

  // Waits, dispatching messages, until every work started by Run has finished or
  // `timeoutMs` has passed. TRUE when none is left.
  static BOOL WaitForOutstanding(DWORD timeoutMs);
  static LONG Outstanding();

  // Dispatches this thread's messages until `handle` is signalled or `timeoutMs` has
  // passed; TRUE when it was signalled. A WM_QUIT met meanwhile is posted again and ends
  // the wait.
  static BOOL WaitPumping(HANDLE handle, DWORD timeoutMs);
};
