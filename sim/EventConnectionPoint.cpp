#include "sim/EventConnectionPoint.h"

#include <exdisp.h>
#include <olectl.h>

namespace sim {

EventConnectionPoint::EventConnectionPoint(IConnectionPointContainer* container) : m_container(container) {}

const EventConnectionPoint::Entry EventConnectionPoint::kInterfaces[] = {
    {&IID_IUnknown, As<IConnectionPoint>},
    {&IID_IConnectionPoint, As<IConnectionPoint>},
    {},
};

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = DIID_DWebBrowserEvents2;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = m_container;
  if (!m_container) return E_UNEXPECTED;
  m_container->AddRef();
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  if (m_adviseHook) {
    const HRESULT hr = m_adviseHook();
    if (FAILED(hr)) return hr;
  }
  // A browser asks for its event interface first and takes plain IDispatch otherwise.
  Microsoft::WRL::ComPtr<IDispatch> dispatch;
  const IID* asked = &DIID_DWebBrowserEvents2;
  if (FAILED(sink->QueryInterface(*asked, reinterpret_cast<void**>(dispatch.GetAddressOf())))) {
    asked = &IID_IDispatch;
    if (FAILED(sink->QueryInterface(*asked, reinterpret_cast<void**>(dispatch.GetAddressOf()))))
      return CONNECT_E_CANNOTCONNECT;
  }
  std::shared_ptr<AdvisedSink> advised = AdvisedSink::Start(dispatch.Get(), *asked);
  if (!advised) return E_OUTOFMEMORY;
  *cookie = m_nextCookie++;
  m_sinks.emplace_back(*cookie, std::move(advised));
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
    if (it->first != cookie) continue;
    // Let go of after the entry is gone.
    std::shared_ptr<AdvisedSink> sink = std::move(it->second);
    m_sinks.erase(it);
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections) *connections = nullptr;
  return E_NOTIMPL;
}

std::vector<Microsoft::WRL::ComPtr<IDispatch>> EventConnectionPoint::Sinks() const {
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> sinks;
  for (const auto& entry : m_sinks) sinks.push_back(entry.second->Sink());
  return sinks;
}

std::vector<HRESULT> EventConnectionPoint::Fire(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params) {
  const std::vector<std::pair<DWORD, std::shared_ptr<AdvisedSink>>> snapshot = m_sinks;
  std::vector<HRESULT> results;
  for (const auto& [cookie, sink] : snapshot) {
    const HRESULT result = sink->Invoke(dispid, riid, flags, params);
    results.push_back(result);
    if (AdvisedSink::IsGone(result)) Unadvise(cookie);
  }
  return results;
}

}  // namespace sim
