#pragma once
// Cuts a text in the ANSI code page to fit a width, with no window: the text itself when it
// fits, else its longest prefix that fits with "…" after it, never cut inside a double-byte
// character; just "…" when nothing more fits, "" when not even that does.
#include <cstddef>
#include <functional>
#include <string>

// The width of the first `length` bytes of `text`, in pixels.
using TextWidthFunction = std::function<int(const char* text, size_t length)>;

std::string CutWithEllipsis(const std::string& text, int maxWidth, const TextWidthFunction& width);
