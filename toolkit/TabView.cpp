#include "toolkit/TabView.h"

#include <algorithm>
#include <utility>

#include "framework/FrameworkMessages.h"
#include "framework/StandardIds.h"

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
ORMIX_END_MESSAGE_MAP()

namespace {

constexpr int kCloseButtonSize = 14;
constexpr int kCloseButtonMargin = 3;
// Room around a label in a tab: the icon, its gap and the tab's own padding.
constexpr int kTabPadding = 16 + 6 + 12;
const char kEllipsis[] = "...";

// Length of the longest prefix of `text` that is at most `limit` bytes and does not end
// inside a double-byte character.
size_t CharBoundaryPrefix(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t step =
        (::IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size()) ? 2 : 1;
    if (end + step > limit) break;
    end += step;
  }
  return end;
}

}  // namespace

CTabView::CTabView() : CCtrlView(WC_TABCONTROLA, TCS_TOOLTIPS) {}

CTabView::~CTabView() = default;

std::string CTabView::FitLabel(const char* text) {
  std::string label = text ? text : "";
  label.resize(CharBoundaryPrefix(label, kLabelBufferSize - 1));
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
  m_hWndClose = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_OWNERDRAW, 0, 0,
                                  kCloseButtonSize, kCloseButtonSize, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ID_TAB_CLOSE_BUTTON)),
                                  ::GetModuleHandleA(nullptr), nullptr);
  if (!m_hWndClose) return -1;
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
  HWND hWndOwn = reinterpret_cast<HWND>(SendMessage(TCM_GETTOOLTIPS));
  SendMessage(TCM_SETTOOLTIPS, reinterpret_cast<WPARAM>(m_hWndToolTip));
  if (hWndOwn && hWndOwn != m_hWndToolTip) ::DestroyWindow(hWndOwn);
  return TRUE;
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
  if (wParam != ID_TAB_CLOSE_BUTTON || !item || item->hwndItem != m_hWndClose) return Default();
  // A flat button with a cross; raised while pressed. Drawn by hand because the caption
  // glyph font is not everywhere.
  RECT rc = item->rcItem;
  ::FillRect(item->hDC, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  if (pressed) ::DrawEdge(item->hDC, &rc, BDR_SUNKENOUTER, BF_RECT);
  const int inset = 4 + (pressed ? 1 : 0);
  HPEN pen = ::CreatePen(PS_SOLID, 2, ::GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = ::SelectObject(item->hDC, pen);
  ::MoveToEx(item->hDC, rc.left + inset, rc.top + inset, nullptr);
  ::LineTo(item->hDC, rc.right - inset + (pressed ? 1 : 0) - 1, rc.bottom - inset - 1 + (pressed ? 1 : 0));
  ::MoveToEx(item->hDC, rc.right - inset - 1 + (pressed ? 1 : 0), rc.top + inset, nullptr);
  ::LineTo(item->hDC, rc.left + inset, rc.bottom - inset - 1 + (pressed ? 1 : 0));
  ::SelectObject(item->hDC, old);
  ::DeleteObject(pen);
  return TRUE;
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
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<char*>(text.c_str());
  item.iImage = nImage;
  const int index = static_cast<int>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(pos),
                                                 reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return -1;
  m_tabs.insert(m_tabs.begin() + index, TabRecord{pWnd->m_hWnd, text, text, nImage});
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
  Invalidate();
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
  if (label == tab.label && label == tab.toolTip) return;
  tab.label = std::move(label);
  tab.toolTip = tab.label;
  UpdateItemSizes();
  RecalcTabLayout();
}

void CTabView::SetItemText(int nIndex, const std::string& text) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessage(TCM_SETITEMA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&item));
}

int CTabView::TextWidth(const std::string& text) const {
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return 0;
  HFONT font = GetFont();
  HGDIOBJ old = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  SIZE size = {};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  return size.cx;
}

void CTabView::UpdateItemSizes() {
  if (!m_hWnd) return;
  const int count = GetTabCount();
  RECT client = {};
  GetClientRect(&client);
  const int strip = std::max(0, static_cast<int>(client.right - client.left) -
                                    (kCloseButtonSize + 2 * kCloseButtonMargin));
  // With shortening on, each label gets an equal share of the strip when all do not fit.
  const int share = count > 0 ? strip / count - kTabPadding : 0;
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    const std::string& label = m_tabs[static_cast<size_t>(i)].label;
    std::string shown = label;
    if (m_bShortenLabels && share > 0 && TextWidth(label) > share) {
      size_t keep = label.size();
      const int ellipsis = TextWidth(kEllipsis);
      while (keep > 0) {
        keep = CharBoundaryPrefix(label, keep - 1);
        if (TextWidth(label.substr(0, keep)) + ellipsis <= share) break;
      }
      shown = label.substr(0, keep) + kEllipsis;
    }
    SetItemText(i, shown);
    widest = std::max(widest, TextWidth(shown));
  }
  // Equal widths: every tab as wide as the widest label. Without the style the control
  // sizes each tab to its label; setting the size makes it measure the tabs again.
  const int width = (GetStyle() & TCS_FIXEDWIDTH) && count > 0 ? widest + kTabPadding : 0;
  SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(width, 0));
  UpdateToolRects();
}

void CTabView::UpdateToolRects() {
  // The tool tip comes with the first tab; without tabs there is nothing to add to it.
  if (!m_tabs.empty()) EnsureToolTip();
  if (!m_hWndToolTip) return;
  TOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = m_hWnd;
  for (size_t i = 0; i < m_nTools; ++i) {
    tool.uId = i;
    ::SendMessageA(m_hWndToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  m_nTools = m_tabs.size();
  for (size_t i = 0; i < m_nTools; ++i) {
    tool.uId = i;
    tool.uFlags = 0;
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessage(TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tool.rect));
    ::SendMessageA(m_hWndToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CTabView::RecalcTabLayout() {
  if (!m_hWnd) return;
  RECT client = {};
  GetClientRect(&client);
  RECT display = client;
  SendMessage(TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const int active = GetActiveTab();
  if (active >= 0 && active < GetTabCount()) {
    const HWND hWnd = m_tabs[static_cast<size_t>(active)].hWnd;
    if (::IsWindow(hWnd))
      ::SetWindowPos(hWnd, HWND_TOP, display.left, display.top,
                     std::max(0, static_cast<int>(display.right - display.left)),
                     std::max(0, static_cast<int>(display.bottom - display.top)), SWP_NOACTIVATE);
  }
  if (!m_hWndClose) return;
  if (m_tabs.empty()) {
    ::ShowWindow(m_hWndClose, SW_HIDE);
    return;
  }
  // The button sits at the right end of the strip, centred on the row of tabs.
  RECT first = {};
  SendMessage(TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const int rowTop = first.top;
  const int rowHeight = std::max(static_cast<int>(first.bottom - first.top), kCloseButtonSize);
  const int x = client.right - kCloseButtonSize - kCloseButtonMargin;
  const int y = rowTop + (rowHeight - kCloseButtonSize) / 2;
  ::SetWindowPos(m_hWndClose, HWND_TOP, x, y, kCloseButtonSize, kCloseButtonSize,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::RedrawWindow(m_hWndClose, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

BOOL CTabView::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  if (CWnd* tab = ActiveTabWindow()) {
    CWnd* target = CWnd::FromHandlePermanent(tab->m_hWnd);
    if (target && target->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  }
  return CCtrlView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
