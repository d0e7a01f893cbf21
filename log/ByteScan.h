#pragma once
// Looking for one byte in a long text eight bytes at a time: saving looks for line feeds in
// every byte it writes, and find for the first byte of what it looks for in every text.
#include <cstddef>

// The first place in [from, end) of `text` whose byte, ORed with `fold`, equals `byte`
// (with `fold` 0x20 and a lower-case letter, the letter in either case); `end` if none.
size_t FindByte(const char* text, size_t from, size_t end, unsigned char byte, unsigned char fold = 0);
