#include "toolkit/TabView.h"

#include <algorithm>
#include <utility>

#include "framework/FrameworkMessages.h"
#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "toolkit/LabelFitter.h"

ORMIX_IMPLEMENT_DYNAMIC(CTabView, CCtrlView)

ORMIX_BEGIN_MESSAGE_MAP(CTabView, CCtrlView)
  msgmap::Create<&CTabView::OnCreate>(),
  msgmap::Destroy<&CTabView::OnDestroy>(),
  msgmap::Size<&CTabView::OnSize>(),
  msgmap::NotifyReflect<&CTabView::OnSelChange>(TCN_SELCHANGE),
  msgmap::Message<&CTabView::OnDrawItem>(WM_DRAWITEM),
  msgmap::Mouse<&CTabView::OnMouseMove>(WM_MOUSEMOVE),
  msgmap::Mouse<&CTabView::OnLButtonDown>(WM_LBUTTONDOWN),
  msgmap::Mouse<&CTabView::OnLButtonUp>(WM_LBUTTONUP),
  msgmap::Message<&CTabView::OnSetFontMessage>(WM_SETFONT),
  msgmap::Message<&CTabView::OnNotifyFormat>(WM_NOTIFYFORMAT),
  msgmap::Message<&CTabView::OnInitMenuPopup>(WM_INITMENUPOPUP),
  msgmap::Message<&CTabView::OnMeasureItem>(WM_MEASUREITEM),
  msgmap::Message<&CTabView::OnParentNotify>(WM_PARENTNOTIFY),
  msgmap::Message<&CTabView::OnHScroll>(WM_HSCROLL),
ORMIX_END_MESSAGE_MAP()

namespace {

// The close button's column at the right end of the strip: the tabs never show there, and
// the control's scroll arrows sit left of it.
constexpr int kCloseButtonWidth = 20;
// Room around a label in a tab: the icon, its gap and the tab's own padding.
constexpr int kTabPadding = 16 + 6 + 12;

bool IsScrollArrows(HWND hWnd) {
  char name[32] = "";
  ::GetClassNameA(hWnd, name, sizeof(name));
  return ::lstrcmpiA(name, UPDOWN_CLASSA) == 0;
}

}  // namespace

CTabView::CTabView() : CCtrlView(WC_TABCONTROLA, TCS_TOOLTIPS) {}

CTabView::~CTabView() = default;

std::string CTabView::FitLabel(const char* text) {
  std::string label = text ? text : "";
  label.resize(CLabelFitter::BoundaryPrefix(label, kLabelBufferSize - 1));
  return label;
}

BOOL CTabView::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!CCtrlView::PreCreateWindow(cs)) return FALSE;
  // The control would make a tool tip of its own at creation, only to have it replaced by
  // this view's; each one is a top-level window, which is slow to make. The style bit goes
  // back on once the control exists.
  m_bToolTipStyle = (cs.style & TCS_TOOLTIPS) != 0;
  cs.style &= ~static_cast<LONG>(TCS_TOOLTIPS);
  return TRUE;
}

int CTabView::OnCreate(LPCREATESTRUCTA cs) {
  if (CCtrlView::OnCreate(cs) == -1) return -1;
  if (m_bToolTipStyle) ModifyStyle(0, TCS_TOOLTIPS);
  if (!m_wndClose.Create(this, ID_TAB_CLOSE_BUTTON)) return -1;
  // The strip measures its labels with the font it draws them in.
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)));
  return 0;
}

BOOL CTabView::EnsureToolTip() {
  if (m_hWndToolTip) return TRUE;
  // The strip's tool tips ask this view for their texts, by tab index.
  m_hWndToolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
  if (!m_hWndToolTip) return FALSE;
  // A title runs to any length: its tip wraps at half the width of the screen's work area, so
  // that all of it shows, on the screen.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  int width = kMinToolTipWidth * 2;
  if (::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor))
    width = static_cast<int>(monitor.rcWork.right - monitor.rcWork.left);
  ::SendMessageA(m_hWndToolTip, TTM_SETMAXTIPWIDTH, 0, std::max(kMinToolTipWidth, width / 2));
  HWND hWndOwn = reinterpret_cast<HWND>(SendMessage(TCM_GETTOOLTIPS));
  SendMessage(TCM_SETTOOLTIPS, reinterpret_cast<WPARAM>(m_hWndToolTip));
  if (hWndOwn && hWndOwn != m_hWndToolTip) ::DestroyWindow(hWndOwn);
  AddCloseButtonTool();
  return TRUE;
}

