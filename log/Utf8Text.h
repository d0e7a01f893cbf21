#pragma once
// Texts of the program's code page (932) as UTF-8, for files that other programs read as
// UTF-8 (a trace): each text goes through UTF-16 as the system converts it; a byte that is no
// character of code page 932 becomes the system's stand-in for it. Text of ASCII alone is the
// same in both and is taken as it is.
#include <cstddef>
#include <string>

class Utf8Text {
 public:
  // `text` (`length` bytes of code page 932) as UTF-8, in a buffer kept until the next call.
  const std::string& Of(const char* text, size_t length);
  const std::string& Of(const std::string& text) { return Of(text.data(), text.size()); }

 private:
  std::wstring m_wide;
  std::string m_utf8;
};
