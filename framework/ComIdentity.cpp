#include "framework/ComIdentity.h"

namespace {

// The identity pointer of `object`, kept only for comparing: the reference the query took is
// given back at once, which leaves the object held by whoever passed it in.
IUnknown* IdentityOf(IUnknown* object) {
  IUnknown* identity = nullptr;
  if (!object || FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity))) || !identity)
    return nullptr;
  identity->Release();
  return identity;
}

}  // namespace

BOOL IsSameComObject(IUnknown* first, IUnknown* second) {
  IUnknown* const a = IdentityOf(first);
  return a && a == IdentityOf(second);
}
