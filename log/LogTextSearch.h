#pragma once
// Finding a text inside a log's texts (code page 932 bytes): letters of the single-byte
// range match whatever their case; a match starts only on a character, so the trail byte of
// a double-byte character never matches as the start of what is looked for.
#include <cstddef>
#include <string>

class LogTextSearch {
 public:
  explicit LogTextSearch(const std::string& wanted);
  bool IsEmpty() const { return m_wanted.empty(); }
  // Whether `text` (`length` bytes) holds the wanted text. Linear in `length` for any
  // text, runs of lead bytes included; `bytesLookedBack`, if given, is raised by the bytes
  // looked at behind candidates to tell characters from trail bytes.
  bool FoundIn(const char* text, size_t length, size_t* bytesLookedBack = nullptr) const;
  // Whether the wanted text could occur in a row number or a time of day.
  bool CouldBeNumberOrTime() const { return m_digitsOnly; }

 private:
  bool IsLead(unsigned char byte) const { return m_lead[byte]; }
  // The first place from `from` up to `last` (included) whose byte is the wanted text's
  // first byte in either case; `last + 1` if there is none.
  size_t NextCandidate(const char* text, size_t from, size_t last) const;
  // Whether `at` is a character's first byte rather than the trail byte of a pair, given
  // `known`, a character's first byte at or before `at`, which moves up to the first
  // character's byte at or after `at`.
  bool StartsCharacter(const char* text, size_t at, size_t& known, size_t& lookedBack) const;
  // Whether the wanted text stands in `text` from `start`, a character's first byte.
  bool MatchesAt(const char* text, size_t length, size_t start) const;

  std::string m_wanted;  // folded to lower case in its single-byte characters
  bool m_digitsOnly;
  unsigned char m_first = 0;      // the first byte, folded
  unsigned char m_firstFold = 0;  // 0x20 when that byte is a letter: a byte ORed with it folds
  bool m_lead[256];               // the code page's lead bytes
};
