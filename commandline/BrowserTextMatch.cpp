#include "commandline/BrowserTextMatch.h"

#include <windows.h>

namespace {

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t CharacterLength(const std::string& text, size_t at) {
  return ::IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

// Whether `part` begins at character boundary `at` of `text`.
bool MatchesAt(const std::string& text, size_t at, const std::string& part) {
  if (text.size() - at < part.size()) return false;
  size_t i = 0;
  while (i < part.size()) {
    const size_t length = CharacterLength(part, i);
    // The text must have a character of the same length here, or a lead byte in the part
    // would pair with a single-byte character of the text.
    if (CharacterLength(text, at + i) != length) return false;
    for (size_t k = 0; k < length; ++k) {
      const char a = text[at + i + k], b = part[i + k];
      if ((length == 1 ? FoldCase(a) != FoldCase(b) : a != b)) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
  if (part.empty()) return true;
  for (size_t at = 0; at < text.size(); at += CharacterLength(text, at))
    if (MatchesAt(text, at, part)) return true;
  return false;
}

bool IsWantedBrowser(const std::string& caption, const std::string& url, const std::vector<std::string>& wanted) {
  for (const std::string& part : wanted)
    if (ContainsIgnoringCase(caption, part) || ContainsIgnoringCase(url, part)) return true;
  return false;
}
