#include "framework/Wnd.h"

#include <memory>
#include <unordered_map>

#include "framework/CmdUI.h"

ORMIX_IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

ORMIX_BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
  msgmap::MenuSelect<&CWnd::OnMenuSelect>(),
ORMIX_END_MESSAGE_MAP()

namespace {

// The user-interface thread's window state. Every window object lives on the thread that
// created its window, so none of this needs a lock.
struct WindowState {
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
  CWnd* pWndInit = nullptr;  // the object that the next created window attaches to
  HHOOK hCreateHook = nullptr;
  int nHookNesting = 0;
  MSG current = {};  // the message being handled, for Default()
  int nDispatchDepth = 0;
};

WindowState& State() {
  thread_local WindowState state;
  return state;
}

bool IsCtlColor(UINT message) {
  return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (!m_hWnd || m_bTemporary) return;
  // A window that outlives its object would call into freed memory: end it first.
  if (FromHandlePermanent(m_hWnd) == this) {
    if (::IsWindow(m_hWnd)) {
      ::DestroyWindow(m_hWnd);
    }
    State().permanent.erase(m_hWnd);
  }
  m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd) return nullptr;
  auto& map = State().permanent;
  auto it = map.find(hWnd);
  return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* wnd = FromHandlePermanent(hWnd)) return wnd;
  auto& temps = State().temporary;
  auto it = temps.find(hWnd);
  if (it != temps.end()) return it->second.get();
  auto wnd = std::make_unique<CWnd>();
  wnd->m_hWnd = hWnd;
  wnd->m_bTemporary = true;
  CWnd* result = wnd.get();
  temps.emplace(hWnd, std::move(wnd));
  return result;
}

void CWnd::DeleteTempMap() { State().temporary.clear(); }

// --- creation and attachment -------------------------------------------------------------

void CWnd::BeginCreateHook() {
  WindowState& state = State();
  if (state.nHookNesting++ == 0)
    state.hCreateHook = ::SetWindowsHookExA(WH_CBT, &CWnd::CreateHookProc, nullptr,
                                            ::GetCurrentThreadId());
  state.pWndInit = this;
}

void CWnd::EndCreateHook() {
  WindowState& state = State();
  state.pWndInit = nullptr;
  if (--state.nHookNesting == 0 && state.hCreateHook) {
    ::UnhookWindowsHookEx(state.hCreateHook);
    state.hCreateHook = nullptr;
  }
}

LRESULT CALLBACK CWnd::CreateHookProc(int code, WPARAM wParam, LPARAM lParam) {
  WindowState& state = State();
  if (code == HCBT_CREATEWND && state.pWndInit) {
    CWnd* wnd = state.pWndInit;
    state.pWndInit = nullptr;  // only the first window: its children are not ours
    wnd->AttachSubclassed(reinterpret_cast<HWND>(wParam));
  }
  return ::CallNextHookEx(state.hCreateHook, code, wParam, lParam);
}

void CWnd::AttachSubclassed(HWND hWnd) {
  m_hWnd = hWnd;
  State().permanent[hWnd] = this;
  PreSubclassWindow();
  const LONG_PTR previous = ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(&CWnd::StandardWndProc));
  if (reinterpret_cast<WNDPROC>(previous) != &CWnd::StandardWndProc)
    m_pfnSuper = reinterpret_cast<WNDPROC>(previous);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR className, LPCSTR windowName, DWORD dwStyle, int x,
                    int y, int cx, int cy, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs = {};
  cs.dwExStyle = dwExStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = static_cast<LONG>(dwStyle);
  cs.x = x;
  cs.y = y;
  cs.cx = cx;
  cs.cy = cy;
  cs.hwndParent = hWndParent;
  cs.hMenu = nIDorHMenu;
  cs.hInstance = ::GetModuleHandleA(nullptr);
  cs.lpCreateParams = lpParam;
  if (!PreCreateWindow(cs) || (!cs.lpszClass && !RegisterDefaultClass(cs))) {
    PostNcDestroy();
    return FALSE;
  }
  BeginCreateHook();
  HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName,
                                static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  EndCreateHook();
  // A window whose creation failed after it was attached has already been detached again
  // by its WM_NCDESTROY.
  return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID) {
  return CreateEx(0, className, windowName, dwStyle | WS_CHILD, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd || !hWnd || !::IsWindow(hWnd) || FromHandlePermanent(hWnd)) return FALSE;
  AttachSubclassed(hWnd);
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd) return nullptr;
  if (m_pfnSuper)
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::Attach(HWND hWnd) {
  if (m_hWnd || !hWnd || FromHandlePermanent(hWnd)) return FALSE;
  m_hWnd = hWnd;
  State().permanent[hWnd] = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd) State().permanent.erase(hWnd);
  m_hWnd = nullptr;
  return hWnd;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }
BOOL CWnd::RegisterDefaultClass(CREATESTRUCTA&) { return FALSE; }
void CWnd::PreSubclassWindow() {}
BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

