#pragma once
// Takes over the counted reference that a raw interface pointer holds, leaving the pointer
// NULL. (The toolchain's ComPtr::Attach adds a reference of its own, so it cannot do this.)
#include <wrl/client.h>

template <typename T>
Microsoft::WRL::ComPtr<T> AdoptReference(T*& raw) {
  Microsoft::WRL::ComPtr<T> owner;
  *owner.GetAddressOf() = raw;
  raw = nullptr;
  return owner;
}
