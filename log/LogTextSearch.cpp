#include "log/LogTextSearch.h"

#include <windows.h>

#include "log/ByteScan.h"

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
  if (!m_wanted.empty()) {
    m_first = static_cast<unsigned char>(m_wanted[0]);
    // A letter's two cases differ in this bit alone; any other byte is compared as it is.
    m_firstFold = m_first >= 'a' && m_first <= 'z' ? 0x20 : 0;
  }
}

bool LogTextSearch::FoundIn(const char* text, size_t length, size_t* bytesLookedBack) const {
  const size_t wanted = m_wanted.size();
  if (wanted == 0 || length < wanted) return false;
  const size_t last = length - wanted;
  size_t known = 0;  // the text starts with a character
  size_t lookedBack = 0;
  bool found = false;
  for (size_t start = NextCandidate(text, 0, last); start <= last && !found;
       start = NextCandidate(text, start + 1, last))
    found = StartsCharacter(text, start, known, lookedBack) && MatchesAt(text, length, start);
  if (bytesLookedBack) *bytesLookedBack += lookedBack;
  return found;
}

size_t LogTextSearch::NextCandidate(const char* text, size_t from, size_t last) const {
  return FindByte(text, from, last + 1, m_first, m_firstFold);
}

// The byte before a run of lead bytes ends a character (it is no lead byte), and the run
// then goes in pairs: `at` is a trail byte exactly when the run before it is odd. The run is
// looked at back to `known` only, a character's first byte, so that no byte is looked at
// twice over all candidates: a long run of lead bytes costs its length once, not once per
// candidate in it.
bool LogTextSearch::StartsCharacter(const char* text, size_t at, size_t& known, size_t& lookedBack) const {
  size_t run = 0;
  while (at - run > known && IsLead(static_cast<unsigned char>(text[at - run - 1]))) ++run;
  lookedBack += run;
  const bool starts = run % 2 == 0;
  known = starts ? at : at + 1;
  return starts;
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
