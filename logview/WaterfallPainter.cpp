#include "logview/WaterfallPainter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "logview/EllipsisCut.h"

namespace {

// A bar shows its URL only from this width on.
constexpr int kMinTextBarWidth = 48;
constexpr int kTextPadding = 3;
constexpr int kDownloadHeight = 3;
constexpr int kMarkSize = 4;

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  ::SetBkColor(dc, color);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

TextWidthFunction WidthOn(HDC dc) {
  return [dc](const char* text, size_t length) {
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(length), &size);
    return static_cast<int>(size.cx);
  };
}

void DrawTextIn(HDC dc, const std::string& text, const RECT& rect, COLORREF color) {
  ::SetTextColor(dc, color);
  RECT area = rect;
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}

}  // namespace

void WaterfallPainter::Paint(HDC dc, HFONT font, const std::vector<uint32_t>& highlighted) const {
  const HGDIOBJ oldFont = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  Fill(dc, m_layout.Client(), ::GetSysColor(COLOR_WINDOW));
  PaintAxis(dc);
  PaintLabels(dc);
  // Nothing is drawn into the label column from here on.
  const int saved = ::SaveDC(dc);
  const RECT& client = m_layout.Client();
  ::IntersectClipRect(dc, m_layout.PlotLeft(), m_layout.AxisBottom(), client.right, client.bottom);
  PaintDownloads(dc);
  PaintBars(dc, highlighted);
  PaintMarks(dc);
  ::RestoreDC(dc, saved);
  ::SelectObject(dc, oldFont);
}

void WaterfallPainter::PaintAxis(HDC dc) const {
  const RECT& client = m_layout.Client();
  Fill(dc, RECT{client.left, client.top, client.right, m_layout.AxisBottom()}, ::GetSysColor(COLOR_BTNFACE));
  const double step = m_scale.TickStepMs(kMinTickSpacing);
  const double first = std::ceil(m_scale.StartMs() / step) * step;
  const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
  for (double ms = first; ms <= m_scale.EndMsShown(); ms += step) {
    const int x = m_layout.PlotLeft() + static_cast<int>(std::floor(m_scale.X(ms)));
    Fill(dc, RECT{x, m_layout.AxisBottom() - 4, x + 1, m_layout.AxisBottom()}, text);
    Fill(dc, RECT{x, m_layout.AxisBottom(), x + 1, client.bottom}, kGridColor);
    DrawTextIn(dc, WaterfallScale::TickLabel(ms, step), RECT{x + 2, client.top, x + kMinTickSpacing, m_layout.AxisBottom() - 2},
               text);
  }
  Fill(dc, RECT{client.left, m_layout.AxisBottom() - 1, client.right, m_layout.AxisBottom()}, ::GetSysColor(COLOR_BTNSHADOW));
}

void WaterfallPainter::PaintLabels(HDC dc) const {
  const size_t tracks = m_layout.VisibleTrackCount(m_index.TrackCount());
  const COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
  const TextWidthFunction width = WidthOn(dc);
  for (size_t track = 0; track < tracks; ++track) {
    const RECT row = m_layout.TrackRect(track);
    const RECT label = {row.left + kTextPadding, row.top, m_layout.PlotLeft() - kTextPadding, row.bottom};
    DrawTextIn(dc, CutWithEllipsis(m_index.TrackLabel(track), label.right - label.left, width), label, text);
    Fill(dc, RECT{row.left, row.bottom - 1, row.right, row.bottom}, kGridColor);
  }
  const RECT& client = m_layout.Client();
  Fill(dc, RECT{m_layout.PlotLeft() - 1, client.top, m_layout.PlotLeft(), client.bottom}, ::GetSysColor(COLOR_BTNSHADOW));
}

void WaterfallPainter::PaintBars(HDC dc, const std::vector<uint32_t>& highlighted) const {
  std::vector<uint32_t> shown;
  m_index.NavigationsOverlapping(static_cast<int64_t>(std::floor(m_scale.StartMs())),
                                 static_cast<int64_t>(std::ceil(m_scale.EndMsShown())), shown);
  const size_t tracks = m_layout.VisibleTrackCount(m_index.TrackCount());
  const int plotRight = m_layout.Client().right;
  // Zoomed out over many navigations, most bars fall on pixels that a bar of their track has
  // painted already: only those that add pixels (or are framed, or failed) are painted.
  std::vector<int> paintedTo(tracks, m_layout.PlotLeft() - 1);
  const HBRUSH frame = ::GetSysColorBrush(COLOR_HIGHLIGHT);
  for (uint32_t navigation : shown) {
    const NavigationIndex::Navigation& n = m_index.NavigationAt(navigation);
    if (n.track >= tracks) continue;
    RECT bar = m_layout.BarRect(m_index, m_scale, navigation);
    const bool lit = std::binary_search(highlighted.begin(), highlighted.end(), navigation);
    const bool failed = n.end == NavigationIndex::End::Failed;
    if (bar.right <= paintedTo[n.track] && !lit && !failed) continue;
    paintedTo[n.track] = std::max(paintedTo[n.track], static_cast<int>(bar.right));
    const int complete = m_layout.CompleteX(m_index, m_scale, navigation);
    bar.left = std::max(bar.left, static_cast<LONG>(m_layout.PlotLeft() - 2));
    bar.right = std::min(bar.right, static_cast<LONG>(plotRight + 2));
    if (failed) {
      Fill(dc, bar, kFailedColor);
    } else {
      Fill(dc, RECT{bar.left, bar.top, std::max(bar.left, std::min(bar.right, static_cast<LONG>(complete))), bar.bottom},
           kLoadingColor);
      if (complete < bar.right)
        Fill(dc, RECT{std::max(bar.left, static_cast<LONG>(complete)), bar.top, bar.right, bar.bottom}, kCompleteColor);
    }
    if (lit) {
      RECT outline = bar;
      ::InflateRect(&outline, 2, 2);
      ::FrameRect(dc, &outline, frame);
      ::InflateRect(&outline, -1, -1);
      ::FrameRect(dc, &outline, frame);
    }
    if (bar.right - bar.left >= kMinTextBarWidth) PaintBarText(dc, navigation, bar);
  }
}

