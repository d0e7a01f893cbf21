#include "sim/EventArguments.h"

#include <cstdio>

#include "sim/CommandTokens.h"

namespace sim {

namespace {

bool StartsWith(const std::string& text, const char* prefix, std::string* rest) {
  const size_t n = std::char_traits<char>::length(prefix);
  if (text.compare(0, n, prefix) != 0) return false;
  *rest = text.substr(n);
  return true;
}

bool ParseBool(const std::string& text, VARIANT_BOOL* value) {
  if (text == "true") {
    *value = VARIANT_TRUE;
    return true;
  }
  if (text == "false") {
    *value = VARIANT_FALSE;
    return true;
  }
  long raw = 0;
  if (!ParseLong(text, &raw)) return false;
  *value = static_cast<VARIANT_BOOL>(raw);
  return true;
}

SAFEARRAY* ByteArray(const std::string& bytes) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array || bytes.empty()) return array;
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
    memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  return array;
}

}  // namespace

EventArguments::~EventArguments() {
  for (auto& slot : m_slots) {
    VariantClear(&slot->deeper);
    if ((V_VT(&slot->inner) & VT_BYREF) == 0) VariantClear(&slot->inner);
    if ((V_VT(&slot->arg) & VT_BYREF) == 0) VariantClear(&slot->arg);
    if (slot->dispValue) slot->dispValue->Release();
  }
}

EventArguments::Slot* EventArguments::NewSlot() {
  m_slots.push_back(std::make_unique<Slot>());
  Slot* slot = m_slots.back().get();
  VariantInit(&slot->arg);
  VariantInit(&slot->inner);
  VariantInit(&slot->deeper);
  return slot;
}

IDispatch* EventArguments::NamedObject(const std::string& name, const ArgumentObjects& objects, bool* ok) {
  *ok = true;
  IDispatch* object = nullptr;
  if (name == "browser") object = objects.browser;
  else if (name == "document") object = objects.document;
  else if (name == "other") object = objects.other;
  else if (name.compare(0, 5, "frame") == 0) {
    long number = 0;
    *ok = ParseLong(name.substr(5), &number) && number >= 1 && static_cast<size_t>(number) <= objects.frames.size();
    if (*ok) object = objects.frames[static_cast<size_t>(number) - 1];
  } else if (name != "null") *ok = false;
  if (object) object->AddRef();
  return object;
}

bool EventArguments::ParseValue(const std::string& argText, const ArgumentObjects& objects, VARIANT* out,
                                std::string* error) {
  std::string rest;
  if (argText == "empty") {
    V_VT(out) = VT_EMPTY;
  } else if (argText == "null") {
    V_VT(out) = VT_NULL;
  } else if (argText == "nullbstr") {
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = nullptr;
  } else if (StartsWith(argText, "bstr:", &rest)) {
    const std::wstring wide = Utf8ToWide(rest);
    V_VT(out) = VT_BSTR;
    V_BSTR(out) = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  } else if (StartsWith(argText, "i4:", &rest)) {
    long value = 0;
    if (!ParseLong(rest, &value)) {
      *error = "bad integer in " + argText;
      return false;
    }
    V_VT(out) = VT_I4;
    V_I4(out) = value;
  } else if (StartsWith(argText, "bool:", &rest)) {
    VARIANT_BOOL value = VARIANT_FALSE;
    if (!ParseBool(rest, &value)) {
      *error = "bad boolean in " + argText;
      return false;
    }
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = value;
  } else if (StartsWith(argText, "disp:", &rest)) {
    bool ok = false;
    IDispatch* object = NamedObject(rest, objects, &ok);
    if (!ok) {
      *error = "unknown object in " + argText;
      return false;
    }
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = object;
  } else if (StartsWith(argText, "bytes:", &rest)) {
    std::string bytes;
    if (!ParseHexBytes(rest, &bytes)) {
      *error = "bad hex bytes in " + argText;
      return false;
    }
    V_VT(out) = VT_ARRAY | VT_UI1;
    V_ARRAY(out) = ByteArray(bytes);
  } else if (StartsWith(argText, "text:", &rest)) {
    V_VT(out) = VT_ARRAY | VT_UI1;
    V_ARRAY(out) = ByteArray(rest);
  } else {
    *error = "unknown argument " + argText;
    return false;
  }
  return true;
}

