#pragma once
// Hands one interface from a worker apartment to the thread that waits for it, where the
// waiter may give up first. The worker offers the interface once; the waiter takes it or
// gives up. What the waiter never takes is let go by the worker, in the worker's own
// apartment, so the waiter never makes a call for it. Share it through a shared_ptr.
#include <windows.h>
#include <objidl.h>

#include <mutex>

class CInterfaceHandOff {
 public:
  CInterfaceHandOff() = default;
  CInterfaceHandOff(const CInterfaceHandOff&) = delete;
  CInterfaceHandOff& operator=(const CInterfaceHandOff&) = delete;
  ~CInterfaceHandOff();

  // Worker side: marshals `object` (which may be NULL: nothing is offered) as `iid` for the
  // waiter. If the waiter has already given up, the marshalled reference is let go here.
  void Offer(IUnknown* object, REFIID iid);
  // Waiter side: the offered interface in this apartment (the caller owns the reference),
  // or NULL with a failure when nothing has been offered yet. Either way this ends the
  // waiter's part: an offer made later is let go by the worker.
  HRESULT Take(REFIID iid, void** object);

 private:
  std::mutex m_lock;
  IStream* m_stream = nullptr;
  bool m_givenUp = false;
};