std::string CWnd::GetWindowText() const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam) const {
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  } sent = {message, wParam, lParam};
  // The system lists the descendants before the first is sent anything, so a window that
  // one of them destroys meanwhile is skipped rather than derailing the walk.
  ::EnumChildWindows(m_hWnd, [](HWND hWnd, LPARAM data) -> BOOL {
        const auto* m = reinterpret_cast<const Message*>(data);
        ::SendMessageA(hWnd, m->message, m->wParam, m->lParam);
        return TRUE;
      }, reinterpret_cast<LPARAM>(&sent));
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  const DWORD style = GetStyle();
  const DWORD newStyle = (style & ~dwRemove) | dwAdd;
  if (style == newStyle) return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(newStyle));
  if (nFlags)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  HWND hWndCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
  if (hWndCenter) hWndCenter = ::GetAncestor(hWndCenter, GA_ROOT);
  // An owner that cannot be seen gives no useful centre.
  if (hWndCenter && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter))) hWndCenter = nullptr;

  RECT window;
  GetWindowRect(&window);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoA(::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST),
                    &monitor);
  const RECT& area = monitor.rcWork;
  RECT center = area;
  if (hWndCenter) ::GetWindowRect(hWndCenter, &center);

  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int left = (center.left + center.right) / 2 - width / 2;
  int top = (center.top + center.bottom) / 2 - height / 2;
  if (left + width > area.right) left = area.right - width;
  if (left < area.left) left = area.left;
  if (top + height > area.bottom) top = area.bottom - height;
  if (top < area.top) top = area.top;
  SetWindowPos(nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd && wnd->PreTranslateMessage(pMsg)) return TRUE;
    if (hWnd == hWndStop) break;
  }
  return FALSE;
}

// --- message handling --------------------------------------------------------------------

LRESULT CALLBACK CWnd::StandardWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandlePermanent(hWnd);
  if (!wnd) return ::DefWindowProcA(hWnd, message, wParam, lParam);

  WindowState& state = State();
  const MSG saved = state.current;
  state.current = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
  ++state.nDispatchDepth;
  LRESULT result = 0;
  try {
    result = wnd->WindowProc(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through the system's frames; the message counts as unhandled.
    result = 0;
  }
  if (message == WM_NCDESTROY) wnd->OnNcDestroyed();
  state.current = saved;
  if (--state.nDispatchDepth == 0) DeleteTempMap();
  return result;
}

void CWnd::OnNcDestroyed() {
  // Give the window back its own procedure, so that anything after this reaches it.
  if (m_pfnSuper && reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) ==
                        &CWnd::StandardWndProc)
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  Detach();
  PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT result = 0;
  BOOL handled = FALSE;
  if (message == WM_COMMAND) {
    handled = OnCommand(wParam, lParam);
  } else if (message == WM_NOTIFY) {
    handled = OnNotify(wParam, lParam, &result);
  } else if (IsCtlColor(message) && lParam) {
    CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
    if (child && child != this) handled = child->OnChildNotify(message, wParam, lParam, &result);
  }
  if (!handled) {
    if (const MessageEntry* entry = FindMessageEntry(message, 0, 0)) {
      result = entry->pfn(this, wParam, lParam);
      handled = TRUE;
    }
  }
  if (handled && pResult) *pResult = result;
  return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT nID = LOWORD(wParam);
  HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
  int nCode = HIWORD(wParam);
  if (hWndCtrl) {
    // A control's notification goes back to the control first.
    CWnd* child = FromHandlePermanent(hWndCtrl);
    if (child && child != this && child->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr))
      return TRUE;
  } else {
    // A menu item or an accelerator. An accelerator fires whatever its command's state, so
    // the state is asked again and a command that is disabled now is dropped.
    CCmdUI state(nID);
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
    if (!state.m_bEnabled) return TRUE;
    nCode = CN_COMMAND;
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
  if (!header) return FALSE;
  CWnd* child = FromHandlePermanent(header->hwndFrom);
  if (child && child != this && child->OnChildNotify(WM_NOTIFY, 0, lParam, pResult)) return TRUE;
  const MessageEntry* entry =
      FindMessageEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
  if (!entry) return FALSE;
  const LRESULT result = entry->pfn(this, static_cast<WPARAM>(header->idFrom), lParam);
  if (pResult) *pResult = result;
  return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT nCode = 0;
  if (message == WM_NOTIFY) {
    nCode = reinterpret_cast<NMHDR*>(lParam)->code;
  } else if (message == WM_COMMAND) {
    nCode = HIWORD(wParam);
  }
  const MessageEntry* entry = FindMessageEntry(WM_REFLECT_BASE + message, nCode, 0);
  if (!entry) return FALSE;
  const LRESULT result = entry->pfn(this, wParam, lParam);
  if (pResult) *pResult = result;
  return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu) {
  const HWND hWndTop = ::GetAncestor(m_hWnd, GA_ROOT);
  if (!(GetStyle() & WS_CHILD) || !hWndTop || hWndTop == m_hWnd) {
    Default();
    return;
  }
  ::SendMessageA(hWndTop, WM_MENUSELECT, MAKEWPARAM(nItemID, nFlags), reinterpret_cast<LPARAM>(hMenu));
}

LRESULT CWnd::Default() {
  const MSG& current = State().current;
  return DefWindowProc(current.message, current.wParam, current.lParam);
}
