#include "toolkit/MenuBar.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "framework/FrameWnd.h"
#include "toolkit/ToolkitFrameWnd.h"
#include "toolkit/ToolkitSettings.h"

ORMIX_IMPLEMENT_DYNAMIC(CMenuBar, CControlBar)

namespace {

// Button ids: out of the command range, so that no button is taken for a command.
constexpr UINT kFirstButtonId = 0x7E00;
// Posted to the bar to open a menu once the message that asked for it is handled.
constexpr UINT kOpenMenuMessage = WM_APP + 0x37F0;

// The bar whose pop-ups are being tracked on this thread; the message filter hook has no
// other way to find it.
thread_local CMenuBar* t_pTracking = nullptr;

UINT MnemonicOf(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(*p))) {
      if (!p[1]) break;
      ++p;
      continue;
    }
    if (*p != '&') continue;
    if (p[1] == '&') {
      ++p;
      continue;
    }
    const BYTE ch = static_cast<BYTE>(p[1]);
    if (ch == 0 || ::IsDBCSLeadByte(ch)) return 0;
    return static_cast<UINT>(static_cast<BYTE>(reinterpret_cast<UINT_PTR>(
        ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(ch))))));
  }
  return 0;
}

}  // namespace

ORMIX_BEGIN_MESSAGE_MAP(CMenuBar, CControlBar)
  msgmap::NotifyReflect<&CMenuBar::OnDropDown>(TBN_DROPDOWN),
  msgmap::Message<&CMenuBar::OnOpenMenuMessage>(kOpenMenuMessage),
  msgmap::SettingChange<&CMenuBar::OnSettingChange>(),
  msgmap::Message<&CMenuBar::OnLoseInput>(WM_KILLFOCUS),
  msgmap::Message<&CMenuBar::OnLoseInput>(WM_CANCELMODE),
ORMIX_END_MESSAGE_MAP()

CMenuBar::CMenuBar() = default;

CMenuBar::~CMenuBar() {
  if (m_hMenu) ::DestroyMenu(m_hMenu);
}

BOOL CMenuBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT, UINT nID) {
  // Text buttons beside (not below) their missing images; no tool tips on menu titles.
  const DWORD ctrlStyle = dwCtrlStyle | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN |
                          CCS_NORESIZE | CCS_NODIVIDER;
  if (!CreateBar(pParentWnd, TOOLBARCLASSNAMEA, ctrlStyle, dwStyle & ~CBRS_TOOLTIPS, nID))
    return FALSE;
  SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
  ApplyFont();
  return TRUE;
}

BOOL CMenuBar::LoadMenuBar(UINT nIDResource) {
  if (!m_hWnd) return FALSE;
  HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource));
  if (!menu) return FALSE;
  while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
  if (m_hMenu) ::DestroyMenu(m_hMenu);
  m_hMenu = menu;
  m_mnemonics.clear();

  const int count = ::GetMenuItemCount(menu);
  std::vector<std::string> texts(static_cast<size_t>(count > 0 ? count : 0));
  std::vector<TBBUTTON> buttons;
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
    texts[static_cast<size_t>(i)] = text;
    m_mnemonics.push_back(MnemonicOf(text));
    TBBUTTON button = {};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = static_cast<int>(kFirstButtonId + static_cast<UINT>(i));
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE;
    button.iString = reinterpret_cast<INT_PTR>(texts[static_cast<size_t>(i)].c_str());
    buttons.push_back(button);
  }
  if (!buttons.empty() && !SendMessage(TB_ADDBUTTONSA, buttons.size(),
                                       reinterpret_cast<LPARAM>(buttons.data())))
    return FALSE;
  SendMessage(TB_AUTOSIZE);
  return TRUE;
}

int CMenuBar::GetCount() const {
  return m_hWnd ? static_cast<int>(SendMessage(TB_BUTTONCOUNT)) : 0;
}

void CMenuBar::ApplyFont() {
  SetFont(CToolkitSettings::Get().GetMenuFont(), TRUE);
  SendMessage(TB_AUTOSIZE);
}

