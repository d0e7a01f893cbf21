#include "logview/WaterfallLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Bars keep this much of their track free above and below.
constexpr int kBarInset = 3;

}  // namespace

WaterfallLayout::WaterfallLayout(const RECT& client, int labelWidth, int axisHeight, int trackHeight)
    : m_client(client), m_labelWidth(labelWidth), m_axisHeight(axisHeight), m_trackHeight(std::max(1, trackHeight)) {}

int WaterfallLayout::PlotWidth() const { return std::max(1, static_cast<int>(m_client.right) - PlotLeft()); }

RECT WaterfallLayout::TrackRect(size_t track) const {
  const int top = AxisBottom() + static_cast<int>(track) * m_trackHeight;
  return RECT{m_client.left, top, m_client.right, top + m_trackHeight};
}

uint32_t WaterfallLayout::TrackAt(int y) const {
  if (y < AxisBottom() || y >= m_client.bottom) return NavigationIndex::kNone;
  return static_cast<uint32_t>((y - AxisBottom()) / m_trackHeight);
}

size_t WaterfallLayout::VisibleTrackCount(size_t trackCount) const {
  const int height = std::max(0, static_cast<int>(m_client.bottom) - AxisBottom());
  return std::min(trackCount, static_cast<size_t>((height + m_trackHeight - 1) / m_trackHeight));
}

int64_t WaterfallLayout::EndMsOf(const NavigationIndex& index, const NavigationIndex::Navigation& navigation) {
  return navigation.endMs >= 0 ? navigation.endMs : std::max(navigation.beginMs, index.LastMs());
}

int WaterfallLayout::XOf(const WaterfallScale& scale, double ms) const {
  // Far out of view, a bar's edge stays a little outside the plot: GDI takes 32-bit
  // coordinates, and nothing beyond the plot is seen.
  const double x = std::clamp(scale.X(ms), -1e6, 1e6);
  return PlotLeft() + static_cast<int>(std::floor(x));
}

RECT WaterfallLayout::BarRect(const NavigationIndex& index, const WaterfallScale& scale, uint32_t navigation) const {
  const NavigationIndex::Navigation& n = index.NavigationAt(navigation);
  const RECT track = TrackRect(n.track);
  const int left = XOf(scale, static_cast<double>(n.beginMs));
  const int right = std::max(left + kMinBarWidth, XOf(scale, static_cast<double>(EndMsOf(index, n))));
  return RECT{left, track.top + kBarInset, right, track.bottom - kBarInset};
}

int WaterfallLayout::CompleteX(const NavigationIndex& index, const WaterfallScale& scale, uint32_t navigation) const {
  const NavigationIndex::Navigation& n = index.NavigationAt(navigation);
  const RECT bar = BarRect(index, scale, navigation);
  if (n.completeMs < 0) return bar.right;
  return std::clamp(XOf(scale, static_cast<double>(n.completeMs)), static_cast<int>(bar.left),
                    static_cast<int>(bar.right));
}

uint32_t WaterfallLayout::HitTest(const NavigationIndex& index, const WaterfallScale& scale, POINT point) const {
  const uint32_t track = TrackAt(point.y);
  if (track == NavigationIndex::kNone || track >= index.TrackCount() || point.x < PlotLeft() ||
      point.x >= m_client.right)
    return NavigationIndex::kNone;
  // The track's navigations never overlap and come in order: the last one begun at or left
  // of the point is the only one whose bar may hold it (a short one is drawn wider, so its
  // bar is taken as it is drawn).
  const std::vector<uint32_t>& navigations = index.NavigationsOfTrack(track);
  auto after = std::upper_bound(navigations.begin(), navigations.end(), point.x, [&](int x, uint32_t navigation) {
    return x < BarRect(index, scale, navigation).left;
  });
  if (after == navigations.begin()) return NavigationIndex::kNone;
  const uint32_t candidate = *(after - 1);
  const RECT bar = BarRect(index, scale, candidate);
  return point.x < bar.right && point.y >= bar.top && point.y < bar.bottom ? candidate : NavigationIndex::kNone;
}
