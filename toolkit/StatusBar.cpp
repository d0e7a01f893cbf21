#include "toolkit/StatusBar.h"

#include "framework/CmdUI.h"
#include "framework/FrameWnd.h"
#include "framework/StringResource.h"

#include <cstring>

ORMIX_IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

ORMIX_BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
  msgmap::Size<&CStatusBar::OnSize>(),
  msgmap::Message<&CStatusBar::OnSetFont>(WM_SETFONT),
ORMIX_END_MESSAGE_MAP()

namespace {

// Applies an indicator's state to its pane: a disabled pane shows no text.
class CStatusCmdUI : public CCmdUI {
 public:
  CStatusCmdUI(UINT nID, CStatusBar* pBar, int nIndex)
      : CCmdUI(nID), m_pBar(pBar), m_nIndex(nIndex) {}

  void Enable(BOOL bOn) override {
    CCmdUI::Enable(bOn);
    const UINT style = m_pBar->GetPaneStyle(m_nIndex);
    const UINT wanted = bOn ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
    if (wanted != style) m_pBar->SetPaneStyle(m_nIndex, wanted);
  }
  void SetCheck(int nCheck) override {
    CCmdUI::SetCheck(nCheck);
    const UINT style = m_pBar->GetPaneStyle(m_nIndex);
    const UINT wanted = nCheck ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
    if (wanted != style) m_pBar->SetPaneStyle(m_nIndex, wanted);
  }
  void SetText(const char* text) override {
    CCmdUI::SetText(text);
    m_pBar->SetPaneText(m_nIndex, text);
  }

 private:
  CStatusBar* m_pBar;
  int m_nIndex;
};

}  // namespace

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  if (!CreateBar(pParentWnd, STATUSCLASSNAMEA, SBARS_SIZEGRIP | CCS_BOTTOM, dwStyle, nID))
    return FALSE;
  // The frame's default font until the application gives it another.
  SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (!m_hWnd || nIDCount <= 0 || nIDCount > 255 || !lpIDArray) return FALSE;
  m_panes.assign(static_cast<size_t>(nIDCount), Pane());
  BOOL allFound = TRUE;
  for (int i = 0; i < nIDCount; ++i) {
    Pane& pane = m_panes[static_cast<size_t>(i)];
    pane.nID = lpIDArray[i];
    if (pane.nID == ID_SEPARATOR) {
      pane.nStyle = i == 0 ? SBPS_STRETCH : SBPS_NORMAL;
      continue;
    }
    pane.text = LoadResourceString(pane.nID);
    if (pane.text.empty()) allFound = FALSE;
    pane.cxText = MeasureText(pane.text.c_str());
  }
  UpdateAllPanes(TRUE, TRUE);
  return allFound;
}

UINT CStatusBar::GetItemID(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount()) return 0;
  return m_panes[static_cast<size_t>(nIndex)].nID;
}

int CStatusBar::CommandToIndex(UINT nID) const {
  for (int i = 0; i < GetCount(); ++i)
    if (m_panes[static_cast<size_t>(i)].nID == nID) return i;
  return -1;
}

void CStatusBar::SetPaneWidth(int nIndex, int cxWidth) {
  if (nIndex < 0 || nIndex >= GetCount()) return;
  m_panes[static_cast<size_t>(nIndex)].cxText = cxWidth < 0 ? 0 : cxWidth;
  UpdateAllPanes(TRUE, FALSE);
}

UINT CStatusBar::GetPaneStyle(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount()) return 0;
  return m_panes[static_cast<size_t>(nIndex)].nStyle;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
  if (nIndex < 0 || nIndex >= GetCount()) return;
  m_panes[static_cast<size_t>(nIndex)].nStyle = nStyle;
  ShowPaneText(nIndex);
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* text, BOOL bUpdate) {
  if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
  m_panes[static_cast<size_t>(nIndex)].text = text ? text : "";
  if (bUpdate) ShowPaneText(nIndex);
  return TRUE;
}

