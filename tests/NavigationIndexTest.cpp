// The navigations of a log with no window: tracks for the page and each frame, how each
// navigation ends, times across midnight, downloads and marks, and the queries a drawer asks
// (by time range, by row).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/EventRowStore.h"
#include "log/NavigationIndex.h"
#include "support/LogSteps.h"

namespace {

constexpr uint32_t kNone = NavigationIndex::kNone;

using Step = testsupport::LogStep;

class NavigationIndexTest : public ::testing::Test {
 protected:
  void Add(const Step& step) { testsupport::AddLogStep(m_rows, m_index, step); }
  void AddAll(const std::vector<Step>& steps) {
    for (const Step& step : steps) Add(step);
  }
  // "track beginRow[,completeRow] end[@endRow]" for every navigation, in order.
  std::vector<std::string> Described() const {
    static const char* const kEnds[] = {"open", "completed", "replaced", "failed", "quit"};
    std::vector<std::string> all;
    for (size_t i = 0; i < m_index.NavigationCount(); ++i) {
      const NavigationIndex::Navigation& n = m_index.NavigationAt(i);
      std::string text = m_index.TrackLabel(n.track) + " " + std::to_string(n.beginRow);
      if (n.completeRow != kNone) text += "," + std::to_string(n.completeRow);
      text += std::string(" ") + kEnds[static_cast<int>(n.end)];
      if (n.endRow != kNone) text += "@" + std::to_string(n.endRow);
      all.push_back(text);
    }
    return all;
  }

