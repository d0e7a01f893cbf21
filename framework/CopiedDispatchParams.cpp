#include "framework/CopiedDispatchParams.h"

#include <new>

namespace {

// How deep references to VARIANTs are followed; automation passes one level, and a deeper
// chain from another process is cut off here rather than followed without end.
constexpr int kMaxReferenceDepth = 4;

bool IsInterfaceType(VARTYPE type) { return type == VT_DISPATCH || type == VT_UNKNOWN; }

void StripInterfaces(VARIANT& value);

// An array's elements lose their interface pointers; a record, which may hold any, goes.
void StripArrayInterfaces(VARIANT& value) {
  SAFEARRAY* array = V_ARRAY(&value);
  const VARTYPE element = V_VT(&value) & VT_TYPEMASK;
  if (!array) return;
  if (element == VT_RECORD) {
    VariantClear(&value);
    return;
  }
  if (!IsInterfaceType(element) && element != VT_VARIANT) return;
  ULONG count = array->cDims ? 1 : 0;
  for (USHORT d = 0; d < array->cDims; ++d) count *= array->rgsabound[d].cElements;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data)) || !data) {
    VariantClear(&value);
    return;
  }
  for (ULONG i = 0; i < count; ++i) {
    if (element == VT_VARIANT) {
      StripInterfaces(static_cast<VARIANT*>(data)[i]);
    } else if (IUnknown*& object = static_cast<IUnknown**>(data)[i]) {
      object->Release();
      object = nullptr;
    }
  }
  SafeArrayUnaccessData(array);
}

// A by-value copy loses its interface pointers, wherever they are.
void StripInterfaces(VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  if (IsInterfaceType(type)) {
    if (V_UNKNOWN(&value)) V_UNKNOWN(&value)->Release();
    V_UNKNOWN(&value) = nullptr;
  } else if (type & VT_ARRAY) {
    StripArrayInterfaces(value);
  } else if (type == VT_RECORD) {
    VariantClear(&value);
  }
}

}  // namespace

CCopiedDispatchParams::Storage::~Storage() {
  for (VARIANT& value : arguments) VariantClear(&value);
  for (VARIANT& value : targets) VariantClear(&value);
}

CCopiedDispatchParams::CCopiedDispatchParams() : m_params{} {}

CCopiedDispatchParams::~CCopiedDispatchParams() = default;

VARIANT& CCopiedDispatchParams::NewTarget() {
  m_storage->targets.emplace_back();
  VARIANT& target = m_storage->targets.back();
  VariantInit(&target);
  return target;
}

HRESULT CCopiedDispatchParams::Copy(const VARIANT& source, VARIANT& copy, int depth) {
  VariantInit(&copy);
  const VARTYPE type = V_VT(&source);
  if (!(type & VT_BYREF)) {
    // A value that cannot be copied (a type automation does not know) is copied as empty:
    // no reader of the copy takes one for anything but "no value".
    if (FAILED(VariantCopy(&copy, const_cast<VARIANT*>(&source)))) VariantInit(&copy);
    StripInterfaces(copy);
    return S_OK;
  }
  V_VT(&copy) = type;
  if (!source.byref) return S_OK;  // a NULL reference stays one: the checks refuse it
  const VARTYPE target = type & ~VT_BYREF;
  VARIANT& owned = NewTarget();
  if (target == VT_VARIANT) {
    V_VARIANTREF(&copy) = &owned;
    if (depth >= kMaxReferenceDepth) return S_OK;  // refers to an empty VARIANT
    return Copy(*V_VARIANTREF(&source), owned, depth + 1);
  }
  // The referenced value, copied by value into a VARIANT of this object's; the reference
  // points at the value's place in it (a DECIMAL fills the whole VARIANT).
  if (FAILED(VariantCopyInd(&owned, const_cast<VARIANT*>(&source)))) {
    VariantInit(&owned);
    V_VT(&owned) = target;  // the argument refers to a zero value of its type
  }
  StripInterfaces(owned);
  copy.byref = target == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(&owned)) : static_cast<void*>(&owned.llVal);
  return S_OK;
}

HRESULT CCopiedDispatchParams::CopyFrom(const DISPPARAMS& params) {
  try {
    m_storage = std::make_unique<Storage>();
    m_storage->arguments.resize(params.cArgs);
    for (VARIANT& value : m_storage->arguments) VariantInit(&value);
    for (UINT i = 0; i < params.cArgs; ++i) {
      const HRESULT hr = params.rgvarg ? Copy(params.rgvarg[i], m_storage->arguments[i], 0) : E_INVALIDARG;
      if (FAILED(hr)) {
        m_storage.reset();
        return hr;
      }
    }
  } catch (const std::bad_alloc&) {
    m_storage.reset();
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void CCopiedDispatchParams::SetDispatch(size_t position, IDispatch* object) {
  if (!m_storage || position >= m_storage->arguments.size()) return;
  VARIANT& argument = m_storage->arguments[position];
  VariantClear(&argument);
  V_VT(&argument) = VT_DISPATCH;
  V_DISPATCH(&argument) = object;
  if (object) object->AddRef();
}

DISPPARAMS* CCopiedDispatchParams::Get() {
  m_params = DISPPARAMS{};
  if (m_storage) {
    m_params.cArgs = static_cast<UINT>(m_storage->arguments.size());
    m_params.rgvarg = m_storage->arguments.empty() ? nullptr : m_storage->arguments.data();
  }
  return &m_params;
}
