#pragma once
// A dock area of a toolkit frame: a rebar control along the top or bottom edge whose bands
// hold the docked bars, each with a gripper. A bar's band is found by the bar's window id.
// Dragging a band by its gripper toward the frame's other edge hands the bar to the other
// dock area.
#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"

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
  // Gives the bar's band the bar's current size (after its font or buttons changed).
  void UpdateBarSize(CControlBar* pBar);
  // The height the bands need at the current width.
  int GetBarHeight() const;

 protected:
  LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
  void OnHeightChange(NMHDR* header, LRESULT* result);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void FillBandInfo(CControlBar* pBar, BOOL bBreak, int cx, BOOL bVisible,
                    REBARBANDINFOA* info) const;

  CToolkitFrameWnd* m_pFrame = nullptr;
  DWORD m_dwEdge = 0;
  int m_nDragBand = -1;  // the band being dragged by its gripper
};
