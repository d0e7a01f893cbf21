// The navigation waterfall window over a real list under Wine: what it draws, read back
// pixel by pixel from a memory DC, a click on a bar selecting that navigation's rows, and the
// list's selection framing the bars of its navigations. (Its geometry: WaterfallGeometryTest.)
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "events/EventCatalog.h"
#include "logview/EventListCtrl.h"
#include "logview/NavigationWaterfall.h"
#include "logview/WaterfallPainter.h"
#include "support/MessagePump.h"

namespace {

// The time of day the next row gets, in ms.
uint32_t g_ms = 0;
void WINAPI TimeOfDay(SYSTEMTIME* time) {
  *time = SYSTEMTIME{2026, 1, 0, 1, 9, 0, static_cast<WORD>(g_ms / 1000), static_cast<WORD>(g_ms % 1000)};
}

class NavigationWaterfallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.Attach(::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 900, 600, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 880, 300}, &m_host, 1));
    m_list.Model().SetClockSource(&TimeOfDay);
    // The page from 0 to 800 ms (complete at 200) with its frame from 300 to 600 ms, the
    // frame's next one failing from 900 to 1000 ms, then the page's next from 1200 to 2000 ms.
    Row(0, "BeforeNavigate2", EventRowStore::Origin::Page, "URL:http://example.test/a.html  Flags:0");
    Row(200, "NavigateComplete2", EventRowStore::Origin::Page, "URL:http://example.test/a.html");
    Row(300, "BeforeNavigate2", EventRowStore::Origin::Frame, "URL:http://example.test/f.html  Flags:0");
    Row(400, "NavigateComplete2", EventRowStore::Origin::Frame, "URL:http://example.test/f.html");
    Row(600, "DocumentComplete", EventRowStore::Origin::Frame, "URL:http://example.test/f.html");
    Row(800, "DocumentComplete", EventRowStore::Origin::PageLoaded, "URL:http://example.test/a.html");
    Row(900, "BeforeNavigate2", EventRowStore::Origin::Frame, "URL:http://example.test/g.html  Flags:0");
    Row(1000, "NavigateError", EventRowStore::Origin::Frame, "URL:http://example.test/g.html");
    Row(1200, "BeforeNavigate2", EventRowStore::Origin::Page, "URL:http://example.test/b.html  Flags:0");
    Row(1300, "NavigateComplete2", EventRowStore::Origin::Page, "URL:http://example.test/b.html");
    Row(2000, "DocumentComplete", EventRowStore::Origin::PageLoaded, "URL:http://example.test/b.html");
    m_list.FlushPendingRows();
    ASSERT_TRUE(m_waterfall.Create(&m_host, 2));
    m_waterfall.SetWindowPos(nullptr, 0, 300, 640, 200, SWP_NOZORDER | SWP_SHOWWINDOW);
    m_waterfall.Bind(&m_list);
  }
  void TearDown() override {
    m_waterfall.DestroyWindow();
    m_list.DestroyWindow();
    ::DestroyWindow(m_host.Detach());
  }
  void Row(uint32_t ms, const char* event, EventRowStore::Origin origin, const char* text) {
    g_ms = ms;
    const std::string name = std::string(kEventRowNamePrefix) + event;
    m_list.AddEventRow(name.c_str(), text, origin, origin == EventRowStore::Origin::Frame ? "f1" : nullptr);
  }
  // A point inside the bar of track `track` at time `ms`, clear of its text and its frame.
  POINT At(size_t track, double ms) const {
    const WaterfallLayout layout = m_waterfall.Layout();
    return POINT{layout.PlotLeft() + static_cast<int>(m_waterfall.Scale().X(ms)), layout.TrackRect(track).top + 4};
  }
  // The window as it draws itself, captured into a bitmap.
  std::vector<COLORREF> Capture(const std::vector<POINT>& points) {
    RECT client = {};
    m_waterfall.GetClientRect(&client);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    m_waterfall.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    std::vector<COLORREF> colors;
    for (POINT point : points) colors.push_back(::GetPixel(memory, point.x, point.y));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    return colors;
  }
  std::vector<int> SelectedItems() {
    std::vector<int> items;
    for (int item = -1; (item = m_list.GetNextItem(item, LVNI_SELECTED)) >= 0;) items.push_back(item);
    return items;
  }

  CWnd m_host;
  CEventListCtrl m_list;
  CNavigationWaterfall m_waterfall;
};

