#include "toolkit/LabelFitter.h"

#include <vector>

CLabelFitter::CLabelFitter(HWND hWnd, HFONT font) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {
  if (m_hDC) m_hOldFont = ::SelectObject(m_hDC, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
}

CLabelFitter::~CLabelFitter() {
  if (!m_hDC) return;
  ::SelectObject(m_hDC, m_hOldFont);
  ::ReleaseDC(m_hWnd, m_hDC);
}

int CLabelFitter::Width(const std::string& text) const {
  SIZE size = {};
  if (m_hDC) ::GetTextExtentPoint32A(m_hDC, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int CLabelFitter::AverageCharWidth() const {
  TEXTMETRICA metrics = {};
  if (!m_hDC || !::GetTextMetricsA(m_hDC, &metrics)) return 0;
  return metrics.tmAveCharWidth;
}

size_t CLabelFitter::BoundaryPrefix(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t step =
        (::IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size()) ? 2 : 1;
    if (end + step > limit) break;
    end += step;
  }
  return end;
}

std::string CLabelFitter::Fit(const std::string& text, int maxWidth) const {
  if (Width(text) <= maxWidth) return text;
  // The ends of the characters, so that the search below only tries whole characters.
  std::vector<size_t> ends;
  for (size_t end = 0; end < text.size();) {
    end += (::IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size()) ? 2 : 1;
    ends.push_back(end);
  }
  const int room = maxWidth - Width(kEllipsis);
  // The longest prefix that fits: the widths grow with the length, so halve the range.
  size_t lo = 0, hi = ends.size();  // ends[0..lo) fit, ends[hi..) do not
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (Width(text.substr(0, ends[mid])) <= room)
      lo = mid + 1;
    else
      hi = mid;
  }
  return text.substr(0, lo ? ends[lo - 1] : 0) + kEllipsis;
}