SIZE CMenuBar::CalcFixedLayout() {
  SIZE size = {0, 0};
  const int count = GetCount();
  int top = 0;
  for (int i = 0; i < count; ++i) {
    RECT rect = {};
    SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
    if (rect.right > size.cx) size.cx = rect.right;
    if (i == 0 || rect.top < top) top = rect.top;
    if (rect.bottom - top > size.cy) size.cy = rect.bottom - top;
  }
  if (size.cy == 0) size.cy = HIWORD(static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE)));
  return size;
}

void CMenuBar::FitToWidth(int cx) {
  // A row ends after the last button that fits; a button wider than the row gets one of
  // its own.
  const int count = GetCount();
  int x = 0;
  BOOL changed = FALSE;
  for (int i = 0; i < count; ++i) {
    RECT rect = {};
    SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
    const int width = rect.right - rect.left;
    const BOOL wrapBefore = i > 0 && x + width > cx;
    if (i > 0) {
      const WPARAM previous = kFirstButtonId + static_cast<UINT>(i - 1);
      const LRESULT state = SendMessage(TB_GETSTATE, previous);
      const LRESULT wanted = wrapBefore ? (state | TBSTATE_WRAP) : (state & ~TBSTATE_WRAP);
      if (state != wanted) {
        SendMessage(TB_SETSTATE, previous, MAKELPARAM(static_cast<WORD>(wanted), 0));
        changed = TRUE;
      }
    }
    x = (wrapBefore ? 0 : x) + width;
  }
  if (changed) {
    // Not every tool bar lays its buttons out again when a wrap flag changes; setting its
    // font (the same one) does.
    SendMessage(WM_SETFONT, SendMessage(WM_GETFONT), FALSE);
    SendMessage(TB_AUTOSIZE);
  }
}

int CMenuBar::FindMnemonic(UINT ch) const {
  if (ch == 0 || ch > 0x7F) return -1;
  const UINT upper = static_cast<UINT>(static_cast<BYTE>(reinterpret_cast<UINT_PTR>(
      ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(ch))))));
  for (size_t i = 0; i < m_mnemonics.size(); ++i)
    if (m_mnemonics[i] == upper) return static_cast<int>(i);
  return -1;
}

// --- keyboard mode ------------------------------------------------------------------------

void CMenuBar::EnterKeyboardMode(int nIndex) {
  const int count = GetCount();
  if (count == 0) return;
  m_bKeyboardMode = TRUE;
  m_nHot = nIndex < 0 || nIndex >= count ? 0 : nIndex;
  SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(m_nHot));
}

void CMenuBar::LeaveKeyboardMode() {
  if (!m_bKeyboardMode) return;
  m_bKeyboardMode = FALSE;
  m_nHot = -1;
  SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
}

void CMenuBar::ResetKeyboardState() {
  m_bAltAlone = FALSE;
  LeaveKeyboardMode();
}

LRESULT CMenuBar::OnLoseInput(WPARAM, LPARAM) {
  ResetKeyboardState();
  return Default();
}

BOOL CMenuBar::TranslateFrameMessage(MSG* pMsg) {
  if (!m_hWnd || GetCount() == 0 || !IsVisible()) return FALSE;
  // Keys reach the bar only while its frame is the active window; keyboard mode left over
  // from before a switch away would swallow them.
  if ((m_bKeyboardMode || m_bAltAlone) && m_pFrame && ::GetActiveWindow() != m_pFrame->m_hWnd)
    ResetKeyboardState();
  const UINT key = static_cast<UINT>(pMsg->wParam);
  const int count = GetCount();
  switch (pMsg->message) {
    case WM_SYSKEYDOWN:
      if (key == VK_MENU || key == VK_F10) {
        // A held key repeats; only its first press counts. The bar takes the press itself:
        // the system's default handling would remember it too and, at a release that the bar
        // no longer counts (after a switch away and back), open keyboard mode all the same.
        if (!(pMsg->lParam & (1 << 30))) m_bAltAlone = TRUE;
        return TRUE;
      }
      m_bAltAlone = FALSE;
      LeaveKeyboardMode();
      return FALSE;
    case WM_SYSKEYUP:
    case WM_KEYUP:
      if ((key == VK_MENU || key == VK_F10) && m_bAltAlone) {
        m_bAltAlone = FALSE;
        if (m_bKeyboardMode)
          LeaveKeyboardMode();
        else
          EnterKeyboardMode(0);
        return TRUE;
      }
      return m_bKeyboardMode;
    case WM_SYSCHAR: {
      const int index = FindMnemonic(key);
      if (index < 0) return FALSE;
      OpenMenu(index, TRUE);
      return TRUE;
    }
    case WM_KEYDOWN:
      m_bAltAlone = FALSE;
      if (!m_bKeyboardMode) return FALSE;
      if (key == VK_LEFT) {
        EnterKeyboardMode((m_nHot + count - 1) % count);
      } else if (key == VK_RIGHT) {
        EnterKeyboardMode((m_nHot + 1) % count);
      } else if (key == VK_DOWN || key == VK_UP || key == VK_RETURN) {
        OpenMenu(m_nHot, TRUE);
      } else if (key == VK_ESCAPE) {
        LeaveKeyboardMode();
      }
      return TRUE;
    case WM_CHAR:
      if (!m_bKeyboardMode) return FALSE;
      if (FindMnemonic(key) >= 0) OpenMenu(FindMnemonic(key), TRUE);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
      LeaveKeyboardMode();
      return FALSE;
    default:
      return FALSE;
  }
}

