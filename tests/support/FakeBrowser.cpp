#include "support/FakeBrowser.h"

#include <exdispid.h>

#include <algorithm>

#include "support/Variants.h"

namespace {

// The browser interfaces answer only while answerBrowserApp is on.
void* BrowserAppIfAnswered(FakeBrowser* self) {
  return self->answerBrowserApp ? static_cast<IWebBrowser2*>(self) : nullptr;
}

void* ContainerIfAnswered(FakeBrowser* self) {
  return self->answerContainer ? static_cast<IConnectionPointContainer*>(self) : nullptr;
}

}  // namespace

const FakeBrowser::Entry FakeBrowser::kInterfaces[] = {
    {&IID_IUnknown, As<IWebBrowser2>},
    {&IID_IDispatch, As<IWebBrowser2>},
    {&IID_IWebBrowserApp, BrowserAppIfAnswered},
    {&IID_IWebBrowser2, BrowserAppIfAnswered},
    {&IID_IWebBrowser, BrowserAppIfAnswered},
    {&IID_IConnectionPointContainer, ContainerIfAnswered},
    {&IID_IConnectionPoint, As<IConnectionPoint>},
    {},
};

STDMETHODIMP FakeBrowser::QueryInterface(REFIID riid, void** object) {
  const bool browserInterface =
      IsEqualIID(riid, IID_IWebBrowserApp) || IsEqualIID(riid, IID_IWebBrowser2) || IsEqualIID(riid, IID_IWebBrowser);
  if (browserInterface && FAILED(browserQueryError)) {
    if (object) *object = nullptr;
    return browserQueryError;
  }
  return ComObject::QueryInterface(riid, object);
}

STDMETHODIMP FakeBrowser::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP FakeBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  if (!hasConnectionPoint || !IsEqualIID(riid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
  *ppCP = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP FakeBrowser::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = DIID_DWebBrowserEvents2;
  return S_OK;
}

STDMETHODIMP FakeBrowser::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = static_cast<IConnectionPointContainer*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP FakeBrowser::Advise(IUnknown* sink, DWORD* cookie) {
  ++m_adviseCalls;
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  if (FAILED(adviseResult)) return adviseResult;
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&dispatch))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = m_nextCookie++;
  m_sinks.push_back({*cookie, dispatch});
  return S_OK;
}

STDMETHODIMP FakeBrowser::Unadvise(DWORD cookie) {
  if (quitDuringUnadvise) {
    quitDuringUnadvise = false;
    Fire(DISPID_ONQUIT, {});
  }
  if (FAILED(unadviseResult)) return unadviseResult;
  auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                         [cookie](const Connection& c) { return c.cookie == cookie; });
  if (it == m_sinks.end()) return CONNECT_E_NOCONNECTION;
  IDispatch* sink = it->sink;
  m_sinks.erase(it);
  sink->Release();
  return S_OK;
}

STDMETHODIMP FakeBrowser::EnumConnections(IEnumConnections** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeBrowser::Fire(DISPID dispid, std::vector<VARIANT> args) {
  HRESULT hr = S_FALSE;
  // A sink may unadvise itself during the call (OnQuit), so walk a copy.
  const std::vector<Connection> sinks = m_sinks;
  for (const Connection& c : sinks) {
    c.sink->AddRef();
    hr = InvokeEvent(c.sink, dispid, args);
    c.sink->Release();
  }
  return hr;
}
