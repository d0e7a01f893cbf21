#include "logview/NavigationWaterfall.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "logview/EventListCtrl.h"
#include "logview/NavigationTipText.h"
#include "logview/WaterfallPainter.h"

ORMIX_IMPLEMENT_DYNAMIC(CNavigationWaterfall, CWnd)

namespace {

const char kClassName[] = "OrmixNavigationWaterfall";
constexpr UINT_PTR kTipTool = 1;
// Each zoom step of the keyboard or of one wheel notch.
constexpr double kZoomStep = 1.5;
// The label column takes a quarter of the width, within these bounds.
constexpr int kMinLabelWidth = 60;
constexpr int kMaxLabelWidth = 160;
// The tool tip wraps at this width.
constexpr int kTipWidth = 480;
// Tip keys: a navigation's number, or a track's number above this.
constexpr uint64_t kTrackTipBase = 1ull << 32;
constexpr uint64_t kNoTip = UINT64_MAX;

bool RegisterWaterfallClass() {
  WNDCLASSA existing = {};
  if (::GetClassInfoA(::GetModuleHandleA(nullptr), kClassName, &existing)) return true;
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  return ::RegisterClassA(&wc) != 0;
}

}  // namespace

BOOL CNavigationWaterfall::Create(CWnd* pParent, UINT nID) {
  if (!RegisterWaterfallClass()) return FALSE;
  const RECT rect = {0, 0, 0, 0};
  if (!CWnd::Create(kClassName, "", WS_HSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS, rect, pParent, nID)) return FALSE;
  MeasureFont();
  CreateToolTip();
  return TRUE;
}

void CNavigationWaterfall::CreateToolTip() {
  if (!m_tip.Create(this, TTS_NOPREFIX | TTS_ALWAYSTIP)) return;
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = m_hWnd;
  tool.uId = kTipTool;
  tool.rect = {0, 0, 0x7FFF, 0x7FFF};
  tool.lpszText = LPSTR_TEXTCALLBACKA;
  m_tip.SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  m_tip.SendMessage(TTM_SETMAXTIPWIDTH, 0, kTipWidth);
}

void CNavigationWaterfall::SetWaterfallFont(HFONT font) {
  m_hFont = font;
  MeasureFont();
  ViewChanged();
}

void CNavigationWaterfall::MeasureFont() {
  if (!m_hWnd) return;
  HDC dc = ::GetDC(m_hWnd);
  const HGDIOBJ old = ::SelectObject(dc, m_hFont ? m_hFont : ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics = {};
  if (::GetTextMetricsA(dc, &metrics)) m_nTextHeight = metrics.tmHeight;
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
}

void CNavigationWaterfall::Bind(CEventListCtrl* list) {
  if (list == m_pList) return;
  m_pList = list;
  m_nSeenRows = 0;
  std::fill(std::begin(m_selection), std::end(m_selection), -1);
  m_highlighted.clear();
  m_tipKey = kNoTip;
  if (m_tip.m_hWnd) m_tip.SendMessage(TTM_POP);
  m_scale.FitAll();
  if (!m_hWnd) return;
  if (m_pList)
    SetTimer(kFollowTimerId, kFollowMs);
  else
    KillTimer(kFollowTimerId);
  Follow();
  ViewChanged();
}

WaterfallLayout CNavigationWaterfall::Layout() const {
  RECT client = {};
  if (m_hWnd) GetClientRect(&client);
  const int labelWidth = std::clamp(static_cast<int>(client.right) / 4, kMinLabelWidth, kMaxLabelWidth);
  return WaterfallLayout(client, labelWidth, m_nTextHeight + 6, m_nTextHeight + 10);
}

void CNavigationWaterfall::UpdateScale() {
  const int64_t end = m_pList ? m_pList->Model().Navigations().LastMs() : 0;
  m_scale.SetExtent(end, Layout().PlotWidth());
}

void CNavigationWaterfall::UpdateScrollBar() {
  if (!m_hWnd) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, m_scale.ContentWidth() - 1);
  info.nPage = static_cast<UINT>(m_scale.Width());
  info.nPos = m_scale.ScrollPosition();
  ::SetScrollInfo(m_hWnd, SB_HORZ, &info, TRUE);
}