std::string CStatusBar::GetPaneText(int nIndex) const {
  if (!m_hWnd || nIndex < 0 || nIndex >= GetCount()) return "";
  // The length may count characters rather than bytes: leave room for two bytes each.
  const LRESULT info = SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nIndex));
  std::string text(static_cast<size_t>(LOWORD(info)) * 2 + 2, '\0');
  SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(strlen(text.c_str()));
  return text;
}

void CStatusBar::GetItemRect(int nIndex, RECT* rect) const {
  *rect = RECT{0, 0, 0, 0};
  SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(rect));
}

int CStatusBar::MeasureText(const char* text) const {
  if (!m_hWnd || !text || !*text) return 0;
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ old = ::SelectObject(dc, GetFont());
  SIZE size = {0, 0};
  ::GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
  return size.cx;
}

void CStatusBar::SetPaneWindow(int nIndex, HWND hWnd) {
  if (nIndex < 0 || nIndex >= GetCount()) return;
  m_panes[static_cast<size_t>(nIndex)].hWndInPane = hWnd;
  RepositionPaneWindows();
}

void CStatusBar::RepositionPaneWindows() {
  for (int i = 0; i < GetCount(); ++i) {
    HWND hWnd = m_panes[static_cast<size_t>(i)].hWndInPane;
    if (!hWnd || !::IsWindow(hWnd)) continue;
    RECT rect;
    GetItemRect(i, &rect);
    ::SetWindowPos(hWnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

SIZE CStatusBar::CalcFixedLayout() {
  RECT rect = {};
  if (m_hWnd) GetWindowRect(&rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
  if (!m_hWnd || !pTarget) return;
  // A pane without a handler keeps its text: indicators are not disabled automatically.
  for (int i = 0; i < GetCount(); ++i) {
    const UINT nID = m_panes[static_cast<size_t>(i)].nID;
    if (nID == ID_SEPARATOR) continue;
    CStatusCmdUI state(nID, this, i);
    state.DoUpdate(pTarget, FALSE);
  }
}

void CStatusBar::OnSize(UINT, int, int) {
  Default();
  UpdateAllPanes(TRUE, FALSE);
  RepositionPaneWindows();
}

LRESULT CStatusBar::OnSetFont(WPARAM, LPARAM) {
  const LRESULT result = Default();
  UpdateAllPanes(TRUE, FALSE);
  return result;
}

void CStatusBar::UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText) {
  if (!m_hWnd || m_panes.empty()) return;
  if (bUpdateRects) {
    int borders[3] = {0, 0, 0};  // horizontal, vertical, between parts
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    RECT client;
    GetClientRect(&client);
    // The size grip takes the bar's height at the right end.
    const int gripWidth = (GetStyle() & SBARS_SIZEGRIP) ? client.bottom - client.top : 0;
    int extra = client.right - client.left - gripWidth - borders[0];
    int stretchy = 0;
    for (const Pane& pane : m_panes) {
      if (pane.nStyle & SBPS_STRETCH) ++stretchy;
      extra -= pane.cxText + kPaneBorder + borders[2];
    }
    std::vector<int> rights;
    int right = borders[0];
    for (const Pane& pane : m_panes) {
      right += pane.cxText + kPaneBorder;
      if ((pane.nStyle & SBPS_STRETCH) && extra > 0) {
        const int share = extra / stretchy;
        right += share;
        extra -= share;
        --stretchy;
      }
      rights.push_back(right);
      right += borders[2];
    }
    SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
  }
  if (bUpdateText)
    for (int i = 0; i < GetCount(); ++i) ShowPaneText(i);
}

void CStatusBar::ShowPaneText(int nIndex) {
  const Pane& pane = m_panes[static_cast<size_t>(nIndex)];
  // Pane 0's text belongs to the frame's messages, which set it directly.
  if (nIndex == 0 && pane.nID == ID_SEPARATOR) return;
  const std::string shown = (pane.nStyle & SBPS_DISABLED) ? "" : pane.text;
  UINT type = 0;
  if (pane.nStyle & SBPS_NOBORDERS) type |= SBT_NOBORDERS;
  if (pane.nStyle & SBPS_POPOUT) type |= SBT_POPOUT;
  SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex) | type,
              reinterpret_cast<LPARAM>(shown.c_str()));
}
