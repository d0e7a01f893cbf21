#pragma once
// The DWebBrowserEvents2 connection point of a simulated browser: keeps the advised sinks
// and calls IDispatch::Invoke on each of them when the browser raises an event. Advise only
// records the sink; nothing is ever fired from inside it.
#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

#include "sim/ComObject.h"

namespace sim {

class EventConnectionPoint final : public ComObject<EventConnectionPoint, IConnectionPoint> {
 public:
  static const Entry kInterfaces[];

  explicit EventConnectionPoint(IConnectionPointContainer* container);

  // The browser is going away: GetConnectionPointContainer fails from now on.
  void DetachContainer() { m_container = nullptr; }
  // Lets go of every sink, as a closed browser does.
  void ReleaseSinks() { m_sinks.clear(); }
  size_t SinkCount() const { return m_sinks.size(); }
  // The sinks advised now, in advise order.
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> Sinks() const;

  // Invokes `dispid` on every sink advised when the call starts, in advise order, and
  // returns each call's result. Sinks may unadvise during the calls.
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
  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> m_sinks;
  DWORD m_nextCookie = 1;
};

}  // namespace sim
