#include "toolkit/ToolkitFrameWnd.h"

#include <algorithm>
#include <string>

#include "framework/FrameworkMessages.h"
#include "framework/Profile.h"
#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "toolkit/ControlBarStyles.h"
#include "toolkit/StatusBar.h"
#include "toolkit/ToolkitSettings.h"

ORMIX_IMPLEMENT_DYNAMIC(CToolkitFrameWnd, CFrameWnd)

ORMIX_BEGIN_MESSAGE_MAP(CToolkitFrameWnd, CFrameWnd)
  msgmap::Message<&CToolkitFrameWnd::OnIdleUpdateCmdUI>(WM_IDLEUPDATECMDUI),
  msgmap::InitMenuPopup<&CToolkitFrameWnd::OnInitMenuPopup>(),
  msgmap::Message<&CToolkitFrameWnd::OnUninitMenuPopup>(WM_UNINITMENUPOPUP),
  msgmap::MenuSelect<&CToolkitFrameWnd::OnMenuSelect>(),
  msgmap::Message<&CToolkitFrameWnd::OnMeasureItem>(WM_MEASUREITEM),
  msgmap::Message<&CToolkitFrameWnd::OnDrawItem>(WM_DRAWITEM),
  msgmap::Message<&CToolkitFrameWnd::OnSysCommand>(WM_SYSCOMMAND),
  msgmap::SettingChange<&CToolkitFrameWnd::OnSettingChange>(),
  msgmap::Message<&CToolkitFrameWnd::OnActivate>(WM_ACTIVATE),
  msgmap::Message<&CToolkitFrameWnd::OnLoseInput>(WM_KILLFOCUS),
  msgmap::Message<&CToolkitFrameWnd::OnLoseInput>(WM_CANCELMODE),
ORMIX_END_MESSAGE_MAP()

namespace {

// The saved layout: a header, then one record per bar.
constexpr char kLayoutEntry[] = "Layout";
constexpr DWORD kLayoutMagic = 0x314C424F;  // "OBL1"
constexpr DWORD kMaxBars = 64;

struct LayoutHeader {
  DWORD magic;
  DWORD count;
};

struct LayoutRecord {
  DWORD nID;
  DWORD dwEdge;
  INT32 nIndex;
  INT32 bBreak;
  INT32 cx;
  INT32 bVisible;
};

// The tool tip part of a command's string: the text after the line feed.
std::string ToolTipOf(UINT nID) {
  const std::string text = LoadResourceString(nID);
  const size_t lineFeed = text.find('\n');
  return lineFeed == std::string::npos ? std::string() : text.substr(lineFeed + 1);
}

}  // namespace

CToolkitFrameWnd::CToolkitFrameWnd() = default;

CToolkitFrameWnd::~CToolkitFrameWnd() {
  // Bars that outlive their frame's registry must not call back into it.
  for (CControlBar* bar : m_bars) bar->m_pToolkitFrame = nullptr;
}

void CToolkitFrameWnd::AddControlBar(CControlBar* pBar) {
  if (pBar && std::find(m_bars.begin(), m_bars.end(), pBar) == m_bars.end())
    m_bars.push_back(pBar);
}

void CToolkitFrameWnd::RemoveControlBar(CControlBar* pBar) {
  m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), pBar), m_bars.end());
}

CControlBar* CToolkitFrameWnd::FindBar(UINT nID) const {
  for (CControlBar* bar : m_bars)
    if (bar->m_hWnd && static_cast<UINT>(bar->GetDlgCtrlID()) == nID) return bar;
  return nullptr;
}

CDockBar* CToolkitFrameWnd::GetDockBar(DWORD dwEdge) {
  if (dwEdge == CBRS_ALIGN_TOP && m_dockTop.m_hWnd) return &m_dockTop;
  if (dwEdge == CBRS_ALIGN_BOTTOM && m_dockBottom.m_hWnd) return &m_dockBottom;
  return nullptr;
}

CDockBar* CToolkitFrameWnd::DockBarOf(const CControlBar* pBar) {
  if (!pBar || !pBar->m_hWnd) return nullptr;
  const UINT nID = static_cast<UINT>(pBar->GetDlgCtrlID());
  for (CDockBar* dock : {&m_dockTop, &m_dockBottom})
    if (dock->m_hWnd && dock->FindBand(nID) >= 0) return dock;
  return nullptr;
}

// --- docking ------------------------------------------------------------------------------

