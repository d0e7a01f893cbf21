#include "framework/AnsiString.h"
#include "framework/DispatchMap.h"

#include <cstring>

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

const DispatchEntry* FindDispatchEntry(const DispatchMap* map, DISPID dispid) {
  for (; map; map = map->pBaseMap)
    for (size_t i = 0; i < map->nEntries; ++i)
      if (map->pEntries[i].dispid == dispid) return &map->pEntries[i];
  return nullptr;
}

const DispatchEntry* FindDispatchEntry(const DispatchMap* map, const char* name) {
  for (; map; map = map->pBaseMap)
    for (size_t i = 0; i < map->nEntries; ++i)
      if (lstrcmpiA(map->pEntries[i].lpszName, name) == 0) return &map->pEntries[i];
  return nullptr;
}

HRESULT DispatchIDsOfNames(const DispatchMap* map, REFIID riid, LPOLESTR* names, UINT count, DISPID* dispids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !dispids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) dispids[i] = DISPID_UNKNOWN;
  for (UINT i = 0; i < count; ++i) {
    if (i > 0) {  // named arguments are not supported
      hr = DISP_E_UNKNOWNNAME;
      continue;
    }
    try {  // converting the name allocates; no exception may leave this call
      const std::string name = AnsiFromWide(names[i], names[i] ? wcslen(names[i]) : 0);
      const DispatchEntry* entry = FindDispatchEntry(map, name.c_str());
      if (entry)
        dispids[i] = entry->dispid;
      else
        hr = DISP_E_UNKNOWNNAME;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
  return hr;
}

HRESULT PrepareDispatchCall(const DispatchMap* map, REFIID riid, DISPID dispid, DISPPARAMS* params,
                            DispatchArguments& args, const DispatchEntry** entry, UINT* puArgErr) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  const DispatchEntry* found = FindDispatchEntry(map, dispid);
  if (!found) return DISP_E_MEMBERNOTFOUND;

  const size_t declared = std::strlen(found->lpszParams);
  const size_t given = params->cArgs;
  if (given > declared) return DISP_E_BADPARAMCOUNT;
  if (given < declared) return DISP_E_PARAMNOTOPTIONAL;
  if (given > 0 && !params->rgvarg) return E_INVALIDARG;

  // The first declared parameter is the last element of the argument array.
  for (size_t i = 0; i < declared; ++i) {
    const size_t position = given - 1 - i;
    const HRESULT hr = args.Convert(i, static_cast<BYTE>(found->lpszParams[i]), &params->rgvarg[position]);
    if (FAILED(hr)) {
      if (puArgErr) *puArgErr = static_cast<UINT>(position);
      return hr;
    }
  }
  *entry = found;
  return S_OK;
}
