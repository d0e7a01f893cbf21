#include "sim/CarriedArguments.h"

#include <wrl/client.h>

#include "sim/MarshalledReference.h"

namespace sim {

namespace {

bool IsObject(VARTYPE type) { return type == VT_DISPATCH || type == VT_UNKNOWN; }

}  // namespace

// One argument, or the VARIANT a reference argument refers to.
struct CarriedArguments::Value {
  VARTYPE type = VT_EMPTY;  // as given
  // A value itself, or what a reference to a VARIANT_BOOL, LONG or IDispatch* refers to.
  VARIANT held;
  std::unique_ptr<Value> referenced;  // what a reference to a VARIANT refers to
  VARIANT passed;                     // a reference as passed: into `held`, or to `referenced`
  // The stand-in sent for the object in `held`: still there after the call, the sink left
  // the browser's object in place.
  Microsoft::WRL::ComPtr<IDispatch> sent;
  // After the call: the sink left the object sent in place, or another object, marshalled
  // for the browser's apartment (null for none).
  bool objectKept = false;
  IStream* returned = nullptr;

  Value() {
    VariantInit(&held);
    VariantInit(&passed);
  }
  ~Value() {
    VariantClear(&held);
    if (!returned) return;
    const LARGE_INTEGER start = {};
    if (SUCCEEDED(returned->Seek(start, STREAM_SEEK_SET, nullptr))) CoReleaseMarshalData(returned);
    returned->Release();
  }

  bool IsReference() const { return (type & VT_BYREF) != 0; }
  // What a reference to this VARIANT points at.
  VARIANT* Target() { return IsReference() ? &passed : &held; }

  // On the browser's thread: copies `value`, or sends a stand-in for its object.
  bool Hold(const VARIANT& value) {
    const VARTYPE vt = V_VT(&value);
    if (vt == VT_DISPATCH) {
      V_VT(&held) = VT_DISPATCH;
      V_DISPATCH(&held) = nullptr;
      if (!V_DISPATCH(&value)) return true;
      std::vector<BYTE> objref = MarshalledReference::Marshal(V_DISPATCH(&value), MSHLFLAGS_NORMAL);
      if (objref.empty()) return false;
      sent.Attach(new MarshalledReference(std::move(objref), MSHLFLAGS_NORMAL, nullptr));
      V_DISPATCH(&held) = sent.Get();
      sent->AddRef();
      return true;
    }
    // Objects of other kinds, and arrays that may hold objects, are not what a browser sends.
    const VARTYPE element = vt & VT_TYPEMASK;
    if ((vt & VT_BYREF) || IsObject(element) || ((vt & VT_ARRAY) && element == VT_VARIANT)) return false;
    return SUCCEEDED(VariantCopy(&held, const_cast<VARIANT*>(&value)));
  }

  // On the browser's thread.
  bool Carry(const VARIANT& argument) {
    type = V_VT(&argument);
    if (IsReference() && !V_BYREF(&argument)) return false;
    switch (type) {
      case VT_BYREF | VT_BOOL:
        V_VT(&held) = VT_BOOL;
        V_BOOL(&held) = *V_BOOLREF(&argument);
        return true;
      case VT_BYREF | VT_I4:
        V_VT(&held) = VT_I4;
        V_I4(&held) = *V_I4REF(&argument);
        return true;
      case VT_BYREF | VT_DISPATCH: {
        VARIANT object;
        V_VT(&object) = VT_DISPATCH;
        V_DISPATCH(&object) = *V_DISPATCHREF(&argument);
        return Hold(object);
      }
      case VT_BYREF | VT_VARIANT:
        referenced = std::make_unique<Value>();
        return referenced->Carry(*V_VARIANTREF(&argument));
      default:
        return Hold(argument);
    }
  }

  // On the calling thread: the argument as passed in the call.
  VARIANT Pass() {
    switch (type) {
      case VT_BYREF | VT_BOOL:
        V_BOOLREF(&passed) = &V_BOOL(&held);
        break;
      case VT_BYREF | VT_I4:
        V_I4REF(&passed) = &V_I4(&held);
        break;
      case VT_BYREF | VT_DISPATCH:
        V_DISPATCHREF(&passed) = &V_DISPATCH(&held);
        break;
      case VT_BYREF | VT_VARIANT:
        referenced->Pass();
        V_VARIANTREF(&passed) = referenced->Target();
        break;
      default:
        return held;
    }
    V_VT(&passed) = type;
    return passed;
  }

