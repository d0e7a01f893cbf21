#pragma once
// Conversions between the UTF-16 strings of COM (BSTR, wide text) and the ANSI strings
// of the system code page that the rest of the program uses.
#include <windows.h>
#include <oleauto.h>

#include <string>

std::string AnsiFromWide(const wchar_t* text, size_t length);
// A null BSTR gives an empty string; embedded zero characters are kept.
std::string AnsiFromBstr(BSTR text);
std::wstring WideFromAnsi(const char* text);
