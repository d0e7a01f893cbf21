#pragma once
// A dock area of a toolkit frame: a rebar control along the top or bottom edge whose bands
// hold the docked bars, each with a gripper. A bar's band is found by the bar's window id.
// A band is dragged by its whole header (the gripper and the margin up to the bar); dragged
// past the middle of the frame toward the other edge, an outline shows where the bar will go,
// and releasing the button there hands the bar to the other dock area.
#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"
#include "toolkit/DockMarker.h"

class CControlBar;
class CToolkitFrameWnd;

class CDockBar : public CWnd {
  ORMIX_DECLARE_DYNAMIC(CDockBar)

 public:
  // What a band holds, in band order.
  struct Band {
    UINT nID;
    BOOL bBreak;  // starts a new row
    int cx;
    BOOL bVisible;
  };

  // Creates the dock area along `dwEdge` (CBRS_ALIGN_TOP or CBRS_ALIGN_BOTTOM).
  BOOL Create(CToolkitFrameWnd* pFrame, DWORD dwEdge, BOOL bFlat);
  DWORD GetEdge() const { return m_dwEdge; }

  // Adds the bar as band `nIndex` (-1: last), on a new row if bBreak; cx 0 is the bar's own
  // width.
  BOOL InsertBar(CControlBar* pBar, int nIndex, BOOL bBreak, int cx, BOOL bVisible);
  // Removes the bar's band; the bar's window stays, hidden.
  BOOL RemoveBar(CControlBar* pBar);
  // The index of the band holding the bar with window id `nID`, or -1.
  int FindBand(UINT nID) const;
  int GetBandCount() const;
  Band GetBand(int nIndex) const;
  void ShowBar(CControlBar* pBar, BOOL bShow);
  // Gives the bar's band the bar's current size (after its font or buttons changed), with
  // the bar laid out for the room its band has in an area `cxDock` wide (0: as it is).
  void UpdateBarSize(CControlBar* pBar, int cxDock = 0);
  // The height the bands need at the current width.
  int GetBarHeight() const;
  // The width a band's bar gets in a dock area `cxDock` wide: the band's header and borders
  // taken off.
  int GetBandClientWidth(int nIndex, int cxDock) const;
  // The outline shown while a bar is dragged toward the other edge.
  const CDockMarker& GetDockMarker() const { return m_marker; }

 protected:
  LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
  LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
  void OnHeightChange(NMHDR* header, LRESULT* result);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void FillBandInfo(CControlBar* pBar, BOOL bBreak, int cx, BOOL bVisible,
                    REBARBANDINFOA* info) const;
  // The x of the rebar's own gripper in band `nIndex` at height y, or -1.
  int FindGripperX(int nIndex, int y) const;
  // Where a bar dragged to the other edge will go (screen coordinates).
  RECT TargetRect(int nBarHeight) const;
  void EndDrag();

  CToolkitFrameWnd* m_pFrame = nullptr;
  DWORD m_dwEdge = 0;
  int m_nDragBand = -1;      // the band being dragged by its header
  int m_cxGrabOffset = 0;    // from the pressed point to the rebar's gripper
  BOOL m_bTowardOther = FALSE;  // the pointer is past the frame's middle
  BOOL m_bHandingOver = FALSE;  // the rebar's drag ends and this area keeps the mouse
  CDockMarker m_marker;
};
