#include "framework/AnsiString.h"

#include <climits>

std::string AnsiFromWide(const wchar_t* text, size_t length) {
  if (!text || length == 0 || length > INT_MAX) return std::string();
  const int wideLength = static_cast<int>(length);
  const int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, wideLength, &result[0], size, nullptr, nullptr);
  return result;
}

std::string AnsiFromBstr(BSTR text) { return AnsiFromWide(text, text ? SysStringLen(text) : 0); }

std::wstring WideFromAnsi(const char* text) {
  if (!text || !*text) return std::wstring();
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &result[0], size);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}
