#include "sim/ShellWindowsCollection.h"

#include <algorithm>

namespace sim {

void ShellWindowsCollection::Remove(IDispatch* item) {
  m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                               [item](const Microsoft::WRL::ComPtr<IDispatch>& p) { return p.Get() == item; }),
                m_items.end());
}

const ShellWindowsCollection::Entry ShellWindowsCollection::kInterfaces[] = {
    {&IID_IUnknown, As<IShellWindows>},
    {&IID_IDispatch, As<IShellWindows>},
    {&IID_IShellWindows, As<IShellWindows>},
    {},
};

HRESULT ShellWindowsCollection::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* dispids) {
  if (!names || !dispids) return E_POINTER;
  for (UINT i = 0; i < count; ++i) dispids[i] = DISPID_UNKNOWN;
  if (count != 1 || !names[0] || _wcsicmp(names[0], L"SimulatorProcessId") != 0) return DISP_E_UNKNOWNNAME;
  dispids[0] = kProcessIdDispid;
  return S_OK;
}

HRESULT ShellWindowsCollection::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                       EXCEPINFO*, UINT*) {
  if (dispid != kProcessIdDispid) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  V_VT(result) = VT_I4;
  V_I4(result) = static_cast<LONG>(GetCurrentProcessId());
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
