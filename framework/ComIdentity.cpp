#include "framework/ComIdentity.h"

#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// The identity pointer of `object`, kept only for comparing: the reference the query took is
// given back at once, which leaves the object held by whoever passed it in.
IUnknown* IdentityOf(IUnknown* object) {
  ComPtr<IUnknown> identity;
  if (!object || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf()))))
    return nullptr;
  return identity.Get();
}

}  // namespace

BOOL IsSameComObject(IUnknown* first, IUnknown* second) {
  IUnknown* const a = IdentityOf(first);
  return a && a == IdentityOf(second);
}

bool IsProxy(IUnknown* object) {
  ComPtr<IClientSecurity> security;
  return object &&
         SUCCEEDED(object->QueryInterface(IID_IClientSecurity, reinterpret_cast<void**>(security.GetAddressOf()))) &&
         security;
}
