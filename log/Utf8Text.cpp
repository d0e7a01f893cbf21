#include "log/Utf8Text.h"

#include <windows.h>

namespace {

constexpr UINT kCodePage = 932;

bool IsAscii(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  return true;
}

}  // namespace

std::string_view Utf8Text::Of(const char* text, size_t length) {
  if (IsAscii(text, length)) return std::string_view(text, length);
  const int bytes = static_cast<int>(length);
  m_wide.resize(length);  // never more UTF-16 units than bytes
  const int wide = ::MultiByteToWideChar(kCodePage, 0, text, bytes, &m_wide[0], bytes);
  if (wide <= 0) return std::string_view();
  m_utf8.resize(static_cast<size_t>(wide) * 3);  // at most three bytes per UTF-16 unit
  const int utf8 = ::WideCharToMultiByte(CP_UTF8, 0, m_wide.data(), wide, &m_utf8[0],
                                         static_cast<int>(m_utf8.size()), nullptr, nullptr);
  m_utf8.resize(utf8 > 0 ? static_cast<size_t>(utf8) : 0);
  return m_utf8;
}
