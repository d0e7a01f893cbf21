#pragma once
// Texts of the VARIANT arguments of browser events, each checked for its type first: an
// argument of another type gives empty text rather than a member read as the wrong type.
#include <windows.h>
#include <oleauto.h>

#include <string>

// A VT_BSTR as ANSI text (a null BSTR gives empty text); empty for any other type.
std::string TextOfBstrVariant(const VARIANT* value);

// A VT_I4 printed "%d"; another integer type converted to VT_I4 first; empty if it is no
// integer or does not fit.
std::string TextOfIntegerVariant(const VARIANT* value);

// Post data: `value` refers (VT_BYREF|VT_VARIANT) to a VARIANT holding a one-dimensional
// byte array (VT_ARRAY|VT_UI1). All of its bytes up to the first zero byte, unconverted.
// Empty for no data, an empty array, or anything else.
std::string TextOfPostData(const VARIANT* value);
