// The framed icon read back from the screen at two sizes, with and without its icon, and
// the GDI objects of its paints.
#include <windows.h>

#include <gtest/gtest.h>

#include "AboutTestHelpers.h"
#include "about/IconStatic.h"

using testsupport::ClientPixels;
using testsupport::SharedHost;

namespace {

constexpr UINT IDI_TEST_HALF_RED = 300;  // AboutTest.rc: left half transparent, right half red
const COLORREF kGrey = RGB(128, 128, 128), kShadow = RGB(64, 64, 64), kRed = RGB(255, 0, 0);
const COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

// The picture at (x, y) outside the icon area; CLR_INVALID inside it.
COLORREF Frame(int x, int y, int w, int h) {
  if (x >= w - 4 || y >= h - 4) return (x >= 4 && y >= 4) ? kShadow : kGrey;
  if (x == 0 || y == 0 || x == w - 5 || y == h - 5) return kBlack;
  if (x >= 2 && x < w - 6 && y >= 2 && y < h - 6) return CLR_INVALID;
  return kWhite;
}

// GDI objects of this process. Wine's GetGuiResources answers 0; there the handle table is
// probed instead: a handle of index i without generation bits names slot i while it is used.
DWORD GdiObjects() {
  const DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (count) return count;
  DWORD inUse = 0;
  for (UINT_PTR i = 1; i < 0x10000; ++i) inUse += ::GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
  return inUse;
}

void Repaint(HWND hWnd) { ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

}  // namespace

TEST(IconStatic, PaintsTheFramedIconAtAnySize) {
  for (const SIZE size : {SIZE{60, 66}, SIZE{131, 90}}) {
    for (const bool withIcon : {true, false}) {
      CIconStatic icon;
      ASSERT_TRUE(icon.Create("Big Icon", SS_LEFT | WS_VISIBLE, {10, 10, 10 + size.cx, 10 + size.cy}, &SharedHost(), 1006));
      EXPECT_EQ(withIcon, icon.SetIconResource(withIcon ? IDI_TEST_HALF_RED : 999) != FALSE);
      Repaint(icon.m_hWnd);
      const ClientPixels p(icon.m_hWnd);
      ASSERT_EQ(size.cx, p.w);
      int wrong = 0;
      for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
          if (Frame(x, y, p.w, p.h) != CLR_INVALID && p.At(x, y) != Frame(x, y, p.w, p.h)) ++wrong;
      EXPECT_EQ(0, wrong) << p.w << "x" << p.h;
      // The icon fills (2,2)-(w-6,h-6): its transparent left half shows black, its right half
      // red; without an icon the whole area is black.
      const COLORREF right = withIcon ? kRed : kBlack;
      EXPECT_EQ(kBlack, p.At(2, 2));
      EXPECT_EQ(kBlack, p.At(2 + (p.w - 8) / 4, p.h - 7));
      EXPECT_EQ(right, p.At(2 + 3 * (p.w - 8) / 4, p.h / 2));
      EXPECT_EQ(right, p.At(p.w - 7, 2));
      EXPECT_EQ(right, p.At(p.w - 7, p.h - 7));
    }
  }
}

TEST(IconStatic, PaintsLeaveNoGdiObjectBehind) {
  CIconStatic icon;
  ASSERT_TRUE(icon.Create("Big Icon", SS_LEFT | WS_VISIBLE, {10, 10, 90, 98}, &SharedHost(), 1006));
  ASSERT_TRUE(icon.SetIconResource(IDI_TEST_HALF_RED));
  Repaint(icon.m_hWnd);  // a first paint may make the system's own lasting objects
  const DWORD before = GdiObjects();
  for (int i = 0; i < 300; ++i) Repaint(icon.m_hWnd);
  EXPECT_EQ(before, GdiObjects());
}
