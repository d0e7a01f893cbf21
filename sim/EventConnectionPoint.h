#pragma once
// The DWebBrowserEvents2 connection point of a simulated browser: keeps the advised sinks
// and calls IDispatch::Invoke on each of them when the browser raises an event. Advise only
// records the sink, unless the browser was opened to fail it; nothing is ever fired from
// inside it. Each sink is called from a thread of its own, and waited for at most a bound
// (AdvisedSink): a sink whose process has gone or does not answer in time is let go of, so
// the events after it cost nothing more for it.
#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "sim/AdvisedSink.h"
#include "sim/ComObject.h"

namespace sim {

class EventConnectionPoint final : public ComObject<EventConnectionPoint, IConnectionPoint> {
 public:
  static const Entry kInterfaces[];

  // Run as Advise starts, before the sink is asked anything: a failure it returns is
  // Advise's answer and no sink is recorded. It may hold the thread first (a browser that
  // does not answer).
  using AdviseHook = std::function<HRESULT()>;

  explicit EventConnectionPoint(IConnectionPointContainer* container);

  void SetAdviseHook(AdviseHook hook) { m_adviseHook = std::move(hook); }

  // The browser is going away: GetConnectionPointContainer fails from now on.
  void DetachContainer() { m_container = nullptr; }
  // Lets go of every sink, as a closed browser does.
  void ReleaseSinks() { m_sinks.clear(); }
  size_t SinkCount() const { return m_sinks.size(); }
  // The sinks advised now, in advise order, for calls from the process's multithreaded
  // apartment.
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> Sinks() const;

  // Invokes `dispid` on every sink advised when the call starts, in advise order, and
  // returns each call's result. Sinks may unadvise during the calls. A sink whose call says
  // its process has gone, or that has not answered within AdvisedSink::kCallBoundMs
  // (RPC_E_TIMEOUT), is let go of as Unadvise does.
  std::vector<HRESULT> Fire(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params);

  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

 private:
  ~EventConnectionPoint() = default;

  IConnectionPointContainer* m_container;  // not counted: the container owns this object
  std::vector<std::pair<DWORD, std::shared_ptr<AdvisedSink>>> m_sinks;
  DWORD m_nextCookie = 1;
  AdviseHook m_adviseHook;
};

}  // namespace sim
