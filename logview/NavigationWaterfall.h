#pragma once
// The navigation waterfall of one event log: a child window that draws the navigations of
// the log's NavigationIndex (WaterfallPainter) on a horizontal time axis, one track per frame
// under the page's. It follows the log as rows arrive: while shown, a timer every
// kFollowMs looks at the row count and the list's selection, and repaints once for all that
// changed meanwhile (nothing is done per row). The whole log fits at first; Ctrl+wheel zooms
// around the pointer, +/- and Ctrl+Up/Down around the middle, the scroll bar, the wheel,
// Left/Right and Home/End scroll. A click on a bar selects that navigation's rows in the list
// and shows the first; the bars of the navigations of the rows selected in the list are
// framed. A tool tip tells a bar's URL, times and end, and a track's whole label.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ToolTipCtrl.h"
#include "framework/Wnd.h"
#include "logview/WaterfallLayout.h"
#include "logview/WaterfallScale.h"

class CEventListCtrl;

class CNavigationWaterfall : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CNavigationWaterfall)

 public:
  static constexpr UINT kFollowMs = 100;
  // New rows repaint no sooner than this many times the last paint's length after it: a
  // zoomed-out paint of a long log takes milliseconds, and while rows stream in the
  // waterfall's own painting stays within about 2% of the window thread's time.
  static constexpr int64_t kPaintSpacing = 50;
  // At most this many selected rows are looked at for the framed bars.
  static constexpr int kMaxHighlightRows = 5000;

  // A hidden child window `nID` of `pParent`.
  BOOL Create(CWnd* pParent, UINT nID);
  // Draws the log of `list` from now on, fitted to the window; NULL draws nothing. The list
  // must stay until it is unbound.
  void Bind(CEventListCtrl* list);
  CEventListCtrl* BoundList() const { return m_pList; }
  // The font of the labels and the axis; NULL: the system's GUI font.
  void SetWaterfallFont(HFONT font);

  // Takes in the rows and the selection of the list as they are now; repaints if they changed.
  void Follow();
  // The layout and scale it draws with now.
  WaterfallLayout Layout() const;
  const WaterfallScale& Scale() const { return m_scale; }
  // Zooms in (`factor` > 1) or out around client x `x`.
  void ZoomAround(int x, double factor);
  // The navigations whose bars are framed, in order.
  const std::vector<uint32_t>& Highlighted() const { return m_highlighted; }
  // What the tool tip says at `point` (client coordinates): "" over nothing.
  std::string ToolTipTextAt(POINT point) const;
  // Draws the whole window into `dc` (the client area, at its origin).
  void Draw(HDC dc) const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr UINT_PTR kFollowTimerId = 0x5746;

  void OnPaint();
  void OnSize();
  void OnHScroll(UINT code);
  void OnMouseWheel(WPARAM wParam, LPARAM lParam);
  void OnKeyDown(UINT key);
  void OnLButtonDown(POINT point);
  void OnMouseMove(POINT point);
  // The extent of the scale from the log and the window, and the scroll bar from the scale.
  void UpdateScale();
  void UpdateScrollBar();
  // A new view of the log: scroll bar and paint.
  void ViewChanged();
  void CollectHighlighted();
  void CreateToolTip();
  void MeasureFont();
  // The tip's key for `point`: a navigation, a track's label, or nothing (kNone).
  uint64_t TipKeyAt(POINT point) const;

  CEventListCtrl* m_pList = nullptr;
  HFONT m_hFont = nullptr;
  int m_nTextHeight = 12;  // of the font, measured when it is set
  WaterfallScale m_scale;
  size_t m_nSeenRows = 0;
  // When the last paint began and how long it took, in performance-counter ticks.
  int64_t m_lastPaintStart = 0;
  int64_t m_lastPaintTicks = 0;
  // The list's selection as last looked at: how many, the first and the focused item.
  int m_selection[3] = {-1, -1, -1};
  std::vector<uint32_t> m_highlighted;
  CToolTipCtrl m_tip;
  uint64_t m_tipKey = UINT64_MAX;
  std::string m_tipText;
};