void CNavigationWaterfall::ViewChanged() {
  if (!m_hWnd) return;
  UpdateScale();
  UpdateScrollBar();
  Invalidate(FALSE);
}

void CNavigationWaterfall::Follow() {
  if (!m_pList || !m_hWnd) return;
  bool changed = false;
  const size_t rows = m_pList->Model().Rows().Count();
  // Fewer rows than before: the log was cleared, and its navigations with it.
  const bool cleared = rows < m_nSeenRows;
  LARGE_INTEGER now = {};
  ::QueryPerformanceCounter(&now);
  const bool paintDue = now.QuadPart - m_lastPaintStart >= kPaintSpacing * m_lastPaintTicks;
  if (rows != m_nSeenRows && (paintDue || cleared)) {
    m_nSeenRows = rows;
    UpdateScale();
    UpdateScrollBar();
    changed = true;
  }
  // The selection as the list has it: told apart by its count, first and focused items.
  const int selection[3] = {static_cast<int>(m_pList->GetSelectedCount()), m_pList->GetNextItem(-1, LVNI_SELECTED),
                            m_pList->GetNextItem(-1, LVNI_FOCUSED)};
  if (!std::equal(std::begin(selection), std::end(selection), std::begin(m_selection)) || cleared) {
    std::copy(std::begin(selection), std::end(selection), std::begin(m_selection));
    CollectHighlighted();
    changed = true;
  }
  if (changed) Invalidate(FALSE);
}

void CNavigationWaterfall::CollectHighlighted() {
  m_highlighted.clear();
  const LogModel& model = m_pList->Model();
  const int shown = static_cast<int>(model.ShownCount());
  int looked = 0;
  for (int item = -1; looked < kMaxHighlightRows && (item = m_pList->GetNextItem(item, LVNI_SELECTED)) >= 0 &&
                      item < shown;
       ++looked) {
    const uint32_t navigation = model.Navigations().NavigationOfRow(model.RowAt(static_cast<size_t>(item)));
    if (navigation != NavigationIndex::kNone) m_highlighted.push_back(navigation);
  }
  std::sort(m_highlighted.begin(), m_highlighted.end());
  m_highlighted.erase(std::unique(m_highlighted.begin(), m_highlighted.end()), m_highlighted.end());
}

void CNavigationWaterfall::Draw(HDC dc) const {
  const WaterfallLayout layout = Layout();
  if (!m_pList) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &layout.Client(), nullptr, 0, nullptr);
    return;
  }
  WaterfallPainter(m_pList->Model().Navigations(), m_scale, layout).Paint(dc, m_hFont, m_highlighted);
}

void CNavigationWaterfall::OnPaint() {
  PAINTSTRUCT paint = {};
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  RECT client = {};
  GetClientRect(&client);
  // Drawn into a bitmap first and copied at once: nothing flickers while rows stream in.
  LARGE_INTEGER start = {}, end = {};
  ::QueryPerformanceCounter(&start);
  HDC memory = ::CreateCompatibleDC(dc);
  HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  Draw(memory);
  ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::EndPaint(m_hWnd, &paint);
  ::QueryPerformanceCounter(&end);
  m_lastPaintStart = start.QuadPart;
  m_lastPaintTicks = end.QuadPart - start.QuadPart;
}

void CNavigationWaterfall::OnSize() { ViewChanged(); }

void CNavigationWaterfall::ZoomAround(int x, double factor) {
  m_scale.ZoomAround(x - Layout().PlotLeft(), factor);
  ViewChanged();
}

void CNavigationWaterfall::OnHScroll(UINT code) {
  const double page = m_scale.Width();
  switch (code) {
    case SB_LINELEFT: m_scale.ScrollBy(-page / 20); break;
    case SB_LINERIGHT: m_scale.ScrollBy(page / 20); break;
    case SB_PAGELEFT: m_scale.ScrollBy(-page); break;
    case SB_PAGERIGHT: m_scale.ScrollBy(page); break;
    case SB_LEFT: m_scale.ScrollToStart(); break;
    case SB_RIGHT: m_scale.ScrollToEnd(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      ::GetScrollInfo(m_hWnd, SB_HORZ, &info);
      m_scale.ScrollTo(info.nTrackPos * m_scale.MsPerPixel());
      break;
    }
    default: return;
  }
  ViewChanged();
}