BOOL CMenuBar::OnFrameKeyMenu(LPARAM lParam) {
  if (!m_hWnd || GetCount() == 0 || !IsVisible()) return FALSE;
  if (lParam == 0) {
    if (m_bKeyboardMode)
      LeaveKeyboardMode();
    else
      EnterKeyboardMode(0);
    return TRUE;
  }
  const int index = FindMnemonic(static_cast<UINT>(lParam));
  if (index < 0) return FALSE;
  OpenMenu(index, TRUE);
  return TRUE;
}

// --- tracking the pop-ups -----------------------------------------------------------------

void CMenuBar::OpenMenu(int nIndex, BOOL bByKeyboard) {
  if (nIndex < 0 || nIndex >= GetCount()) return;
  PostMessage(kOpenMenuMessage, static_cast<WPARAM>(nIndex), bByKeyboard);
}

LRESULT CMenuBar::OnOpenMenuMessage(WPARAM wParam, LPARAM lParam) {
  TrackPopups(static_cast<int>(wParam), lParam != 0);
  return 0;
}

void CMenuBar::OnDropDown(NMHDR* header, LRESULT* result) {
  const auto* notify = reinterpret_cast<const NMTOOLBARA*>(header);
  OpenMenu(notify->iItem - static_cast<int>(kFirstButtonId), FALSE);
  *result = TBDDRET_DEFAULT;
}

void CMenuBar::TrackPopups(int nIndex, BOOL bByKeyboard) {
  if (m_nOpen >= 0 || !m_hMenu || !m_pFrame) return;
  LeaveKeyboardMode();
  int index = nIndex;
  BOOL byKeyboard = bByKeyboard;
  int last = -1;
  m_bEscaped = FALSE;
  while (index >= 0 && index < GetCount()) {
    HMENU popup = ::GetSubMenu(m_hMenu, index);
    if (!popup) break;
    last = index;
    m_nOpen = index;
    m_hOpenPopup = popup;
    m_nDepth = 0;
    m_bPopupItemSelected = FALSE;
    m_nNext = -1;
    m_bEscaped = FALSE;
    ::GetCursorPos(&m_ptLastMouse);

    ShowOpenButton(index);
    RECT rect = {};
    SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    // The pop-up opens below its button and never off the screen: the system moves it
    // inside the monitor, provided its corner is there.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    POINT corner = {rect.left, rect.bottom};
    if (::GetMonitorInfoA(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& work = monitor.rcWork;
      corner.x = std::max(work.left, std::min(corner.x, work.right - 1));
      corner.y = std::max(work.top, std::min(corner.y, work.bottom - 1));
    }
    TPMPARAMS params = {sizeof(params), rect};
    // Opened from the keyboard, the pop-up starts with its first item highlighted.
    if (byKeyboard) ::PostMessageA(m_pFrame->m_hWnd, WM_KEYDOWN, VK_DOWN, 0);

    t_pTracking = this;
    m_hFilterHook = ::SetWindowsHookExA(WH_MSGFILTER, &CMenuBar::MenuInputFilter, nullptr,
                                        ::GetCurrentThreadId());
    ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON,
                       corner.x, corner.y, m_pFrame->m_hWnd, &params);
    if (m_hFilterHook) ::UnhookWindowsHookEx(m_hFilterHook);
    m_hFilterHook = nullptr;
    t_pTracking = nullptr;
    if (!m_hWnd) return;  // the frame closed from a command of the menu
    m_nOpen = -1;
    m_hOpenPopup = nullptr;
    index = m_nNext;
    byKeyboard = m_bNextByKeyboard;
  }
  ShowOpenButton(-1);
  // Esc closes the pop-up and leaves its title highlighted, as a system menu bar does.
  if (m_bEscaped && last >= 0) EnterKeyboardMode(last);
}

