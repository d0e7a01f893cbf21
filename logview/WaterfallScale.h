#pragma once
// The time axis of a navigation waterfall, with no window: which milliseconds of the log
// (from its first row) fall on which pixel of a plot `width` pixels wide, how far it is
// zoomed and scrolled, and the steps of its ticks. The axis runs from 0 to the log's latest
// time; the view never scrolls before 0 nor past the end, and never zooms out further than
// the whole log over the plot's width.
#include <cstdint>
#include <string>

class WaterfallScale {
 public:
  // The deepest zoom: a millisecond over this many pixels.
  static constexpr double kMaxPixelsPerMs = 100.0;

  // The log now ends at `endMs`, drawn over `width` pixels. A fitted scale (FitAll, until it
  // is zoomed or scrolled) keeps showing the whole log as it grows.
  void SetExtent(int64_t endMs, int width);
  // Shows the whole log over the plot's width.
  void FitAll();
  bool IsFitted() const { return m_bFitted; }

  // The time at pixel `x` of the plot, and the pixel of time `ms` (outside [0, width) when it
  // is out of view).
  double MsAt(double x) const { return m_startMs + x * m_msPerPixel; }
  double X(double ms) const { return (ms - m_startMs) / m_msPerPixel; }
  double StartMs() const { return m_startMs; }
  double EndMsShown() const { return MsAt(m_width); }
  double MsPerPixel() const { return m_msPerPixel; }
  int Width() const { return m_width; }

  // Zooms in (`factor` > 1) or out around pixel `x`: the time under it stays under it.
  void ZoomAround(double x, double factor);
  void ScrollBy(double pixels);
  // Shows from `startMs` on (kept within the log).
  void ScrollTo(double startMs);
  void ScrollToStart() { ScrollTo(0); }
  void ScrollToEnd() { ScrollTo(static_cast<double>(m_endMs)); }

  // The scroll bar in pixels: the whole log's width at this zoom, and where the view begins.
  int ContentWidth() const;
  int ScrollPosition() const;

  // The step between ticks, in ms (1, 2 or 5 times a power of ten), at least `minPixels` apart.
  double TickStepMs(int minPixels) const;
  // The label of the tick at `ms` for ticks `stepMs` apart: "250 ms" below a second's step,
  // else seconds with as many decimals as the step needs ("1.5 s", "12 s").
  static std::string TickLabel(double ms, double stepMs);

 private:
  // The widest a millisecond may be drawn out to: the whole log over the width.
  double FittedMsPerPixel() const;
  void Clamp();

  int64_t m_endMs = 0;
  int m_width = 1;
  double m_startMs = 0;
  double m_msPerPixel = 1;
  bool m_bFitted = true;
};
