#pragma once
// A sink advised on a browser's connection point, and the thread of its own that calls it.
// The browser's thread hands each event call over and waits for it at most a bound, serving
// its messages meanwhile (the calls the sink makes back into the browser among them, as COM
// serves them while a call of its own is out). A sink that has not answered by then — its
// process hung, or gone without COM having noticed — is given up: nobody waits for the call
// any more, and its thread ends once the call does. The calls are made in the process's
// multithreaded apartment, on a proxy of the sink unmarshalled there; the event's arguments
// travel as CarriedArguments, so the sink receives what a call from the browser's thread
// would have sent it.
#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <memory>

namespace sim {

class AdvisedSink {
 public:
  // How long a sink may take to answer one event call: far longer than a receiver that
  // answers ever takes, even on a busy machine.
  static constexpr DWORD kCallBoundMs = 10000;

  // On the browser's thread: `sink` as Advise got it, asked for as `iid`. Null when no thread
  // could be started.
  static std::unique_ptr<AdvisedSink> Start(IDispatch* sink, REFIID iid);
  AdvisedSink(const AdvisedSink&) = delete;
  AdvisedSink& operator=(const AdvisedSink&) = delete;
  // Lets the thread go: it lets go of its proxy and ends once a call under way has returned.
  ~AdvisedSink();

  // The sink as the process's multithreaded apartment reaches it (for calls from there
  // only). The browser's thread keeps no proxy of its own: letting go of one is a call into
  // the sink's process, which would hold that thread while the process hangs.
  Microsoft::WRL::ComPtr<IDispatch> Sink() const;
  // Invokes the event on the sink from its thread and waits at most `boundMs`; the
  // by-reference arguments then hold what the sink left in them. RPC_E_TIMEOUT when it did
  // not answer in time (nothing is written back), E_INVALIDARG for arguments a browser never
  // sends.
  HRESULT Invoke(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params, DWORD boundMs = kCallBoundMs);

  // Whether a call's result says that the sink's process is gone or does not answer: such a
  // sink is not called again.
  static bool IsGone(HRESULT result);

 private:
  struct Call;
  struct Line;
  struct Launch;

  explicit AdvisedSink(std::shared_ptr<Line> line) : m_line(std::move(line)) {}
  static DWORD WINAPI ThreadMain(void* line);
  static void Serve(Line& line);
  // Waits until `handle` is signalled or `ms` have passed, dispatching this thread's
  // messages; whether it was signalled.
  static bool WaitServing(HANDLE handle, DWORD ms);

  std::shared_ptr<Line> m_line;
};

}  // namespace sim
