#pragma once
// Small builders of VARIANT arguments for automation calls in tests. Values that own
// memory (BSTRs, arrays) are kept by the test and freed with VariantClear.
#include <windows.h>
#include <oleauto.h>

inline VARIANT VarI4(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

inline VARIANT VarBool(VARIANT_BOOL value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value;
  return v;
}

// Borrowed: the caller keeps ownership of `text`.
inline VARIANT VarBstr(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}

inline VARIANT VarDispatch(IDispatch* dispatch) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = dispatch;
  return v;
}

inline VARIANT VarRef(VARTYPE type, void* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = static_cast<VARTYPE>(VT_BYREF | type);
  v.byref = target;
  return v;
}