// Each phase in its shade, a failed navigation in red, nothing between navigations; the bars
// of the navigations of the rows selected in the list are framed.
TEST_F(NavigationWaterfallTest, DrawsEachPhaseInItsShadeAndFramesTheSelectedRowsNavigations) {
  EXPECT_DOUBLE_EQ(2000, m_waterfall.Scale().EndMsShown()) << "the whole log fits at first";
  const COLORREF background = ::GetSysColor(COLOR_WINDOW);
  EXPECT_EQ((std::vector<COLORREF>{WaterfallPainter::kLoadingColor, WaterfallPainter::kCompleteColor,
                                   WaterfallPainter::kLoadingColor, WaterfallPainter::kCompleteColor,
                                   WaterfallPainter::kFailedColor, background, background,
                                   WaterfallPainter::kCompleteColor}),
            Capture({At(0, 100), At(0, 500), At(1, 350), At(1, 500), At(1, 950), At(0, 1100), At(1, 700),
                     At(0, 1650)}));

  const RECT bar = m_waterfall.Layout().BarRect(m_list.Model().Navigations(), m_waterfall.Scale(), 1);
  const POINT above = {(bar.left + bar.right) / 2, bar.top - 1};
  EXPECT_EQ(background, Capture({above})[0]);
  m_list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);  // the frame's NavigateComplete2
  m_waterfall.Follow();
  EXPECT_EQ(std::vector<uint32_t>{1}, m_waterfall.Highlighted());
  EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), Capture({above})[0]);
}

// A click on a bar selects that navigation's rows alone; its tool tip tells its times.
TEST_F(NavigationWaterfallTest, AClickOnABarSelectsItsNavigationsRows) {
  m_list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  const POINT frame = At(1, 450);
  m_waterfall.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(frame.x, frame.y));
  EXPECT_EQ((std::vector<int>{2, 3, 4}), SelectedItems());
  EXPECT_EQ(2, m_list.GetNextItem(-1, LVNI_FOCUSED));
  const POINT page = At(0, 1500);
  m_waterfall.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(page.x, page.y));
  EXPECT_EQ((std::vector<int>{8, 9, 10}), SelectedItems());
  const POINT between = At(0, 1100);
  m_waterfall.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(between.x, between.y));
  EXPECT_EQ((std::vector<int>{8, 9, 10}), SelectedItems()) << "a click beside the bars changes nothing";

  const std::string tip = m_waterfall.ToolTipTextAt(frame);
  EXPECT_EQ(0u, tip.find("http://example.test/f.html\n")) << tip;
  EXPECT_NE(std::string::npos, tip.find("NavigateComplete2: 400 ms (+100 ms)")) << tip;
  EXPECT_NE(std::string::npos, tip.find("終了: 600 ms (+200 ms)")) << tip;
}

// Rows that arrive show once the waterfall next follows the log; a zoomed view stays where
// it was put as the log grows, and zooms around the pointer.
TEST_F(NavigationWaterfallTest, FollowsTheLogAsRowsArriveAndZoomsAroundThePointer) {
  m_host.ShowWindow(SW_SHOWNA);  // only a waterfall in view follows its log
  Row(2500, "BeforeNavigate2", EventRowStore::Origin::Page, "URL:http://example.test/c.html  Flags:0");
  Row(3000, "StatusTextChange", EventRowStore::Origin::None, "Text:");
  ASSERT_TRUE(testsupport::PumpUntil([&] { return m_waterfall.Scale().EndMsShown() > 2999; }, 5000));
  const POINT open = At(0, 2900);
  EXPECT_EQ(WaterfallPainter::kLoadingColor, Capture({open})[0]) << "an open navigation runs to the latest row";

  const WaterfallLayout layout = m_waterfall.Layout();
  const int x = layout.PlotLeft() + 100;
  m_waterfall.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA * 2), 0);  // at the screen's 0,0
  POINT screen = {x, layout.TrackRect(0).top};
  ::ClientToScreen(m_waterfall.m_hWnd, &screen);
  const double before = m_waterfall.Scale().MsPerPixel();
  m_waterfall.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
  EXPECT_NEAR(before / 1.5, m_waterfall.Scale().MsPerPixel(), 1e-9);
  const double kept = m_waterfall.Scale().MsAt(100);
  Row(4000, "StatusTextChange", EventRowStore::Origin::None, "Text:");
  m_waterfall.Follow();
  EXPECT_DOUBLE_EQ(kept, m_waterfall.Scale().MsAt(100));
  EXPECT_FALSE(m_waterfall.Scale().IsFitted());
}

}  // namespace
