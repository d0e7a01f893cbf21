#pragma once
// A toolkit frame with the bars of IDR_DEMOFRAME, shared by frame_demo and the frame's tests:
// the menu bar and the tool bar docked at the top, a status bar with the key indicators.
#include <windows.h>
#include <commctrl.h>

#include "FrameDemoResource.h"
#include "toolkit/StatusBar.h"
#include "toolkit/ToolBar.h"
#include "toolkit/ToolkitFrameWnd.h"

class CDemoBarsFrame : public CToolkitFrameWnd {
 public:
  CToolBar m_wndToolBar;
  CStatusBar m_wndStatusBar;

 protected:
  // For OnCreate, after the base class's; false when a bar cannot be made.
  bool CreateDemoBars() {
    static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    const DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    if (!m_wndMenuBar.CreateEx(this, TBSTYLE_FLAT, style, RECT{0, 0, 0, 0}, ID_MENUBAR) ||
        !m_wndMenuBar.LoadMenuBar(IDR_DEMOFRAME) ||
        !m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, style, RECT{0, 0, 0, 0}, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_DEMOFRAME) || !m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(indicators, 4))
      return false;
    m_wndMenuBar.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM, CBRS_EX_FLATLOOK);
    EnableDocking(CBRS_ALIGN_ANY, CBRS_EX_FLATLOOK);
    DockControlBar(&m_wndMenuBar);
    DockControlBar(&m_wndToolBar);
    return true;
  }
};
