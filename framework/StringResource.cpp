#include "framework/StringResource.h"

std::string LoadResourceString(UINT nID) {
  // A string resource holds at most 65535 UTF-16 units; each may take two ANSI bytes.
  std::string text(256, '\0');
  for (;;) {
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), nID, &text[0],
                                     static_cast<int>(text.size()));
    if (length <= 0) return "";
    if (static_cast<size_t>(length) < text.size() - 2 || text.size() >= 1 << 18) {
      text.resize(static_cast<size_t>(length));
      return text;
    }
    text.assign(text.size() * 2, '\0');
  }
}
