#include "sim/ShellWindowsCollection.h"

#include <algorithm>

namespace sim {

void ShellWindowsCollection::Remove(IDispatch* item) {
  m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                               [item](const Microsoft::WRL::ComPtr<IDispatch>& p) { return p.Get() == item; }),
                m_items.end());
}

HRESULT ShellWindowsCollection::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IShellWindows) return E_NOINTERFACE;
  *object = static_cast<IShellWindows*>(this);
  AddRef();
  return S_OK;
}

ULONG ShellWindowsCollection::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

ULONG ShellWindowsCollection::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

HRESULT ShellWindowsCollection::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ShellWindowsCollection::get_Count(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_items.size());
  return S_OK;
}

HRESULT ShellWindowsCollection::Item(VARIANT index, IDispatch** folder) {
  if (!folder) return E_POINTER;
  *folder = nullptr;
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, &index, 0, VT_I4))) return E_INVALIDARG;
  const LONG i = V_I4(&number);
  if (i < 0 || static_cast<size_t>(i) >= m_items.size()) return S_FALSE;
  *folder = m_items[static_cast<size_t>(i)].Get();
  (*folder)->AddRef();
  return S_OK;
}

}  // namespace sim
