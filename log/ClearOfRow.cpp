#include "log/ClearOfRow.h"

#include <algorithm>

namespace {

// Room left between the row and the window moved off it.
constexpr LONG kGap = 8;

}  // namespace

POINT PlaceClearOfRow(const RECT& window, const RECT& row, const RECT& workArea) {
  const POINT unchanged = {window.left, window.top};
  const bool overlaps = window.left < row.right && row.left < window.right && window.top < row.bottom &&
                        row.top < window.bottom;
  if (!overlaps) return unchanged;
  const LONG height = window.bottom - window.top;
  const LONG below = row.bottom + kGap;
  if (below + height <= workArea.bottom) return POINT{window.left, below};
  const LONG above = row.top - kGap - height;
  if (above >= workArea.top) return POINT{window.left, above};
  // Nowhere to clear the row: the side with more room, inside the work area.
  const bool down = workArea.bottom - row.bottom > row.top - workArea.top;
  const LONG top = down ? std::min(below, workArea.bottom - height) : std::max(above, workArea.top);
  return POINT{window.left, top};
}