bool EventArguments::Add(const std::string& argText, const ArgumentObjects& objects, std::string* error) {
  Slot* slot = NewSlot();
  std::string rest;
  bool ok = true;
  std::string deeper;
  if (StartsWith(argText, "pvar:", &rest) && StartsWith(rest, "pvar:", &deeper)) {
    // A reference to a VARIANT that is itself a reference: how a browser passes post data.
    ok = ParseValue(deeper, objects, &slot->deeper, error);
    V_VT(&slot->inner) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&slot->inner) = &slot->deeper;
    V_VT(&slot->arg) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&slot->arg) = &slot->inner;
  } else if (StartsWith(argText, "pvar:", &rest)) {
    ok = ParseValue(rest, objects, &slot->inner, error);
    V_VT(&slot->arg) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&slot->arg) = &slot->inner;
  } else if (StartsWith(argText, "pbool:", &rest)) {
    ok = ParseBool(rest, &slot->boolValue);
    if (!ok) *error = "bad boolean in " + argText;
    V_VT(&slot->arg) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&slot->arg) = &slot->boolValue;
  } else if (StartsWith(argText, "pi4:", &rest)) {
    long value = 0;
    ok = ParseLong(rest, &value);
    if (!ok) *error = "bad integer in " + argText;
    slot->longValue = value;
    V_VT(&slot->arg) = VT_BYREF | VT_I4;
    V_I4REF(&slot->arg) = &slot->longValue;
  } else if (StartsWith(argText, "pdisp:", &rest)) {
    slot->dispValue = NamedObject(rest, objects, &ok);
    if (!ok) *error = "unknown object in " + argText;
    V_VT(&slot->arg) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&slot->arg) = &slot->dispValue;
  } else {
    ok = ParseValue(argText, objects, &slot->arg, error);
  }
  if (!ok) {
    VariantClear(&slot->deeper);
    if ((V_VT(&slot->inner) & VT_BYREF) == 0) VariantClear(&slot->inner);
    if ((V_VT(&slot->arg) & VT_BYREF) == 0) VariantClear(&slot->arg);
    if (slot->dispValue) slot->dispValue->Release();
    m_slots.pop_back();
  }
  return ok;
}

void EventArguments::AddDefault(VARTYPE type, const ArgumentObjects& objects) {
  std::string error;
  switch (type) {
    case VT_BSTR: Add("bstr:", objects, &error); break;
    case VT_I4: Add("i4:0", objects, &error); break;
    case VT_BOOL: Add("bool:false", objects, &error); break;
    case VT_DISPATCH: Add("disp:browser", objects, &error); break;
    case VT_BYREF | VT_VARIANT: Add("pvar:empty", objects, &error); break;
    case VT_BYREF | VT_BOOL: Add("pbool:false", objects, &error); break;
    case VT_BYREF | VT_I4: Add("pi4:0", objects, &error); break;
    case VT_BYREF | VT_DISPATCH: Add("pdisp:null", objects, &error); break;
    default: Add("empty", objects, &error); break;
  }
}

DISPPARAMS* EventArguments::Build(bool reverse, UINT named) {
  m_array.clear();
  for (auto& slot : m_slots) m_array.push_back(slot->arg);
  if (reverse) std::vector<VARIANTARG>(m_array.rbegin(), m_array.rend()).swap(m_array);
  m_named.clear();
  for (UINT i = 0; i < named; ++i) m_named.push_back(static_cast<DISPID>(i));
  m_params.rgvarg = m_array.empty() ? nullptr : m_array.data();
  m_params.cArgs = static_cast<UINT>(m_array.size());
  m_params.rgdispidNamedArgs = m_named.empty() ? nullptr : m_named.data();
  m_params.cNamedArgs = named;
  return &m_params;
}

std::string EventArguments::Outputs() const {
  std::string text;
  char buffer[48];
  for (const auto& slot : m_slots) {
    const VARTYPE vt = V_VT(&slot->arg);
    if ((vt & VT_BYREF) == 0) continue;
    if (vt == (VT_BYREF | VT_BOOL))
      std::snprintf(buffer, sizeof(buffer), "pbool:%d", static_cast<int>(slot->boolValue));
    else if (vt == (VT_BYREF | VT_I4))
      std::snprintf(buffer, sizeof(buffer), "pi4:%ld", static_cast<long>(slot->longValue));
    else if (vt == (VT_BYREF | VT_VARIANT))
      std::snprintf(buffer, sizeof(buffer), "pvar:0x%04X", static_cast<unsigned>(V_VT(&slot->inner)));
    else
      std::snprintf(buffer, sizeof(buffer), "pdisp:%s", slot->dispValue ? "set" : "null");
    if (!text.empty()) text += ',';
    text += buffer;
  }
  return text;
}

}  // namespace sim