void CMenuBar::ShowOpenButton(int nIndex) {
  // The tool bar keeps the hot item it had when the menu opened (the button clicked or under
  // the pointer): the menu loop takes every mouse message, so the tool bar never sees the
  // pointer move on, and a flat hot button is drawn boxed like a pressed one.
  SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    SendMessage(TB_PRESSBUTTON, kFirstButtonId + static_cast<UINT>(i), i == nIndex);
}

LRESULT CALLBACK CMenuBar::MenuInputFilter(int code, WPARAM wParam, LPARAM lParam) {
  CMenuBar* bar = t_pTracking;
  if (code == MSGF_MENU && bar && bar->OnMenuInput(reinterpret_cast<const MSG*>(lParam)))
    return TRUE;
  return ::CallNextHookEx(bar ? bar->m_hFilterHook : nullptr, code, wParam, lParam);
}

BOOL CMenuBar::OnMenuInput(const MSG* pMsg) {
  const int count = GetCount();
  if (count == 0) return FALSE;
  switch (pMsg->message) {
    case WM_KEYDOWN:
      // Left and Right switch menus only while no submenu is open (and Right only when the
      // highlighted item does not open one).
      if (pMsg->wParam == VK_LEFT && m_nDepth <= 1) {
        m_nNext = (m_nOpen + count - 1) % count;
      } else if (pMsg->wParam == VK_RIGHT && m_nDepth <= 1 && !m_bPopupItemSelected) {
        m_nNext = (m_nOpen + 1) % count;
      } else {
        if (pMsg->wParam == VK_ESCAPE && m_nDepth <= 1) m_bEscaped = TRUE;
        return FALSE;
      }
      m_bNextByKeyboard = TRUE;
      ::EndMenu();
      return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
      // The message's own screen position: during menu tracking the coordinates in lParam
      // are screen coordinates under Wine but client coordinates on Windows.
      POINT pt = pMsg->pt;
      if (pMsg->message == WM_MOUSEMOVE) {
        // Opening a pop-up reports a move to where the pointer already was: not a move.
        if (pt.x == m_ptLastMouse.x && pt.y == m_ptLastMouse.y) return FALSE;
        m_ptLastMouse = pt;
      }
      ::ScreenToClient(m_hWnd, &pt);
      const int hit = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
      if (hit < 0 || hit >= count) return FALSE;
      if (hit == m_nOpen) {
        // A click on the open menu's title closes it, and must not open it again.
        if (pMsg->message != WM_LBUTTONDOWN) return FALSE;
        m_nNext = -1;
      } else {
        m_nNext = hit;
        m_bNextByKeyboard = FALSE;
      }
      ::EndMenu();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void CMenuBar::OnFrameInitMenuPopup(HMENU) {
  if (m_nOpen >= 0) ++m_nDepth;
}

void CMenuBar::OnFrameUninitMenuPopup(HMENU) {
  if (m_nOpen >= 0 && m_nDepth > 0) --m_nDepth;
}

void CMenuBar::OnFrameMenuSelect(UINT, UINT nFlags, HMENU hMenu) {
  if (m_nOpen < 0 || nFlags == 0xFFFF) return;
  if (hMenu == m_hOpenPopup) m_bPopupItemSelected = (nFlags & MF_POPUP) != 0;
}

void CMenuBar::OnSettingChange(UINT, LPCSTR) {
  Default();
  ApplyFont();
}
