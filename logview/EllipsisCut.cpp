#include "logview/EllipsisCut.h"

#include <windows.h>

#include <vector>

namespace {

// "…" in the ANSI code page of the program (a double-byte character in code page 932).
const char kEllipsis[] = "…";

}  // namespace

std::string CutWithEllipsis(const std::string& text, int maxWidth, const TextWidthFunction& width) {
  if (width(text.data(), text.size()) <= maxWidth) return text;
  // The places a cut may fall: after each whole character.
  std::vector<size_t> ends;
  for (size_t end = 0; end < text.size();) {
    end += (::IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size()) ? 2 : 1;
    ends.push_back(end);
  }
  auto fits = [&](size_t length) {
    const std::string cut = text.substr(0, length) + kEllipsis;
    return width(cut.data(), cut.size()) <= maxWidth;
  };
  // Wider prefixes are never narrower: the longest one that fits is found by halving.
  size_t low = 0, high = ends.size();  // ends[0..low) fit; ends[high..) do not
  while (low < high) {
    const size_t middle = (low + high) / 2;
    if (fits(ends[middle]))
      low = middle + 1;
    else
      high = middle;
  }
  if (low > 0) return text.substr(0, ends[low - 1]) + kEllipsis;
  return fits(0) ? std::string(kEllipsis) : std::string();
}