  // On the calling thread after the call, for a reference or what one refers to.
  void Keep() {
    if (type == (VT_BYREF | VT_VARIANT)) {
      referenced->Keep();
      return;
    }
    const VARTYPE vt = V_VT(&held);
    if (!IsObject(vt)) return;
    objectKept = sent && V_UNKNOWN(&held) == sent.Get();
    if (objectKept || !V_UNKNOWN(&held)) return;
    if (FAILED(CoMarshalInterThreadInterfaceInStream(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                                     V_UNKNOWN(&held), &returned)))
      returned = nullptr;
    // This thread's object goes here; `held` keeps its type for the browser's thread.
    V_UNKNOWN(&held)->Release();
    V_UNKNOWN(&held) = nullptr;
  }

  // On the browser's thread: the object the sink left, as the browser's apartment sees it.
  IUnknown* TakeReturned(VARTYPE vt) {
    IUnknown* object = nullptr;
    if (returned && FAILED(CoGetInterfaceAndReleaseStream(returned, vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                                          reinterpret_cast<void**>(&object))))
      object = nullptr;
    returned = nullptr;
    return object;
  }

  // On the browser's thread: writes what the sink left into the reference `argument` was
  // carried from.
  void Apply(const VARIANT& argument) {
    switch (type) {
      case VT_BYREF | VT_BOOL:
        *V_BOOLREF(&argument) = V_BOOL(&held);
        break;
      case VT_BYREF | VT_I4:
        *V_I4REF(&argument) = V_I4(&held);
        break;
      case VT_BYREF | VT_DISPATCH: {
        if (objectKept) break;
        IDispatch* object = static_cast<IDispatch*>(TakeReturned(VT_DISPATCH));
        if (*V_DISPATCHREF(&argument)) (*V_DISPATCHREF(&argument))->Release();
        *V_DISPATCHREF(&argument) = object;
        break;
      }
      case VT_BYREF | VT_VARIANT:
        referenced->ApplyTo(V_VARIANTREF(&argument));
        break;
      default:
        break;
    }
  }

  // The same for the VARIANT `target` a reference of the browser's points at.
  void ApplyTo(VARIANT* target) {
    if (IsReference()) {
      if (V_VT(target) == type) Apply(*target);
      return;
    }
    if (objectKept) return;
    VARIANT result;
    VariantInit(&result);
    if (IsObject(V_VT(&held))) {
      V_VT(&result) = V_VT(&held);
      V_UNKNOWN(&result) = TakeReturned(V_VT(&held));
    } else if (FAILED(VariantCopy(&result, &held))) {
      return;
    }
    VariantClear(target);
    *target = result;
  }
};

CarriedArguments::CarriedArguments(const DISPPARAMS& params) {
  for (UINT i = 0; i < params.cArgs; ++i) {
    auto value = std::make_unique<Value>();
    m_complete = value->Carry(params.rgvarg[i]) && m_complete;
    m_values.push_back(std::move(value));
  }
  if (params.rgdispidNamedArgs) m_named.assign(params.rgdispidNamedArgs, params.rgdispidNamedArgs + params.cNamedArgs);
}

CarriedArguments::~CarriedArguments() = default;

DISPPARAMS* CarriedArguments::Params() {
  m_array.clear();
  for (auto& value : m_values) m_array.push_back(value->Pass());
  m_params.rgvarg = m_array.empty() ? nullptr : m_array.data();
  m_params.cArgs = static_cast<UINT>(m_array.size());
  m_params.rgdispidNamedArgs = m_named.empty() ? nullptr : m_named.data();
  m_params.cNamedArgs = static_cast<UINT>(m_named.size());
  return &m_params;
}

void CarriedArguments::KeepResults() {
  for (auto& value : m_values)
    if (value->IsReference()) value->Keep();
}

void CarriedArguments::ApplyResults(const DISPPARAMS& params) {
  for (size_t i = 0; i < m_values.size() && i < params.cArgs; ++i)
    if (m_values[i]->IsReference() && V_VT(&params.rgvarg[i]) == m_values[i]->type)
      m_values[i]->Apply(params.rgvarg[i]);
}

}  // namespace sim
