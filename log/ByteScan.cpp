#include "log/ByteScan.h"

#include <cstdint>
#include <cstring>

// A word holds the byte if one of its bytes, folded, equals it: the usual test for a zero
// byte in a word, after XOR with the byte repeated; then that word's bytes are looked at one
// by one.
size_t FindByte(const char* text, size_t from, size_t end, unsigned char byte, unsigned char fold) {
  const uint64_t ones = 0x0101010101010101ULL;
  const uint64_t highs = 0x8080808080808080ULL;
  const uint64_t pattern = ones * byte;
  const uint64_t folds = ones * fold;
  size_t at = from;
  for (; at + 8 <= end; at += 8) {
    uint64_t word;
    std::memcpy(&word, text + at, sizeof(word));
    const uint64_t x = (word | folds) ^ pattern;
    if ((x - ones) & ~x & highs) break;
  }
  for (; at < end; ++at)
    if ((static_cast<unsigned char>(text[at]) | fold) == byte) return at;
  return end;
}
