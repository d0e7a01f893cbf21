#pragma once
// A thread of its own in a single-threaded apartment of its own, running a message loop and
// nothing else: objects marshalled on it are served there, so calls from other processes
// into them never wait for the window's thread, whatever that thread is busy with. Steps
// handed to it run there between calls. It runs from Start until End; EndAll at the program's
// end ends every one still running.
#include <windows.h>

#include <functional>
#include <memory>

class CApartmentThread {
 public:
  CApartmentThread();
  ~CApartmentThread();  // ends the thread (End with a short bound)
  CApartmentThread(const CApartmentThread&) = delete;
  CApartmentThread& operator=(const CApartmentThread&) = delete;

  // Starts the thread unless it runs; true when it runs.
  bool Start();
  // Runs `step` there and waits for it at most `timeoutMs`, handling no message of this
  // thread. For steps local to this process; true when it ran in time.
  bool Run(std::function<void()> step, DWORD timeoutMs);
  // Runs `step` there without waiting for it; false when the thread does not run.
  bool Post(std::function<void()> step);
  // Asks the thread to end once the steps handed to it have run, and waits at most
  // `timeoutMs`. Objects still served there are disconnected as its apartment closes.
  void End(DWORD timeoutMs);
  // End for every apartment thread still running, together within `timeoutMs`.
  static void EndAll(DWORD timeoutMs);

  struct State;

 private:
  std::shared_ptr<State> m_state;
};
