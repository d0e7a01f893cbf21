#include "framework/GlobalInterface.h"

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IGlobalInterfaceTable> Table() {
  ComPtr<IGlobalInterfaceTable> table;
  if (FAILED(::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IGlobalInterfaceTable, reinterpret_cast<void**>(table.GetAddressOf()))))
    table.Reset();
  return table;
}

}  // namespace

namespace globalinterface {

HRESULT Register(IUnknown* object, REFIID iid, DWORD* cookie) {
  *cookie = 0;
  const ComPtr<IGlobalInterfaceTable> table = Table();
  if (!table) return E_UNEXPECTED;
  const HRESULT hr = table->RegisterInterfaceInGlobal(object, iid, cookie);
  if (FAILED(hr)) *cookie = 0;
  return hr;
}

HRESULT Get(DWORD cookie, REFIID iid, void** object) {
  *object = nullptr;
  const ComPtr<IGlobalInterfaceTable> table = Table();
  if (!table) return E_UNEXPECTED;
  return table->GetInterfaceFromGlobal(cookie, iid, object);
}

void Revoke(DWORD cookie) {
  if (const ComPtr<IGlobalInterfaceTable> table = Table()) table->RevokeInterfaceFromGlobal(cookie);
}

}  // namespace globalinterface
