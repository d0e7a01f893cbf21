#include "log/LogTextSearch.h"

#include <windows.h>

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

LogTextSearch::LogTextSearch(const std::string& wanted) : m_digitsOnly(!wanted.empty()) {
  for (int byte = 0; byte < 256; ++byte) m_lead[byte] = ::IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
  m_wanted.reserve(wanted.size());
  for (size_t i = 0; i < wanted.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(wanted[i]);
    if (IsLead(byte) && i + 1 < wanted.size()) {
      m_wanted += wanted[i];
      m_wanted += wanted[++i];
      m_digitsOnly = false;
      continue;
    }
    m_wanted += Fold(wanted[i]);
    if (!(wanted[i] >= '0' && wanted[i] <= '9') && wanted[i] != ':' && wanted[i] != '.') m_digitsOnly = false;
  }
}

bool LogTextSearch::FoundIn(const char* text, size_t length) const {
  const size_t wanted = m_wanted.size();
  if (wanted == 0 || length < wanted) return false;
  const char first = m_wanted[0];
  for (size_t start = 0; start + wanted <= length;) {
    const bool lead = IsLead(static_cast<unsigned char>(text[start])) && start + 1 < length;
    if (Fold(text[start]) == first) {
      // Compared character by character, so that a double-byte character of the text is
      // compared whole and never folded.
      size_t i = 0;
      while (i < wanted) {
        const bool pairHere = IsLead(static_cast<unsigned char>(text[start + i])) && start + i + 1 < length;
        if (pairHere) {
          if (i + 1 >= wanted || text[start + i] != m_wanted[i] || text[start + i + 1] != m_wanted[i + 1]) break;
          i += 2;
        } else {
          if (Fold(text[start + i]) != m_wanted[i]) break;
          ++i;
        }
      }
      if (i == wanted) return true;
    }
    start += lead ? 2 : 1;
  }
  return false;
}
