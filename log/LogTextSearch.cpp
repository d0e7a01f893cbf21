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
  const char firstUpper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
  // Candidates are found by their first byte alone; only then is the text walked character
  // by character up to the candidate, to see that a character starts there.
  size_t boundary = 0;
  for (size_t start = 0; start + wanted <= length; ++start) {
    if (text[start] != first && text[start] != firstUpper) continue;
    while (boundary < start)
      boundary += IsLead(static_cast<unsigned char>(text[boundary])) && boundary + 1 < length ? 2 : 1;
    if (boundary == start && MatchesAt(text, length, start)) return true;
  }
  return false;
}

// Compared character by character, so that a double-byte character of the text is compared
// whole and never folded.
bool LogTextSearch::MatchesAt(const char* text, size_t length, size_t start) const {
  const size_t wanted = m_wanted.size();
  size_t i = 0;
  while (i < wanted) {
    const bool pair = IsLead(static_cast<unsigned char>(text[start + i])) && start + i + 1 < length;
    if (pair) {
      if (i + 1 >= wanted || text[start + i] != m_wanted[i] || text[start + i + 1] != m_wanted[i + 1]) return false;
      i += 2;
    } else {
      if (Fold(text[start + i]) != m_wanted[i]) return false;
      ++i;
    }
  }
  return true;
}