void CTabView::AddCloseButtonTool() {
  if (!m_hWndToolTip || m_strCloseTip.empty() || !m_wndClose.m_hWnd) return;
  TOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = m_hWnd;
  tool.uId = reinterpret_cast<UINT_PTR>(m_wndClose.m_hWnd);
  tool.lpszText = const_cast<char*>(m_strCloseTip.c_str());
  ::SendMessageA(m_hWndToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageA(m_hWndToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CTabView::SetCloseButtonTip(UINT nIDText) {
  m_strCloseTip = LoadResourceString(nIDText);
  AddCloseButtonTool();
}

void CTabView::OnDestroy() {
  if (m_hWndToolTip) ::DestroyWindow(m_hWndToolTip);
  m_hWndToolTip = nullptr;
  m_nTools = 0;
  CCtrlView::OnDestroy();
}

void CTabView::OnSize(UINT, int, int) {
  Default();
  UpdateItemSizes();
  RecalcTabLayout();
}

LRESULT CTabView::OnSetFontMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  UpdateItemSizes();
  RecalcTabLayout();
  return result;
}

void CTabView::RelayToToolTip(UINT message, UINT keys, POINT pt) {
  if (m_hWndToolTip) {
    MSG msg = {};
    msg.hwnd = m_hWnd;
    msg.message = message;
    msg.wParam = keys;
    msg.lParam = MAKELPARAM(pt.x, pt.y);
    ::SendMessageA(m_hWndToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  }
  Default();
}

void CTabView::OnMouseMove(UINT keys, POINT pt) { RelayToToolTip(WM_MOUSEMOVE, keys, pt); }
void CTabView::OnLButtonDown(UINT keys, POINT pt) { RelayToToolTip(WM_LBUTTONDOWN, keys, pt); }
void CTabView::OnLButtonUp(UINT keys, POINT pt) { RelayToToolTip(WM_LBUTTONUP, keys, pt); }

LRESULT CTabView::OnNotifyFormat(WPARAM, LPARAM lParam) {
  // The program is ANSI: the strip's tool tips and the tab windows notify it in ANSI.
  if (lParam == NF_QUERY) return NFR_ANSI;
  return Default();
}

void CTabView::OnSelChange(NMHDR*, LRESULT* result) {
  ActivateTab(GetActiveTab());
  *result = 0;
}

LRESULT CTabView::OnInitMenuPopup(WPARAM wParam, LPARAM) {
  const LRESULT result = Default();
  if (m_menuImages.IsLoaded()) m_menuImages.OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
  return result;
}

LRESULT CTabView::OnMeasureItem(WPARAM, LPARAM lParam) {
  auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  if (measure && m_menuImages.OnMeasureItem(measure)) return TRUE;
  return Default();
}

LRESULT CTabView::OnDrawItem(WPARAM wParam, LPARAM lParam) {
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (item && item->CtlType == ODT_MENU) return m_menuImages.OnDrawItem(item) ? TRUE : Default();
  if (wParam != ID_TAB_CLOSE_BUTTON || !item || item->hwndItem != m_wndClose.m_hWnd) return Default();
  m_wndClose.Draw(*item);
  return TRUE;
}

LRESULT CTabView::OnParentNotify(WPARAM wParam, LPARAM lParam) {
  // The control makes its scroll arrows when the tabs first overflow: keep them clear of
  // the close button from then on.
  const HWND hWndChild = reinterpret_cast<HWND>(lParam);
  if (LOWORD(wParam) == WM_CREATE && !m_wndArrows.m_hWnd && IsScrollArrows(hWndChild) &&
      m_wndArrows.SubclassWindow(hWndChild)) {
    m_wndArrows.SetReservedWidth(kCloseButtonWidth);
    RECT rect = {};
    m_wndArrows.GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    m_wndArrows.SetWindowPos(nullptr, rect.left, rect.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return Default();
}

LRESULT CTabView::OnHScroll(WPARAM, LPARAM) {
  const LRESULT result = Default();
  UpdateToolRects();
  return result;
}

int CTabView::GetActiveTab() const {
  return static_cast<int>(SendMessage(TCM_GETCURSEL));
}

int CTabView::IndexOfWindow(HWND hWnd) const {
  if (!hWnd) return -1;
  for (size_t i = 0; i < m_tabs.size(); ++i)
    if (m_tabs[i].hWnd == hWnd) return static_cast<int>(i);
  return -1;
}

int CTabView::InsertTab(const char* label, CWnd* pWnd, int nPos, int nImage) {
  if (!pWnd || !pWnd->IsWindow()) return -1;
  if (::GetParent(pWnd->m_hWnd) != m_hWnd) ::SetParent(pWnd->m_hWnd, m_hWnd);
  const int count = GetTabCount();
  const int pos = (nPos < 0 || nPos > count) ? count : nPos;
  const std::string text = FitLabel(label);
  const std::string whole = label ? label : "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<char*>(text.c_str());
  item.iImage = nImage;
  const int index = static_cast<int>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(pos),
                                                 reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return -1;
  m_tabs.insert(m_tabs.begin() + index, TabRecord{pWnd->m_hWnd, text, whole, nImage});
  UpdateItemSizes();
  ActivateTab(index);
  return index;
}

CWnd* CTabView::TabWindow(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetTabCount()) return nullptr;
  const HWND hWnd = m_tabs[static_cast<size_t>(nIndex)].hWnd;
  return ::IsWindow(hWnd) ? CWnd::FromHandle(hWnd) : nullptr;
}

CWnd* CTabView::ActiveTabWindow() const { return TabWindow(GetActiveTab()); }

void CTabView::ActivateTab(int nIndex) {
  if (nIndex < 0 || nIndex >= GetTabCount()) return;
  SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(nIndex));
  m_wndArrows.EnsureTabVisible(nIndex);
  for (size_t i = 0; i < m_tabs.size(); ++i) {
    if (static_cast<int>(i) == nIndex || !::IsWindow(m_tabs[i].hWnd)) continue;
    ::SendMessageA(m_tabs[i].hWnd, WM_FLUSHDEFERREDPAINT, 0, 0);
    ::ShowWindow(m_tabs[i].hWnd, SW_HIDE);
    ::EnableWindow(m_tabs[i].hWnd, FALSE);
  }
  RecalcTabLayout();
  const HWND hWnd = m_tabs[static_cast<size_t>(nIndex)].hWnd;
  if (!::IsWindow(hWnd)) return;
  ::EnableWindow(hWnd, TRUE);
  ::ShowWindow(hWnd, SW_SHOW);
  ::SetFocus(hWnd);
}

void CTabView::RemoveTabWindow(CWnd* pWnd, BOOL bDestroy) {
  if (!pWnd) return;
  RemoveTabAt(IndexOfWindow(pWnd->m_hWnd), bDestroy);
}

void CTabView::RemoveTabAt(int nIndex, BOOL bDestroy) {
  if (nIndex < 0 || nIndex >= GetTabCount()) return;
  const HWND hWnd = m_tabs[static_cast<size_t>(nIndex)].hWnd;
  if (::IsWindow(hWnd)) {
    if (bDestroy) {
      ::DestroyWindow(hWnd);
    } else {
      ::SendMessageA(hWnd, WM_FLUSHDEFERREDPAINT, 0, 0);
      ::ShowWindow(hWnd, SW_HIDE);
    }
  }
  SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(nIndex));
  m_tabs.erase(m_tabs.begin() + nIndex);
  UpdateItemSizes();
  if (m_tabs.empty()) {
    RecalcTabLayout();
    Invalidate();
    return;
  }
  ActivateTab(nIndex == 0 ? 0 : nIndex - 1);
}

int CTabView::TabFromPoint(int x, int y) const {
  TCHITTESTINFO hit = {};
  hit.pt.x = x;
  hit.pt.y = y;
  return static_cast<int>(SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void CTabView::ChangeTabStyle(DWORD dwRemove, DWORD dwAdd) {
  const DWORD style = GetStyle();
  const DWORD changed = (style & ~dwRemove) | dwAdd;
  if (changed == style) return;
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  UpdateItemSizes();
  RecalcTabLayout();
  // The control paints over its children when it repaints (it does not clip them), so the
  // tab's window and its own children, such as a list's column header, repaint as well.
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CTabView::SetShortenLabels(BOOL bShorten) {
  if (!bShorten == !m_bShortenLabels) return;
  m_bShortenLabels = bShorten;
  if (m_tabs.empty()) return;
  UpdateItemSizes();
  RecalcTabLayout();
}

void CTabView::SetTabLabelFor(CWnd* pWnd, const char* text) {
  if (!pWnd || !text || !*text) return;
  const int index = IndexOfWindow(pWnd->m_hWnd);
  if (index < 0) return;
  TabRecord& tab = m_tabs[static_cast<size_t>(index)];
  std::string label = FitLabel(text);
  // Browsers repeat a title many times while a page loads; laying the strip out again for
  // each would keep the browser waiting for nothing.
  if (label == tab.label && tab.toolTip == text) return;
  tab.label = std::move(label);
  tab.toolTip = text;  // the whole title, however long
  UpdateItemSizes();
  RecalcTabLayout();
}

void CTabView::SetTabImageFor(CWnd* pWnd, int nImage) {
  if (!pWnd) return;
  const int index = IndexOfWindow(pWnd->m_hWnd);
  if (index < 0) return;
  TabRecord& tab = m_tabs[static_cast<size_t>(index)];
  if (tab.nImage == nImage) return;
  tab.nImage = nImage;
  TCITEMA item = {};
  item.mask = TCIF_IMAGE;
  item.iImage = nImage;
  SendMessage(TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void CTabView::SetItemText(int nIndex, const std::string& text) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessage(TCM_SETITEMA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&item));
}

void CTabView::UpdateItemSizes() {
  if (!m_hWnd) return;
  const int count = GetTabCount();
  RECT client = {};
  GetClientRect(&client);
  const int strip = std::max(0, static_cast<int>(client.right - client.left) - kCloseButtonWidth);
  const CLabelFitter fitter(m_hWnd, GetFont());
  // No label is wider than the longest allowed; with shortening on, each label also gets no
  // more than an equal share of the strip when all do not fit.
  int limit = kMaxLabelChars * fitter.AverageCharWidth();
  const int share = count > 0 ? strip / count - kTabPadding : 0;
  if (m_bShortenLabels && share > 0) limit = std::min(limit, share);
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    const std::string shown = fitter.Fit(m_tabs[static_cast<size_t>(i)].label, limit);
    SetItemText(i, shown);
    widest = std::max(widest, fitter.Width(shown));
  }
  // Equal widths: every tab as wide as the widest label. Without the style the control
  // sizes each tab to its label; setting the size makes it measure the tabs again.
  const int width = (GetStyle() & TCS_FIXEDWIDTH) && count > 0 ? widest + kTabPadding : 0;
  SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(width, 0));
}

void CTabView::UpdateToolRects() {
  // The tool tip comes with the first tab; without tabs there is nothing to add to it.
  if (!m_tabs.empty()) EnsureToolTip();
  if (!m_hWndToolTip) return;
  TOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = m_hWnd;
  tool.lpszText = LPSTR_TEXTCALLBACKA;
  for (; m_nTools > m_tabs.size(); --m_nTools) {
    tool.uId = m_nTools - 1;
    ::SendMessageA(m_hWndToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (; m_nTools < m_tabs.size(); ++m_nTools) {
    tool.uId = m_nTools;
    ::SendMessageA(m_hWndToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // A tab's tool is the part of it the strip shows: scrolled away, under the arrows or
  // the close button, it has none.
  RECT client = {};
  GetClientRect(&client);
  const int arrows = m_wndArrows.StripRight();
  const LONG stripRight = arrows >= 0 ? arrows : client.right - kCloseButtonWidth;
  for (size_t i = 0; i < m_nTools; ++i) {
    RECT rect = {};
    SendMessage(TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
    const RECT strip = {0, rect.top, stripRight, rect.bottom};
    if (!::IntersectRect(&tool.rect, &rect, &strip)) tool.rect = RECT{};
    tool.uId = i;
    ::SendMessageA(m_hWndToolTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CTabView::RecalcTabLayout() {
  if (!m_hWnd) return;
  RECT client = {};
  GetClientRect(&client);
  RECT display = client;
  SendMessage(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  LayOutDisplayArea(display);
  const int active = GetActiveTab();
  if (active >= 0 && active < GetTabCount()) {
    const HWND hWnd = m_tabs[static_cast<size_t>(active)].hWnd;
    if (::IsWindow(hWnd))
      ::SetWindowPos(hWnd, HWND_TOP, display.left, display.top,
                     std::max(0, static_cast<int>(display.right - display.left)),
                     std::max(0, static_cast<int>(display.bottom - display.top)), SWP_NOACTIVATE);
  }
  UpdateToolRects();
  if (!m_wndClose.m_hWnd) return;
  if (m_tabs.empty()) {
    m_wndClose.ShowWindow(SW_HIDE);
    return;
  }
  // The button fills its column at the right end of the strip, from the top down to the
  // row of tabs' lower edge, so that no part of a tab shows beside it.
  RECT first = {};
  SendMessage(TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const int height = std::max(static_cast<int>(first.bottom), 1);
  m_wndClose.SetWindowPos(HWND_TOP, client.right - kCloseButtonWidth, 0, kCloseButtonWidth, height,
                          SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::RedrawWindow(m_wndClose.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

BOOL CTabView::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  if (CWnd* tab = ActiveTabWindow()) {
    CWnd* target = CWnd::FromHandlePermanent(tab->m_hWnd);
    if (target && target->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  }
  return CCtrlView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
