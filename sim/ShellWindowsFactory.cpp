#include "sim/ShellWindowsFactory.h"

namespace sim {

ShellWindowsFactory::ShellWindowsFactory(ShellWindowsCollection* collection, std::function<void()> onCreated)
    : m_collection(collection), m_onCreated(std::move(onCreated)) {}

HRESULT ShellWindowsFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ShellWindowsFactory::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

ULONG ShellWindowsFactory::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

HRESULT ShellWindowsFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!m_collection) return CO_E_SERVER_STOPPING;
  const HRESULT hr = m_collection->QueryInterface(riid, object);
  if (SUCCEEDED(hr) && m_onCreated) m_onCreated();
  return hr;
}

HRESULT ShellWindowsFactory::LockServer(BOOL) { return S_OK; }

}  // namespace sim
