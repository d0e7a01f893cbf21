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
  if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf()))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = m_nextCookie++;
  m_sinks.emplace_back(*cookie, dispatch);
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
    if (it->first != cookie) continue;
    // Released after the entry is gone: the release may call back into this object.
    Microsoft::WRL::ComPtr<IDispatch> sink = std::move(it->second);
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
  for (const auto& entry : m_sinks) sinks.push_back(entry.second);
  return sinks;
}

std::vector<HRESULT> EventConnectionPoint::Fire(DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params) {
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> snapshot;
  for (auto& entry : m_sinks) snapshot.push_back(entry.second);
  std::vector<HRESULT> results;
  for (auto& sink : snapshot) {
    UINT argError = 0;
    results.push_back(sink->Invoke(dispid, riid, LOCALE_USER_DEFAULT, flags, params, nullptr, nullptr, &argError));
  }
  return results;
}

}  // namespace sim
