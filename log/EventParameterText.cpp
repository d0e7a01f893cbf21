#include "log/EventParameterText.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "framework/AnsiString.h"

namespace {

bool IsIntegerType(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
      return true;
    default:
      return false;
  }
}

std::string Decimal(long value) {
  char text[16];
  std::snprintf(text, sizeof(text), "%ld", value);
  return text;
}

}  // namespace

std::string TextOfBstrVariant(const VARIANT* value) {
  if (!value || V_VT(value) != VT_BSTR) return std::string();
  return AnsiFromBstr(V_BSTR(value));
}

std::string TextOfIntegerVariant(const VARIANT* value) {
  if (!value) return std::string();
  if (V_VT(value) == VT_I4) return Decimal(V_I4(value));
  if (!IsIntegerType(V_VT(value))) return std::string();
  // Through 64 bits, so that a value out of the 32-bit range is refused here rather than
  // wrapped by a lenient conversion.
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I8)))
    return std::string();
  const LONGLONG wide = V_I8(&converted);
  if (wide < LONG_MIN || wide > LONG_MAX) return std::string();
  return Decimal(static_cast<long>(wide));
}

std::string TextOfPostData(const VARIANT* value) {
  if (!value || V_VT(value) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(value))
    return std::string();
  const VARIANT* inner = V_VARIANTREF(value);
  if (V_VT(inner) != (VT_ARRAY | VT_UI1)) return std::string();
  SAFEARRAY* array = V_ARRAY(inner);
  if (!array || SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1)
    return std::string();
  LONG lower = 0;
  LONG upper = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
    return std::string();
  if (upper < lower) return std::string();  // an empty array

  const size_t count = static_cast<size_t>(static_cast<LONGLONG>(upper) - lower + 1);
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data)) || !data) return std::string();
  const char* bytes = static_cast<const char*>(data);
  const void* zero = std::memchr(bytes, 0, count);
  const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : count;
  std::string text(bytes, length);
  SafeArrayUnaccessData(array);
  return text;
}
