// Painting the navigation waterfall of a long log. A log of N rows (1,000,000 unless given)
// is stored through LogModel, shaped as a browser loading pages: every 200 rows a page with
// one frame (10,000 navigations in a million rows, on two tracks), downloads around each page;
// 3 ms a row. Its visible range is then painted into a 1000 x 240 memory bitmap with the
// system's GUI font, as the waterfall window paints (WaterfallPainter), 20 times for each
// view: the whole log, 60 s and 2 s in its middle; median and slowest paint. One navigation
// is framed as if its rows were selected. Figures are printed, never judged.
// Usage: waterfall_bench.exe [ROWS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/NavigationLogMix.h"
#include "log/LogModel.h"
#include "logview/WaterfallLayout.h"
#include "logview/WaterfallPainter.h"
#include "logview/WaterfallScale.h"

namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The time of day the next row gets.
size_t g_row = 0;
void WINAPI RowTime(SYSTEMTIME* time) { *time = NavigationLogTime(g_row); }

void FillLog(LogModel& model, size_t count) {
  model.SetClockSource(&RowTime);
  ForEachNavigationLogRow(count, [&model](size_t i, const NavigationLogRow& row) {
    g_row = i;
    model.AppendRow(static_cast<long>(i + 1), row.name, row.text, 0, row.origin, row.frameLabel, 0);
  });
}

struct Paints {
  double median;
  double slowest;
};

Paints TimePaints(const NavigationIndex& index, const WaterfallScale& scale, const WaterfallLayout& layout, HDC dc,
                  const std::vector<uint32_t>& highlighted) {
  std::vector<double> ms;
  for (int round = 0; round < 20; ++round) {
    const double start = Seconds();
    WaterfallPainter(index, scale, layout).Paint(dc, nullptr, highlighted);
    ::GdiFlush();
    ms.push_back((Seconds() - start) * 1000);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  LogModel model;
  const double fillStart = Seconds();
  FillLog(model, count);
  const double fillSeconds = Seconds() - fillStart;
  const NavigationIndex& index = model.Navigations();

  const RECT client = {0, 0, 1000, 240};
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(dc, bitmap);
  const WaterfallLayout layout(client, 160, 20, 26);
  const std::vector<uint32_t> highlighted = {static_cast<uint32_t>(index.NavigationCount() / 2)};

  std::printf("rows %zu, navigations %zu, tracks %zu, log %.0f s; stored through LogModel in %.2f s\n", count,
              index.NavigationCount(), index.TrackCount(), static_cast<double>(index.LastMs()) / 1000, fillSeconds);
  const double spans[] = {0, 60000, 2000};
  for (double span : spans) {
    WaterfallScale scale;
    scale.SetExtent(index.LastMs(), layout.PlotWidth());
    if (span > 0) {
      scale.ZoomAround(layout.PlotWidth() / 2.0, static_cast<double>(index.LastMs()) / span);
      scale.ScrollTo(static_cast<double>(index.LastMs()) / 2 - span / 2);
    }
    std::vector<uint32_t> shown;
    index.NavigationsOverlapping(static_cast<int64_t>(scale.StartMs()), static_cast<int64_t>(scale.EndMsShown()),
                                 shown);
    const Paints paints = TimePaints(index, scale, layout, dc, highlighted);
    std::printf("%-10s %6zu navigations in view: %.2f ms a paint (median of 20), slowest %.2f ms\n",
                span > 0 ? (span >= 60000 ? "60 s" : "2 s") : "whole log", shown.size(), paints.median,
                paints.slowest);
  }
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return 0;
}