  EventRowStore m_rows;
  NavigationIndex m_index{m_rows};
};

// A page with two frames as a browser loads it: one track each, in order of first
// appearance, named by the frame column's text; every navigation from its BeforeNavigate2 to
// its DocumentComplete, with its URL; each of its rows (and a row of the page's between)
// leads back to it.
TEST_F(NavigationIndexTest, APageAndItsFramesEachHaveATrackOfNavigations) {
  AddAll({{"BeforeNavigate2", "page", 0, "URL:http://h/a.html  Flags:0  TargetFrameName:  PostData:  Headers:"},
          {"DownloadBegin", ""},
          {"NavigateComplete2", "page", 10, "URL:http://h/a.html"},
          {"BeforeNavigate2", "f1", 20, "URL:http://h/frame1.html  Flags:0  TargetFrameName:f1  PostData:  Headers:"},
          {"NavigateComplete2", "f1", 30},
          {"StatusTextChange", "", 35},
          {"DocumentComplete", "f1", 40},
          {"BeforeNavigate2", "f2", 50, "URL:http://h/ページ2.html  Flags:0  TargetFrameName:f2  PostData:  Headers:"},
          {"NavigateComplete2", "f2", 60},
          {"DocumentComplete", "f2", 70},
          {"DownloadComplete", ""},
          {"DocumentComplete", "loaded", 80}});
  EXPECT_EQ((std::vector<std::string>{"ページ 0,2 completed@11", "フレーム: f1 3,4 completed@6",
                                      "フレーム: f2 7,8 completed@9"}),
            Described());
  ASSERT_EQ(3u, m_index.TrackCount());
  EXPECT_EQ("http://h/a.html", m_index.Url(0));
  EXPECT_EQ("http://h/ページ2.html", m_index.Url(2));
  const NavigationIndex::Navigation& frame = m_index.NavigationAt(1);
  EXPECT_EQ(20, frame.beginMs);
  EXPECT_EQ(30, frame.completeMs);
  EXPECT_EQ(40, frame.endMs);
  for (size_t n = 0; n < m_index.NavigationCount(); ++n)
    for (uint32_t row : m_index.RowsOf(n)) EXPECT_EQ(n, m_index.NavigationOfRow(row)) << row;
  EXPECT_EQ((std::vector<uint32_t>{3, 4, 6}), m_index.RowsOf(1));
  EXPECT_EQ(0u, m_index.NavigationOfRow(5)) << "a row of no frame belongs to the page";
}

// Each way a navigation ends, and what starts none.
TEST_F(NavigationIndexTest, EachWayANavigationEnds) {
  const struct {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::string> navigations;
  } cases[] = {
      {"replaced on its track before it completed",
       {{"BeforeNavigate2", "page"}, {"BeforeNavigate2", "page"}, {"NavigateComplete2", "page"}},
       {"ページ 0 replaced@1", "ページ 1,2 open"}},
      {"a new page navigation replaces the frames' open ones",
       {{"BeforeNavigate2", "page"}, {"NavigateComplete2", "page"}, {"BeforeNavigate2", "f1"},
        {"BeforeNavigate2", "page"}},
       {"ページ 0,1 replaced@3", "フレーム: f1 2 replaced@3", "ページ 3 open"}},
      {"a frame's new navigation leaves the page's and other frames' alone",
       {{"BeforeNavigate2", "page"}, {"BeforeNavigate2", "f1"}, {"BeforeNavigate2", "f2"},
        {"BeforeNavigate2", "f1"}, {"DocumentComplete", "loaded"}},
       {"ページ 0 completed@4", "フレーム: f1 1 replaced@3", "フレーム: f2 2 open", "フレーム: f1 3 open"}},
      {"an error fails it; what follows on that track starts nothing",
       {{"BeforeNavigate2", "f1"}, {"NavigateError", "f1"}, {"NavigateComplete2", "f1"},
        {"DocumentComplete", "f1"}},
       {"フレーム: f1 0 failed@1"}},
      {"quit ends every open one",
       {{"BeforeNavigate2", "page"}, {"BeforeNavigate2", "f1"}, {"NavigateComplete2", "f1"},
        {"DocumentComplete", "page"}, {"BeforeNavigate2", "page"}, {"BeforeNavigate2", "f2"}, {"OnQuit", ""}},
       {"ページ 0 completed@3", "フレーム: f1 1,2 replaced@4", "ページ 4 quit@6", "フレーム: f2 5 quit@6"}},
      {"a log that begins inside a navigation",
       {{"NavigateComplete2", "page"}, {"DocumentComplete", "loaded"}},
       {}},
  };
  for (const auto& c : cases) {
    m_rows.Clear();
    m_index.Clear();
    AddAll(c.steps);
    EXPECT_EQ(c.navigations, Described()) << c.what;
  }
}

// Times from the log's first row never go back: past midnight a day is added, a clock set
// back counts as no time passed; a navigation's times are its rows' times.
TEST_F(NavigationIndexTest, TimesGoOnPastMidnightAndAClockSetBack) {
  const uint32_t kBeforeMidnight = 86399900;  // 23:59:59.900
  const struct {
    uint32_t timeOfDay;
    int64_t ms;
  } cases[] = {{kBeforeMidnight, 0}, {kBeforeMidnight + 50, 50}, {100, 200}, {1000, 1100}, {500, 1100}, {600, 1200}};
  for (const auto& c : cases) Add({"StatusTextChange", "", c.timeOfDay});
  Add({"BeforeNavigate2", "page", kBeforeMidnight - 1000});  // late on the next day
  for (size_t row = 0; row < sizeof(cases) / sizeof(cases[0]); ++row)
    EXPECT_EQ(cases[row].ms, m_index.MsOfRow(row)) << row;
  EXPECT_EQ(1200 + (kBeforeMidnight - 1000 - 600), m_index.NavigationAt(0).beginMs);
  EXPECT_EQ(m_index.MsOfRow(6), m_index.LastMs());
}

// Downloads pair up (nested ones as one span); errors and new windows are marks on their
// track.
TEST_F(NavigationIndexTest, DownloadsAndMarks) {
  AddAll({{"DownloadBegin", "", 0}, {"DownloadBegin", "", 1}, {"DownloadComplete", "", 2}, {"NewWindow2", "", 3},
          {"DownloadComplete", "", 4}, {"DownloadComplete", "", 5}, {"DownloadBegin", "", 6},
          {"NavigateError", "f1", 7}});
  ASSERT_EQ(2u, m_index.Downloads().size());
  EXPECT_EQ(0u, m_index.Downloads()[0].beginRow);
  EXPECT_EQ(4u, m_index.Downloads()[0].endRow);
  EXPECT_EQ(kNone, m_index.Downloads()[1].endRow);
  ASSERT_EQ(2u, m_index.Marks().size());
  EXPECT_EQ(NavigationIndex::MarkKind::NewWindow2, m_index.Marks()[0].kind);
  EXPECT_EQ(3u, m_index.Marks()[0].row);
  EXPECT_EQ(NavigationIndex::MarkKind::NavigateError, m_index.Marks()[1].kind);
  EXPECT_EQ(1u, m_index.Marks()[1].track);
}

// Navigations overlapping a range of time, against every navigation looked at one by one: on
// several frames' tracks, of many lengths, with one left open from the start and some failing
// or replaced.
TEST_F(NavigationIndexTest, TheNavigationsOverlappingARangeAreThoseThatRunInIt) {
  uint32_t ms = 1000;
  Add({"BeforeNavigate2", "stays-open", ms});
  for (int i = 0; i < 300; ++i) {
    const std::string track = "f" + std::to_string(i % 3);
    Add({"BeforeNavigate2", track.c_str(), ms += 7});
    if (i % 7 == 3) continue;  // replaced by the next on its track
    Add({i % 11 == 5 ? "NavigateError" : "DocumentComplete", track.c_str(), ms += (i * 37) % 90});
  }
  const int64_t last = m_index.LastMs();
  for (int64_t from = -10; from <= last + 10; from += 13) {
    for (int64_t length : {0, 1, 25, 400, 5000}) {
      std::vector<uint32_t> expected;
      for (uint32_t n = 0; n < m_index.NavigationCount(); ++n) {
        const NavigationIndex::Navigation& each = m_index.NavigationAt(n);
        const int64_t end = each.end == NavigationIndex::End::Open ? last : each.endMs;
        if (each.beginMs <= from + length && end >= from) expected.push_back(n);
      }
      std::vector<uint32_t> found;
      m_index.NavigationsOverlapping(from, from + length, found);
      ASSERT_EQ(expected, found) << from << "+" << length;
    }
  }
}

}  // namespace
