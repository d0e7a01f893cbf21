#include "framework/GlobalInterface.h"

IGlobalInterfaceTable* CGlobalInterface::Table() {
  IGlobalInterfaceTable* table = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&table))))
    return nullptr;
  return table;
}

BOOL CGlobalInterface::Register(IUnknown* object, REFIID iid) {
  Revoke();
  if (!object) return FALSE;
  IGlobalInterfaceTable* table = Table();
  if (!table) return FALSE;
  const HRESULT hr = table->RegisterInterfaceInGlobal(object, iid, &m_cookie);
  table->Release();
  if (FAILED(hr)) m_cookie = 0;
  return SUCCEEDED(hr);
}

HRESULT CGlobalInterface::Get(REFIID iid, void** object) const {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!m_cookie) return E_UNEXPECTED;
  IGlobalInterfaceTable* table = Table();
  if (!table) return E_UNEXPECTED;
  const HRESULT hr = table->GetInterfaceFromGlobal(m_cookie, iid, object);
  table->Release();
  return hr;
}

void CGlobalInterface::Revoke() {
  if (!m_cookie) return;
  if (IGlobalInterfaceTable* table = Table()) {
    table->RevokeInterfaceFromGlobal(m_cookie);
    table->Release();
  }
  m_cookie = 0;
}