void CToolkitFrameWnd::EnableDocking(DWORD dwDockStyle, DWORD dwFlags) {
  const BOOL flat = (dwFlags & CBRS_EX_FLATLOOK) || CToolkitSettings::Get().IsFlatBars();
  if ((dwDockStyle & CBRS_ALIGN_TOP) && !m_dockTop.m_hWnd)
    m_dockTop.Create(this, CBRS_ALIGN_TOP, flat);
  if ((dwDockStyle & CBRS_ALIGN_BOTTOM) && !m_dockBottom.m_hWnd)
    m_dockBottom.Create(this, CBRS_ALIGN_BOTTOM, flat);
  RecalcLayout();
  RememberDefaultLayout(TRUE);
}

BOOL CToolkitFrameWnd::DockControlBar(CControlBar* pBar, DWORD dwEdge) {
  if (!pBar || !pBar->m_hWnd) return FALSE;
  if (dwEdge == 0)
    dwEdge = (pBar->GetBarStyle() & CBRS_ALIGN_TOP) || !(pBar->GetBarStyle() & CBRS_ALIGN_BOTTOM)
                 ? CBRS_ALIGN_TOP
                 : CBRS_ALIGN_BOTTOM;
  if (pBar->GetDockStyle() && !(pBar->GetDockStyle() & dwEdge)) return FALSE;
  CDockBar* dock = GetDockBar(dwEdge);
  if (!dock) return FALSE;
  const BOOL visible = pBar->IsVisible() || DockBarOf(pBar);
  if (CDockBar* current = DockBarOf(pBar)) current->RemoveBar(pBar);
  if (!dock->InsertBar(pBar, -1, TRUE, 0, visible)) return FALSE;
  pBar->m_dwStyle = (pBar->m_dwStyle & ~CBRS_ALIGN_ANY) | dwEdge;
  RecalcLayout();
  // Docking happens while the frame is being built: the layout it gives is the default.
  RememberDefaultLayout(TRUE);
  return TRUE;
}

BOOL CToolkitFrameWnd::MoveBarToEdge(UINT nID, DWORD dwEdge) {
  CControlBar* bar = FindBar(nID);
  CDockBar* target = GetDockBar(dwEdge);
  if (!bar || !target || DockBarOf(bar) == target) return FALSE;
  if (bar->GetDockStyle() && !(bar->GetDockStyle() & dwEdge)) return FALSE;
  CDockBar* current = DockBarOf(bar);
  const int index = current ? current->FindBand(nID) : -1;
  const CDockBar::Band band =
      current ? current->GetBand(index) : CDockBar::Band{nID, TRUE, 0, TRUE};
  if (current) current->RemoveBar(bar);
  if (!target->InsertBar(bar, -1, TRUE, band.cx, band.bVisible)) return FALSE;
  bar->m_dwStyle = (bar->m_dwStyle & ~CBRS_ALIGN_ANY) | dwEdge;
  RecalcLayout();
  return TRUE;
}

CWnd* CToolkitFrameWnd::GetControlBar(UINT nID) {
  if (CControlBar* bar = FindBar(nID)) return bar;
  return CFrameWnd::GetControlBar(nID);
}

void CToolkitFrameWnd::ShowControlBar(CWnd* pBar, BOOL bShow, BOOL bDelay) {
  CControlBar* bar =
      pBar && pBar->m_hWnd ? FindBar(static_cast<UINT>(pBar->GetDlgCtrlID())) : nullptr;
  CDockBar* dock = DockBarOf(bar);
  if (!dock) {
    CFrameWnd::ShowControlBar(pBar, bShow, bDelay);
    return;
  }
  dock->ShowBar(bar, bShow);
  if (!bDelay) RecalcLayout();
}

// --- layout -------------------------------------------------------------------------------

