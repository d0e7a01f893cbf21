#pragma once
// Texts of the program's code page (932) as UTF-8, for files that other programs read as
// UTF-8 (a trace): each text goes through UTF-16 as the system converts it; a byte that is no
// character of code page 932 becomes the system's stand-in for it. Text of ASCII alone is the
// same in both and is taken as it is, not copied.
#include <cstddef>
#include <string>
#include <string_view>

class Utf8Text {
 public:
  // `text` (`length` bytes of code page 932) as UTF-8: `text` itself when it is ASCII, else a
  // buffer kept until the next call.
  std::string_view Of(const char* text, size_t length);
  std::string_view Of(const std::string& text) { return Of(text.data(), text.size()); }

 private:
  std::wstring m_wide;
  std::string m_utf8;
};
