#include "logview/WaterfallScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void WaterfallScale::SetExtent(int64_t endMs, int width) {
  m_endMs = std::max<int64_t>(0, endMs);
  m_width = std::max(1, width);
  if (m_bFitted) {
    FitAll();
    return;
  }
  Clamp();
}

double WaterfallScale::FittedMsPerPixel() const {
  // An empty log still has an axis: a millisecond a pixel.
  return m_endMs > 0 ? static_cast<double>(m_endMs) / m_width : 1.0;
}

void WaterfallScale::FitAll() {
  m_msPerPixel = FittedMsPerPixel();
  m_startMs = 0;
  m_bFitted = true;
}

void WaterfallScale::Clamp() {
  m_msPerPixel = std::clamp(m_msPerPixel, 1.0 / kMaxPixelsPerMs, std::max(FittedMsPerPixel(), 1.0 / kMaxPixelsPerMs));
  const double last = std::max(0.0, static_cast<double>(m_endMs) - m_width * m_msPerPixel);
  m_startMs = std::clamp(m_startMs, 0.0, last);
}

void WaterfallScale::ZoomAround(double x, double factor) {
  if (factor <= 0) return;
  const double ms = MsAt(x);
  m_msPerPixel /= factor;
  m_bFitted = false;
  Clamp();
  m_startMs = ms - x * m_msPerPixel;
  Clamp();
  // Zoomed all the way out, the scale follows the log again.
  m_bFitted = m_msPerPixel >= FittedMsPerPixel();
}

void WaterfallScale::ScrollBy(double pixels) { ScrollTo(m_startMs + pixels * m_msPerPixel); }

void WaterfallScale::ScrollTo(double startMs) {
  if (m_bFitted && m_msPerPixel >= FittedMsPerPixel()) return;  // all of it is in view already
  m_bFitted = false;
  m_startMs = startMs;
  Clamp();
}

int WaterfallScale::ContentWidth() const {
  return static_cast<int>(std::min(2e9, std::ceil(static_cast<double>(m_endMs) / m_msPerPixel)));
}

int WaterfallScale::ScrollPosition() const { return static_cast<int>(std::min(2e9, m_startMs / m_msPerPixel)); }

double WaterfallScale::TickStepMs(int minPixels) const {
  const double wanted = std::max(1, minPixels) * m_msPerPixel;
  double power = 1;
  while (power * 10 <= wanted) power *= 10;
  while (power > wanted && power > 1) power /= 10;
  for (double step : {1.0, 2.0, 5.0, 10.0})
    if (power * step >= wanted) return power * step;
  return power * 10;
}

std::string WaterfallScale::TickLabel(double ms, double stepMs) {
  char text[32];
  if (stepMs < 1000) {
    std::snprintf(text, sizeof(text), "%.0f ms", ms);
    return text;
  }
  const int decimals = std::fmod(stepMs, 1000) == 0 ? 0 : std::fmod(stepMs, 100) == 0 ? 1 : 2;
  std::snprintf(text, sizeof(text), "%.*f s", decimals, ms / 1000);
  return text;
}