void CToolkitFrameWnd::RecalcLayout(BOOL bNotify) {
  if (m_bInRecalcLayout || !m_hWnd) return;
  m_bInRecalcLayout = TRUE;
  RECT rect;
  GetClientRect(&rect);
  const int width = rect.right - rect.left;
  // Bars that wrap (the menu bar) lay themselves out for the frame's width first.
  if (bNotify)
    for (CControlBar* bar : m_bars)
      if (CDockBar* dock = DockBarOf(bar)) dock->UpdateBarSize(bar, width);

  // First the bars outside the dock areas (the status bar): they size themselves.
  for (CControlBar* bar : m_bars) {
    if (!bar->IsVisible() || DockBarOf(bar) || bar->GetParent()->m_hWnd != m_hWnd) continue;
    bar->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, rect.bottom - rect.top));
    RECT barRect;
    bar->GetWindowRect(&barRect);
    const int height = barRect.bottom - barRect.top;
    if (bar->GetBarStyle() & CBRS_ALIGN_TOP) {
      bar->MoveWindow(rect.left, rect.top, width, height);
      rect.top += height;
    } else {
      bar->MoveWindow(rect.left, rect.bottom - height, width, height);
      rect.bottom -= height;
    }
  }
  // Then the dock areas, each as high as its rows of bands.
  for (CDockBar* dock : {&m_dockTop, &m_dockBottom}) {
    if (!dock->m_hWnd) continue;
    RECT dockRect;
    dock->GetWindowRect(&dockRect);
    const int y = dock == &m_dockTop ? rect.top : rect.bottom - (dockRect.bottom - dockRect.top);
    dock->MoveWindow(rect.left, y, width, dockRect.bottom - dockRect.top);
    const int height = dock->GetBarHeight();
    dock->ShowWindow(height > 0 ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (dock == &m_dockTop) {
      dock->MoveWindow(rect.left, rect.top, width, height);
      rect.top += height;
    } else {
      dock->MoveWindow(rect.left, rect.bottom - height, width, height);
      rect.bottom -= height;
    }
  }
  if (HWND view = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST))
    ::MoveWindow(view, rect.left, rect.top, width,
                 rect.bottom > rect.top ? rect.bottom - rect.top : 0, TRUE);
  m_bInRecalcLayout = FALSE;
}

// --- saved layout -------------------------------------------------------------------------

std::vector<CToolkitFrameWnd::BarPlace> CToolkitFrameWnd::GetBarLayout() {
  std::vector<BarPlace> places;
  for (CDockBar* dock : {&m_dockTop, &m_dockBottom}) {
    if (!dock->m_hWnd) continue;
    for (int i = 0; i < dock->GetBandCount(); ++i) {
      const CDockBar::Band band = dock->GetBand(i);
      places.push_back(BarPlace{band.nID, dock->GetEdge(), i, band.bBreak, band.cx, band.bVisible});
    }
  }
  for (CControlBar* bar : m_bars)
    if (!DockBarOf(bar))
      places.push_back(
          BarPlace{static_cast<UINT>(bar->GetDlgCtrlID()), 0, 0, FALSE, 0, bar->IsVisible()});
  return places;
}

namespace {

// The same bars at the same places, in any order of the records.
bool SameLayout(std::vector<CToolkitFrameWnd::BarPlace> a, std::vector<CToolkitFrameWnd::BarPlace> b) {
  if (a.size() != b.size()) return false;
  auto byId = [](const CToolkitFrameWnd::BarPlace& x, const CToolkitFrameWnd::BarPlace& y) {
    return x.nID < y.nID;
  };
  std::sort(a.begin(), a.end(), byId);
  std::sort(b.begin(), b.end(), byId);
  for (size_t i = 0; i < a.size(); ++i) {
    const CToolkitFrameWnd::BarPlace& x = a[i];
    const CToolkitFrameWnd::BarPlace& y = b[i];
    if (x.nID != y.nID || x.dwEdge != y.dwEdge || x.nIndex != y.nIndex || x.bBreak != y.bBreak ||
        x.cx != y.cx || x.bVisible != y.bVisible)
      return false;
  }
  return true;
}

}  // namespace