void WaterfallPainter::PaintBarText(HDC dc, uint32_t navigation, const RECT& bar) const {
  const int left = std::max(static_cast<int>(bar.left), m_layout.PlotLeft()) + kTextPadding;
  const int right = std::min(static_cast<int>(bar.right), static_cast<int>(m_layout.Client().right)) - kTextPadding;
  if (right - left < kMinTextBarWidth / 2) return;
  const std::string text = CutWithEllipsis(m_index.Url(navigation), right - left, WidthOn(dc));
  DrawTextIn(dc, text, RECT{left, bar.top, right, bar.bottom}, RGB(0, 0, 0));
}

void WaterfallPainter::PaintDownloads(HDC dc) const {
  if (m_index.TrackCount() == 0 || m_layout.VisibleTrackCount(1) == 0) return;
  const RECT page = m_layout.TrackRect(NavigationIndex::kPageTrack);
  const std::vector<NavigationIndex::Span>& spans = m_index.Downloads();
  const double from = m_scale.StartMs(), to = m_scale.EndMsShown();
  const int64_t last = m_index.LastMs();
  auto endOf = [last](const NavigationIndex::Span& span) { return span.endMs >= 0 ? span.endMs : last; };
  // Spans never overlap, so their ends come in order too: the first one in view is found by
  // halving.
  auto span = std::partition_point(spans.begin(), spans.end(),
                                   [&](const NavigationIndex::Span& s) { return endOf(s) < from; });
  for (; span != spans.end() && span->beginMs <= to; ++span) {
    const int left = m_layout.PlotLeft() + static_cast<int>(std::floor(std::max(-1e6, m_scale.X(span->beginMs))));
    const int right = m_layout.PlotLeft() + static_cast<int>(std::floor(std::min(1e6, m_scale.X(endOf(*span)))));
    Fill(dc, RECT{left, page.bottom - 1 - kDownloadHeight, std::max(left + 1, right), page.bottom - 1}, kDownloadColor);
  }
}

void WaterfallPainter::PaintMarks(HDC dc) const {
  const std::vector<NavigationIndex::Mark>& marks = m_index.Marks();
  const double from = m_scale.StartMs() - kMarkSize * m_scale.MsPerPixel();
  const double to = m_scale.EndMsShown() + kMarkSize * m_scale.MsPerPixel();
  const size_t tracks = m_layout.VisibleTrackCount(m_index.TrackCount());
  auto mark = std::partition_point(marks.begin(), marks.end(),
                                   [&](const NavigationIndex::Mark& m) { return m.ms < from; });
  const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  for (; mark != marks.end() && mark->ms <= to; ++mark) {
    if (mark->track >= tracks) continue;
    const int x = m_layout.PlotLeft() + static_cast<int>(std::floor(m_scale.X(static_cast<double>(mark->ms))));
    const int top = m_layout.TrackRect(mark->track).top + 1;
    const bool error = mark->kind == NavigationIndex::MarkKind::NavigateError;
    // An error points down at its time; a new window is a diamond.
    const POINT triangle[] = {{x - kMarkSize, top}, {x + kMarkSize, top}, {x, top + 2 * kMarkSize}};
    const POINT diamond[] = {{x, top}, {x + kMarkSize, top + kMarkSize}, {x, top + 2 * kMarkSize}, {x - kMarkSize, top + kMarkSize}};
    const HBRUSH brush = ::CreateSolidBrush(error ? kFailedColor : kNewWindowColor);
    const HGDIOBJ oldBrush = ::SelectObject(dc, brush);
    if (error)
      ::Polygon(dc, triangle, 3);
    else
      ::Polygon(dc, diamond, 4);
    ::SelectObject(dc, oldBrush);
    ::DeleteObject(brush);
  }
  ::SelectObject(dc, oldPen);
}
