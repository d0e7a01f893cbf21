#pragma once
// Where a navigation waterfall draws, with no window: the time axis along the top, the
// tracks' labels down the left, one row (track) of bars per track of the navigation index
// below the axis, and each navigation's bar in its track at the times of its scale. Answers
// which navigation a point hits.
#include <windows.h>

#include <cstdint>

#include "log/NavigationIndex.h"
#include "logview/WaterfallScale.h"

class WaterfallLayout {
 public:
  // Bars narrower than this are drawn this wide, and are hit as wide.
  static constexpr int kMinBarWidth = 2;

  // Lays out a client area `client` with a label column `labelWidth` wide, an axis
  // `axisHeight` high and tracks `trackHeight` high each.
  WaterfallLayout(const RECT& client, int labelWidth, int axisHeight, int trackHeight);

  const RECT& Client() const { return m_client; }
  int PlotLeft() const { return m_client.left + m_labelWidth; }
  int PlotWidth() const;
  int AxisBottom() const { return m_client.top + m_axisHeight; }
  int TrackHeight() const { return m_trackHeight; }
  // The row of track `track`, across the label column and the plot.
  RECT TrackRect(size_t track) const;
  // The track at height `y`, or NavigationIndex::kNone.
  uint32_t TrackAt(int y) const;
  // The tracks that fit in the client area, wholly or in part.
  size_t VisibleTrackCount(size_t trackCount) const;

  // The bar of `navigation` as drawn with `scale`, in client coordinates (it may reach past
  // the plot on either side); an open navigation runs to the log's latest time.
  RECT BarRect(const NavigationIndex& index, const WaterfallScale& scale, uint32_t navigation) const;
  // Where the bar's complete phase begins (its NavigateComplete2); the bar's right edge
  // without one.
  int CompleteX(const NavigationIndex& index, const WaterfallScale& scale, uint32_t navigation) const;
  // The navigation whose bar holds `point`, or NavigationIndex::kNone.
  uint32_t HitTest(const NavigationIndex& index, const WaterfallScale& scale, POINT point) const;

  // The end of a navigation on the log's clock: where it ended, or the latest row while open.
  static int64_t EndMsOf(const NavigationIndex& index, const NavigationIndex::Navigation& navigation);

 private:
  int XOf(const WaterfallScale& scale, double ms) const;

  RECT m_client;
  int m_labelWidth;
  int m_axisHeight;
  int m_trackHeight;
};