BOOL CToolkitFrameWnd::SetBarLayout(const std::vector<BarPlace>& requested) {
  // The menu bar always shows: no command could show it again, and without it the menus
  // are out of reach. Its visibility in a layout is ignored.
  std::vector<BarPlace> places = requested;
  for (BarPlace& place : places)
    if (m_wndMenuBar.m_hWnd && place.nID == static_cast<UINT>(m_wndMenuBar.GetDlgCtrlID()))
      place.bVisible = TRUE;
  // Check everything before moving anything.
  std::vector<UINT> seen;
  std::vector<int> topIndexes, bottomIndexes;
  for (const BarPlace& place : places) {
    CControlBar* bar = FindBar(place.nID);
    if (!bar || std::find(seen.begin(), seen.end(), place.nID) != seen.end()) return FALSE;
    seen.push_back(place.nID);
    const BOOL docked = DockBarOf(bar) != nullptr;
    if (!docked) {
      if (place.dwEdge != 0) return FALSE;
      continue;
    }
    if (!GetDockBar(place.dwEdge)) return FALSE;
    if (bar->GetDockStyle() && !(bar->GetDockStyle() & place.dwEdge)) return FALSE;
    (place.dwEdge == CBRS_ALIGN_TOP ? topIndexes : bottomIndexes).push_back(place.nIndex);
  }
  for (std::vector<int>* indexes : {&topIndexes, &bottomIndexes}) {
    std::sort(indexes->begin(), indexes->end());
    for (size_t i = 0; i < indexes->size(); ++i)
      if ((*indexes)[i] != static_cast<int>(i)) return FALSE;
  }

  // Bars already where the layout puts them stay: taking every band out and putting it
  // back costs a start-up about as much as creating the bars.
  if (SameLayout(places, GetBarLayout())) return TRUE;

  // The dock areas need their width before bands go in.
  RecalcLayout(FALSE);
  for (const BarPlace& place : places) {
    CControlBar* bar = FindBar(place.nID);
    if (CDockBar* dock = DockBarOf(bar)) dock->RemoveBar(bar);
  }
  std::vector<BarPlace> ordered = places;
  std::stable_sort(ordered.begin(), ordered.end(), [](const BarPlace& a, const BarPlace& b) {
    return a.dwEdge != b.dwEdge ? a.dwEdge < b.dwEdge : a.nIndex < b.nIndex;
  });
  for (const BarPlace& place : ordered) {
    CControlBar* bar = FindBar(place.nID);
    if (place.dwEdge == 0) {
      bar->ShowWindow(place.bVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
      continue;
    }
    GetDockBar(place.dwEdge)->InsertBar(bar, -1, place.bBreak, place.cx, place.bVisible);
    bar->m_dwStyle = (bar->m_dwStyle & ~CBRS_ALIGN_ANY) | place.dwEdge;
  }
  RecalcLayout();
  return TRUE;
}

void CToolkitFrameWnd::RememberDefaultLayout(BOOL bNow) {
  if (m_bDefaultLayoutKnown && !bNow) return;
  m_defaultLayout = GetBarLayout();
  m_bDefaultLayoutKnown = TRUE;
}

void CToolkitFrameWnd::SaveBarState(const char* profileName) {
  RememberDefaultLayout(FALSE);
  const std::vector<BarPlace> places = GetBarLayout();
  std::vector<BYTE> data(sizeof(LayoutHeader) + places.size() * sizeof(LayoutRecord));
  const LayoutHeader header = {kLayoutMagic, static_cast<DWORD>(places.size())};
  memcpy(data.data(), &header, sizeof(header));
  for (size_t i = 0; i < places.size(); ++i) {
    const BarPlace& place = places[i];
    const LayoutRecord record = {place.nID,  place.dwEdge, place.nIndex,
                                 place.bBreak, place.cx,   place.bVisible};
    memcpy(data.data() + sizeof(header) + i * sizeof(record), &record, sizeof(record));
  }
  profile::WriteBinary(profileName, kLayoutEntry, data.data(), static_cast<UINT>(data.size()));
}

void CToolkitFrameWnd::LoadBarState(const char* profileName) {
  RememberDefaultLayout(FALSE);
  std::vector<BYTE> data;
  std::vector<BarPlace> places;
  bool usable = profile::GetBinary(profileName, kLayoutEntry, &data) &&
                data.size() >= sizeof(LayoutHeader);
  if (usable) {
    LayoutHeader header;
    memcpy(&header, data.data(), sizeof(header));
    usable = header.magic == kLayoutMagic && header.count <= kMaxBars &&
             data.size() == sizeof(header) + header.count * sizeof(LayoutRecord);
    for (DWORD i = 0; usable && i < header.count; ++i) {
      LayoutRecord record;
      memcpy(&record, data.data() + sizeof(header) + i * sizeof(record), sizeof(record));
      places.push_back(BarPlace{record.nID, record.dwEdge, record.nIndex, record.bBreak != 0,
                                record.cx, record.bVisible != 0});
    }
  }
  if (usable && SetBarLayout(places)) return;
  SetBarLayout(m_defaultLayout);
}

// --- menus, commands and idle time --------------------------------------------------------

BOOL CToolkitFrameWnd::EnableMenuImages(UINT nIDToolBar) { return m_imageMenus.Load(nIDToolBar); }

BOOL CToolkitFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (m_wndMenuBar.m_hWnd && m_wndMenuBar.TranslateFrameMessage(pMsg)) return TRUE;
  return CFrameWnd::PreTranslateMessage(pMsg);
}