void CNavigationWaterfall::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
  const double notches = GET_WHEEL_DELTA_WPARAM(wParam) / static_cast<double>(WHEEL_DELTA);
  if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(&point);
    ZoomAround(point.x, std::pow(kZoomStep, notches));
    return;
  }
  m_scale.ScrollBy(-notches * m_scale.Width() / 10);
  ViewChanged();
}

void CNavigationWaterfall::OnKeyDown(UINT key) {
  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  const WaterfallLayout layout = Layout();
  const int middle = layout.PlotLeft() + layout.PlotWidth() / 2;
  switch (key) {
    case VK_ADD:
    case VK_OEM_PLUS: ZoomAround(middle, kZoomStep); return;
    case VK_SUBTRACT:
    case VK_OEM_MINUS: ZoomAround(middle, 1 / kZoomStep); return;
    case VK_UP:
      if (control) ZoomAround(middle, kZoomStep);
      return;
    case VK_DOWN:
      if (control) ZoomAround(middle, 1 / kZoomStep);
      return;
    case VK_HOME: m_scale.ScrollToStart(); break;
    case VK_END: m_scale.ScrollToEnd(); break;
    case VK_LEFT: m_scale.ScrollBy(-m_scale.Width() / 10.0); break;
    case VK_RIGHT: m_scale.ScrollBy(m_scale.Width() / 10.0); break;
    default: return;
  }
  ViewChanged();
}

void CNavigationWaterfall::OnLButtonDown(POINT point) {
  ::SetFocus(m_hWnd);
  if (!m_pList) return;
  const NavigationIndex& index = m_pList->Model().Navigations();
  const uint32_t navigation = Layout().HitTest(index, m_scale, point);
  if (navigation == NavigationIndex::kNone) return;
  m_pList->SelectStoredRows(index.RowsOf(navigation));
  Follow();
}

uint64_t CNavigationWaterfall::TipKeyAt(POINT point) const {
  if (!m_pList) return kNoTip;
  const NavigationIndex& index = m_pList->Model().Navigations();
  const WaterfallLayout layout = Layout();
  if (point.x < layout.PlotLeft()) {
    const uint32_t track = layout.TrackAt(point.y);
    return track < index.TrackCount() ? kTrackTipBase + track : kNoTip;
  }
  const uint32_t navigation = layout.HitTest(index, m_scale, point);
  return navigation == NavigationIndex::kNone ? kNoTip : navigation;
}

std::string CNavigationWaterfall::ToolTipTextAt(POINT point) const {
  const uint64_t key = TipKeyAt(point);
  if (key == kNoTip) return "";
  const NavigationIndex& index = m_pList->Model().Navigations();
  if (key >= kTrackTipBase) return index.TrackLabel(static_cast<size_t>(key - kTrackTipBase));
  return NavigationTipText(index, static_cast<uint32_t>(key));
}

void CNavigationWaterfall::OnMouseMove(POINT point) {
  const uint64_t key = TipKeyAt(point);
  if (key == m_tipKey) return;
  m_tipKey = key;
  m_tipText = ToolTipTextAt(point);
  // Another bar: the tip goes, and comes back with that bar's text, if there is one.
  if (m_tip.m_hWnd) m_tip.SendMessage(TTM_POP);
}

LRESULT CNavigationWaterfall::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT:
      Draw(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_TIMER:
      if (wParam != kFollowTimerId) break;
      if (IsWindowVisible()) Follow();
      return 0;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(wParam, lParam);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(static_cast<UINT>(wParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
      OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom != m_tip.m_hWnd || header->code != TTN_GETDISPINFOA) break;
      auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
      info->lpszText = const_cast<char*>(m_tipText.c_str());
      return 0;
    }
    case WM_DESTROY:
      KillTimer(kFollowTimerId);
      m_pList = nullptr;
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
