#pragma once
// Small builders of VARIANT arguments for automation calls in tests, and the call itself.
// Values that own memory (BSTRs, arrays) are kept by the test and freed with VariantClear.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <vector>

// An empty VARIANT of `type`, for the builders below to fill.
inline VARIANT VarOfType(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}

inline VARIANT VarI4(long value) { VARIANT v = VarOfType(VT_I4); v.lVal = value; return v; }
inline VARIANT VarBool(VARIANT_BOOL value) { VARIANT v = VarOfType(VT_BOOL); v.boolVal = value; return v; }
// Borrowed: the caller keeps ownership of `text`.
inline VARIANT VarBstr(BSTR text) { VARIANT v = VarOfType(VT_BSTR); v.bstrVal = text; return v; }
inline VARIANT VarDispatch(IDispatch* dispatch) { VARIANT v = VarOfType(VT_DISPATCH); v.pdispVal = dispatch; return v; }
inline VARIANT VarRef(VARTYPE type, void* target) {
  VARIANT v = VarOfType(static_cast<VARTYPE>(VT_BYREF | type));
  v.byref = target;
  return v;
}

// Calls `sink` as a browser raises an event: IID_NULL, a method call, no named arguments,
// `args` given in declared order and passed last-first. `argErr` receives the position of
// a refused argument.
inline HRESULT InvokeEvent(IDispatch* sink, DISPID dispid, std::vector<VARIANT> args, UINT* argErr = nullptr,
                           REFIID riid = IID_NULL) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  UINT ignored = 0;
  return sink->Invoke(dispid, riid, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                      argErr ? argErr : &ignored);
}