LRESULT CToolkitFrameWnd::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
  // The bars also receive this message themselves; the frame refreshes them all at once.
  const std::vector<CControlBar*> bars = m_bars;
  for (CControlBar* bar : bars)
    if (bar->IsVisible()) bar->OnUpdateCmdUI(this, wParam != 0);
  RefreshIdleMessage();
  return 0;
}

void CToolkitFrameWnd::OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu) {
  CFrameWnd::OnInitMenuPopup(hPopup, nIndex, bSysMenu);
  if (bSysMenu) return;
  m_imageMenus.OnInitMenuPopup(hPopup);
  m_wndMenuBar.OnFrameInitMenuPopup(hPopup);
}

LRESULT CToolkitFrameWnd::OnUninitMenuPopup(WPARAM wParam, LPARAM) {
  m_wndMenuBar.OnFrameUninitMenuPopup(reinterpret_cast<HMENU>(wParam));
  return Default();
}

void CToolkitFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu) {
  CFrameWnd::OnMenuSelect(nItemID, nFlags, hMenu);
  m_wndMenuBar.OnFrameMenuSelect(nItemID, nFlags, hMenu);
}

LRESULT CToolkitFrameWnd::OnMeasureItem(WPARAM wParam, LPARAM lParam) {
  if (wParam == 0 && m_imageMenus.OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
    return TRUE;
  return Default();
}

LRESULT CToolkitFrameWnd::OnDrawItem(WPARAM wParam, LPARAM lParam) {
  if (wParam == 0 && m_imageMenus.OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
    return TRUE;
  return Default();
}

LRESULT CToolkitFrameWnd::OnSysCommand(WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFF0) == SC_KEYMENU && m_wndMenuBar.m_hWnd && m_wndMenuBar.OnFrameKeyMenu(lParam))
    return 0;
  return Default();
}

BOOL CToolkitFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header && (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW)) {
    UINT nID = static_cast<UINT>(header->idFrom);
    auto* infoA = reinterpret_cast<NMTTDISPINFOA*>(lParam);
    // The two layouts differ in the size of szText, so uFlags lies at different offsets.
    const UINT flags = header->code == TTN_GETDISPINFOA
                           ? infoA->uFlags
                           : reinterpret_cast<NMTTDISPINFOW*>(lParam)->uFlags;
    if (flags & TTF_IDISHWND)
      nID = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)));
    m_strToolTip = ToolTipOf(nID);
    if (header->code == TTN_GETDISPINFOA) {
      infoA->lpszText = &m_strToolTip[0];
      infoA->hinst = nullptr;
    } else {
      auto* infoW = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      const int length = ::MultiByteToWideChar(CP_ACP, 0, m_strToolTip.c_str(), -1, nullptr, 0);
      m_wstrToolTip.assign(static_cast<size_t>(length > 0 ? length : 1), L'\0');
      if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, m_strToolTip.c_str(), -1, &m_wstrToolTip[0], length);
      infoW->lpszText = &m_wstrToolTip[0];
      infoW->hinst = nullptr;
    }
    if (pResult) *pResult = 0;
    return TRUE;
  }
  return CFrameWnd::OnNotify(wParam, lParam, pResult);
}

void CToolkitFrameWnd::OnSettingChange(UINT uFlags, LPCSTR section) {
  Default();
  CToolkitSettings& settings = CToolkitSettings::Get();
  settings.RefreshSystemMetrics();
  if (m_wndMenuBar.m_hWnd)
    m_wndMenuBar.SendMessage(WM_SETTINGCHANGE, uFlags, reinterpret_cast<LPARAM>(section));
  for (CControlBar* bar : m_bars)
    if (bar->IsKindOf(ORMIX_RUNTIME_CLASS(CStatusBar)))
      bar->SetFont(settings.GetStatusFont(), TRUE);
  settings.DeleteRetiredFonts();
}

LRESULT CToolkitFrameWnd::OnActivate(WPARAM wParam, LPARAM) {
  if (LOWORD(wParam) == WA_INACTIVE && m_wndMenuBar.m_hWnd) m_wndMenuBar.ResetKeyboardState();
  return Default();
}

LRESULT CToolkitFrameWnd::OnLoseInput(WPARAM, LPARAM) {
  if (m_wndMenuBar.m_hWnd) m_wndMenuBar.ResetKeyboardState();
  return Default();
}
