#include "framework/AnsiString.h"
#include "framework/DispatchMap.h"

DispatchArguments::DispatchArguments() : m_values{} {
  for (VARIANT& v : m_converted) VariantInit(&v);
}

DispatchArguments::~DispatchArguments() {
  for (VARIANT& v : m_converted) VariantClear(&v);
}

namespace {

// A by-reference argument passes its pointer on and must carry exactly its declared type.
HRESULT ByReference(VARIANT* source, VARTYPE expected, void** out) {
  if (source->vt != (VT_BYREF | expected)) return DISP_E_TYPEMISMATCH;
  *out = source->byref;
  return S_OK;
}

// A by-value parameter given by reference is read through the pointer: never a null one,
// and never a reference to another reference (automation allows one level).
bool ReadableByValue(const VARIANT* source) {
  if (!(source->vt & VT_BYREF)) return true;
  if (!source->byref) return false;
  if (source->vt == (VT_BYREF | VT_VARIANT)) return !(source->pvarVal->vt & VT_BYREF);
  return true;
}

}  // namespace

HRESULT DispatchArguments::Convert(size_t index, BYTE code, VARIANT* source) {
  if (index >= kMaxParams || !source) return E_INVALIDARG;
  Value& value = m_values[index];
  VARIANT& converted = m_converted[index];
  void* reference = nullptr;
  HRESULT hr = S_OK;
  if (!(code & VT_MFCBYREF) && !ReadableByValue(source)) return DISP_E_TYPEMISMATCH;

  switch (code) {
    case VTS_I4[0]:
      hr = VariantChangeType(&converted, source, 0, VT_I4);
      if (SUCCEEDED(hr)) value.l = converted.lVal;
      return hr;
    case VTS_BOOL[0]:
      hr = VariantChangeType(&converted, source, 0, VT_BOOL);
      if (SUCCEEDED(hr)) value.b = converted.boolVal != VARIANT_FALSE ? TRUE : FALSE;
      return hr;
    case VTS_DISPATCH[0]:
      hr = VariantChangeType(&converted, source, 0, VT_DISPATCH);
      if (SUCCEEDED(hr)) value.pdisp = converted.pdispVal;
      return hr;
    case VTS_BSTR[0]:
      hr = VariantChangeType(&converted, source, 0, VT_BSTR);
      if (SUCCEEDED(hr)) {
        m_texts[index] = AnsiFromBstr(converted.bstrVal);
        value.psz = m_texts[index].c_str();
      }
      return hr;
    case VTS_PI4[0]:
      hr = ByReference(source, VT_I4, &reference);
      value.pl = static_cast<long*>(reference);
      return hr;
    case VTS_PDISPATCH[0]:
      hr = ByReference(source, VT_DISPATCH, &reference);
      value.ppdisp = static_cast<IDispatch**>(reference);
      return hr;
    case VTS_PBOOL[0]:
      hr = ByReference(source, VT_BOOL, &reference);
      value.pbool = static_cast<VARIANT_BOOL*>(reference);
      return hr;
    case VTS_PVARIANT[0]:
      hr = ByReference(source, VT_VARIANT, &reference);
      value.pvar = static_cast<VARIANT*>(reference);
      return hr;
    default:
      return DISP_E_BADVARTYPE;
  }
}
