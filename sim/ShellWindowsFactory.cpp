#include "sim/ShellWindowsFactory.h"

namespace sim {

ShellWindowsFactory::ShellWindowsFactory(ShellWindowsCollection* collection, std::function<void()> onCreated)
    : m_collection(collection), m_onCreated(std::move(onCreated)) {}

const ShellWindowsFactory::Entry ShellWindowsFactory::kInterfaces[] = {
    {&IID_IUnknown, As<IClassFactory>},
    {&IID_IClassFactory, As<IClassFactory>},
    {},
};

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
