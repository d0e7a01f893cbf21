// The navigation waterfall's geometry with no window: times to pixels and back, zoom around
// a point, scrolling within the log, tick steps, the tracks' rows, a bar's place and what a
// point hits, and labels cut to fit with "…".
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/EventRowStore.h"
#include "log/NavigationIndex.h"
#include "logview/EllipsisCut.h"
#include "logview/WaterfallLayout.h"
#include "logview/WaterfallScale.h"
#include "support/LogSteps.h"

namespace {

constexpr uint32_t kNone = NavigationIndex::kNone;

// The whole log fits the plot until it is zoomed; a zoom keeps the time under the pointer
// where it was, never goes past the whole log nor before its start, and scrolling stays within
// the log. The fitted scale follows a growing log; a zoomed one stays where it was put.
TEST(WaterfallScaleTest, MapsTimesToPixelsAndZoomsAroundAPoint) {
  WaterfallScale scale;
  scale.SetExtent(1000, 500);
  EXPECT_TRUE(scale.IsFitted());
  EXPECT_DOUBLE_EQ(250, scale.X(500));
  EXPECT_DOUBLE_EQ(500, scale.MsAt(250));

  scale.ZoomAround(100, 4);  // 200 ms stays at pixel 100
  EXPECT_FALSE(scale.IsFitted());
  EXPECT_DOUBLE_EQ(0.5, scale.MsPerPixel());
  EXPECT_DOUBLE_EQ(200, scale.MsAt(100));
  EXPECT_EQ(2000, scale.ContentWidth());
  EXPECT_EQ(300, scale.ScrollPosition());

  scale.ScrollBy(10000);  // no further than the log's end
  EXPECT_DOUBLE_EQ(1000, scale.EndMsShown());
  scale.ScrollToStart();
  EXPECT_DOUBLE_EQ(0, scale.StartMs());
  scale.ZoomAround(0, 1e9);  // no deeper than kMaxPixelsPerMs
  EXPECT_DOUBLE_EQ(1 / WaterfallScale::kMaxPixelsPerMs, scale.MsPerPixel());

  scale.SetExtent(4000, 500);  // zoomed, the view stays as the log grows
  EXPECT_DOUBLE_EQ(0, scale.StartMs());
  EXPECT_DOUBLE_EQ(1 / WaterfallScale::kMaxPixelsPerMs, scale.MsPerPixel());
  scale.ZoomAround(400, 1e-9);  // zoomed all the way out: the whole log, following it again
  EXPECT_TRUE(scale.IsFitted());
  EXPECT_DOUBLE_EQ(8, scale.MsPerPixel());
  scale.SetExtent(8000, 500);
  EXPECT_DOUBLE_EQ(16, scale.MsPerPixel());
  EXPECT_DOUBLE_EQ(0, scale.StartMs());
}

TEST(WaterfallScaleTest, TicksAreRoundStepsAtLeastTheSpacingApart) {
  struct Case {
    int64_t endMs;
    double stepMs;
    double tickMs;
    const char* label;
  } cases[] = {
      {100, 20, 40, "40 ms"},         // 0.2 ms a pixel, ticks 80 px apart at least: 16 ms
      {1000, 200, 400, "400 ms"},     // 2 ms a pixel: 160 ms
      {4000, 1000, 3000, "3 s"},      // 8 ms a pixel: 640 ms
      {2000, 500, 1500, "1500 ms"},   // 4 ms a pixel: 320 ms
      {30000, 5000, 15000, "15 s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.endMs);
    WaterfallScale scale;
    scale.SetExtent(c.endMs, 500);
    EXPECT_DOUBLE_EQ(c.stepMs, scale.TickStepMs(80));
    EXPECT_EQ(c.label, WaterfallScale::TickLabel(c.tickMs, c.stepMs));
  }
  EXPECT_EQ("2.5 s", WaterfallScale::TickLabel(2500, 2500));
  EXPECT_EQ("1.25 s", WaterfallScale::TickLabel(1250, 1250));
}

class WaterfallLayoutTest : public ::testing::Test {
 protected:
  // A page navigation from 0 to 400 ms (complete at 100), a frame's from 100 to 200 ms that
  // failed, then the page's next one from 500 ms, still open at 1000 ms.
  void SetUp() override {
    for (const testsupport::LogStep& step : std::vector<testsupport::LogStep>{
             {"BeforeNavigate2", "page", 0, "URL:http://h/a.html"},
             {"NavigateComplete2", "page", 100},
             {"BeforeNavigate2", "f1", 100, "URL:http://h/f.html"},
             {"NavigateError", "f1", 200},
             {"DocumentComplete", "loaded", 400},
             {"BeforeNavigate2", "page", 500, "URL:http://h/b.html"},
             {"StatusTextChange", "", 1000}})
      testsupport::AddLogStep(m_rows, m_index, step);
    m_scale.SetExtent(m_index.LastMs(), m_layout.PlotWidth());
  }

  EventRowStore m_rows;
  NavigationIndex m_index{m_rows};
  // 100 px of labels, a 20 px axis, 30 px tracks; the plot is 500 px: 2 ms a pixel.
  WaterfallLayout m_layout{RECT{0, 0, 600, 200}, 100, 20, 30};
  WaterfallScale m_scale;
};

TEST_F(WaterfallLayoutTest, BarsSitInTheirTracksAtTheirTimes) {
  EXPECT_EQ(500, m_layout.PlotWidth());
  EXPECT_EQ(kNone, m_layout.TrackAt(19));
  EXPECT_EQ(0u, m_layout.TrackAt(20));
  EXPECT_EQ(1u, m_layout.TrackAt(50));
  EXPECT_EQ(2u, m_layout.VisibleTrackCount(2));
  EXPECT_EQ(6u, m_layout.VisibleTrackCount(10));  // 180 px below the axis

  const RECT page = m_layout.BarRect(m_index, m_scale, 0);
  EXPECT_EQ((std::vector<LONG>{100, 23, 300, 47}), (std::vector<LONG>{page.left, page.top, page.right, page.bottom}));
  EXPECT_EQ(150, m_layout.CompleteX(m_index, m_scale, 0));
  const RECT frame = m_layout.BarRect(m_index, m_scale, 1);
  EXPECT_EQ((std::vector<LONG>{150, 53, 200}), (std::vector<LONG>{frame.left, frame.top, frame.right}));
  EXPECT_EQ(frame.right, m_layout.CompleteX(m_index, m_scale, 1)) << "no NavigateComplete2: no complete phase";
  const RECT open = m_layout.BarRect(m_index, m_scale, 2);
  EXPECT_EQ(350, open.left);
  EXPECT_EQ(600, open.right) << "an open navigation runs to the latest row";
}

TEST_F(WaterfallLayoutTest, APointHitsTheBarThatHoldsIt) {
  struct Case {
    POINT point;
    uint32_t navigation;
  } cases[] = {
      {{100, 30}, 0},  {{299, 30}, 0},    {{300, 30}, kNone}, {{349, 30}, kNone}, {{350, 30}, 2},
      {{599, 24}, 2},  {{175, 60}, 1},    {{175, 30}, 0},     {{120, 60}, kNone}, {{250, 60}, kNone},
      {{175, 10}, kNone} /* the axis */,  {{50, 30}, kNone} /* a label */,        {{200, 100}, kNone} /* no track */,
      {{200, 21}, kNone} /* above the bar */,
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.point.x) + "," + std::to_string(c.point.y));
    EXPECT_EQ(c.navigation, m_layout.HitTest(m_index, m_scale, c.point));
  }
  // Zoomed in on the frame's navigation, its bar widens and still is what the point hits.
  m_scale.ZoomAround(m_scale.X(150), 10);
  const RECT frame = m_layout.BarRect(m_index, m_scale, 1);
  EXPECT_NEAR(500, frame.right - frame.left, 1);
  EXPECT_EQ(1u, m_layout.HitTest(m_index, m_scale, POINT{m_layout.PlotLeft() + 250, 60}));
}

// A width of 6 px a byte: "…" (two bytes in the ANSI code page) is 12 px.
int SixPixelsAByte(const char*, size_t length) { return static_cast<int>(length) * 6; }

TEST(EllipsisCutTest, CutsToTheLongestFittingPrefixOfWholeCharacters) {
  struct Case {
    const char* text;
    int width;
    const char* cut;
  } cases[] = {
      {"http://h/a.html", 90, "http://h/a.html"},  // fits as it is
      {"http://h/a.html", 89, "http://h/a.h…"},    // 12 bytes and the ellipsis: 84 px
      {"ページの読み込み", 50, "ページ…"},
      {"ページの読み込み", 47, "ペー…"},          // never half a double-byte character
      {"aページ", 35, "aペ…"},
      {"aページ", 29, "a…"},
      {"ページ", 12, "…"},
      {"ページ", 11, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.width));
    EXPECT_EQ(c.cut, CutWithEllipsis(c.text, c.width, &SixPixelsAByte));
  }
}

}  // namespace
