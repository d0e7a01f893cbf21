#pragma once
// Counts the calls other processes make into the simulator's objects, so a test can tell
// whether an operation on a client's proxy crossed over or was answered by the client's own
// COM runtime. Installed as the thread's message filter, it sees every incoming call with
// the interface pointer it is made on; a remote interface query is made on COM's own
// IRemUnknown and is given to the object whose QueryInterface runs next.
#include <windows.h>
#include <objidl.h>

#include <functional>
#include <initializer_list>
#include <map>

#include "sim/ComObject.h"

namespace sim {

class IncomingCallCounter final : public ComObject<IncomingCallCounter, IMessageFilter> {
 public:
  static const Entry kInterfaces[];

  IncomingCallCounter() = default;

  // Becomes the calling thread's message filter and observer of interface queries.
  bool Install();
  void Uninstall();

  // Counts calls on `pointers` (the object's interface pointers, and the objects whose
  // interface queries count for it) under `object`.
  void Watch(const void* object, std::initializer_list<const void*> pointers);
  void Forget(const void* object);
  long Count(const void* object) const;
  // Every incoming call, including reference counting between the two COM runtimes.
  long Total() const { return m_total; }
  // Runs `hang` when the `calls`-th incoming call from now arrives, before it is served (a
  // browser that stops answering in the middle of a client's sequence of calls); 0 calls
  // forgets a hang not yet reached. TRUE when it replaced a hang not yet reached.
  bool HangAtCall(long calls, std::function<void()> hang);

  // IMessageFilter
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD tick, INTERFACEINFO* info) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tick, DWORD rejectType) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tick, DWORD pendingType) override;

 private:
  ~IncomingCallCounter() = default;
  static void ObserveQuery(const void* object);
  void CountFor(const void* pointer);

  // One counter per thread: an item of a thread of its own counts its calls there.
  static thread_local IncomingCallCounter* s_installed;
  std::map<const void*, const void*> m_owners;  // interface or object pointer -> counted object
  std::map<const void*, long> m_counts;
  bool m_remoteQueryPending = false;
  long m_total = 0;
  long m_hangAt = 0;  // the value of m_total at which m_hang runs; 0: none
  std::function<void()> m_hang;
};

}  // namespace sim
