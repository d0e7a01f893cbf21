#pragma once
// Draws a navigation waterfall into a device context, as a layout and a scale place it: the
// time axis with its ticks, each track's label cut to fit, and, of what is in view only, each
// navigation as a bar (its loading phase, BeforeNavigate2 to NavigateComplete2, in a light
// shade, its complete phase, NavigateComplete2 to its end, in a dark shade of the same hue;
// one that failed in red), the highlighted ones framed, the URL inside bars wide enough for
// it, downloads as a thin bar along the page's track, NavigateError and NewWindow2 as marks.
// Needs no window: the waterfall window paints through it, and so can a memory DC.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "log/NavigationIndex.h"
#include "logview/WaterfallLayout.h"
#include "logview/WaterfallScale.h"

class WaterfallPainter {
 public:
  static constexpr COLORREF kLoadingColor = RGB(190, 214, 246);
  static constexpr COLORREF kCompleteColor = RGB(96, 150, 226);
  static constexpr COLORREF kFailedColor = RGB(220, 40, 40);
  static constexpr COLORREF kDownloadColor = RGB(40, 160, 80);
  static constexpr COLORREF kNewWindowColor = RGB(230, 140, 0);
  static constexpr COLORREF kGridColor = RGB(225, 225, 225);
  // Ticks are at least this far apart.
  static constexpr int kMinTickSpacing = 80;

  WaterfallPainter(const NavigationIndex& index, const WaterfallScale& scale, const WaterfallLayout& layout)
      : m_index(index), m_scale(scale), m_layout(layout) {}

  // Paints the whole client area of the layout in `font`; `highlighted` (sorted) are framed.
  void Paint(HDC dc, HFONT font, const std::vector<uint32_t>& highlighted) const;

 private:
  void PaintAxis(HDC dc) const;
  void PaintLabels(HDC dc) const;
  void PaintBars(HDC dc, const std::vector<uint32_t>& highlighted) const;
  void PaintDownloads(HDC dc) const;
  void PaintMarks(HDC dc) const;
  // The bar's text: its URL cut to fit inside it.
  void PaintBarText(HDC dc, uint32_t navigation, const RECT& bar) const;

  const NavigationIndex& m_index;
  const WaterfallScale& m_scale;
  const WaterfallLayout& m_layout;
};
