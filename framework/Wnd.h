#pragma once
// A window object: wraps one HWND, found again from the handle through the handle map, and
// receives the window's messages through its class's message map. Create (or CreateEx)
// makes a window of any class — our own or a common control's — and subclasses it before
// its first message, so WM_NCCREATE and WM_CREATE already reach the map; SubclassWindow
// does the same for a window that exists. Messages without an entry get default processing:
// the window's original procedure, or DefWindowProc.
#include <windows.h>

#include <string>

#include "framework/CmdTarget.h"

class CWnd : public CCmdTarget {
  ORMIX_DECLARE_DYNAMIC(CWnd)

 public:
  CWnd();
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object that owns `hWnd`, or NULL if no object is attached to it.
  static CWnd* FromHandlePermanent(HWND hWnd);
  // The owning object, or a temporary wrapper that lives until the outermost message being
  // handled returns (or until DeleteTempMap). NULL for a NULL handle.
  static CWnd* FromHandle(HWND hWnd);
  static void DeleteTempMap();

  // Creates a window of `className` and attaches this object to it.
  virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR className, LPCSTR windowName, DWORD dwStyle,
                        int x, int y, int cx, int cy, HWND hWndParent, HMENU nIDorHMenu,
                        LPVOID lpParam = nullptr);
  // A child window (WS_CHILD is added) with control id `nID`; top-level windows use CreateEx.
  virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID);
  // Attaches this object to an existing window and routes its messages through the map.
  BOOL SubclassWindow(HWND hWnd);
  HWND UnsubclassWindow();
  // Attaches the handle without subclassing (messages do not reach the map).
  BOOL Attach(HWND hWnd);
  HWND Detach();
  virtual BOOL DestroyWindow();

  // Hooks for derived classes.
  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
  // Gives `cs` a window class when neither the caller nor PreCreateWindow named one;
  // registered only then, so a class that a derived window replaces is never made.
  virtual BOOL RegisterDefaultClass(CREATESTRUCTA& cs);
  virtual void PreSubclassWindow();
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // Offers `pMsg` to PreTranslateMessage of the window it is for and of each parent up to
  // hWndStop; TRUE as soon as one of them took it.
  static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
  // Called after the window's last message; the object may delete itself here.
  virtual void PostNcDestroy();

  // Message handling: the map first, then default processing.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // A notification this control sent to its parent, offered back to the control first.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Default processing of the message being handled.
  LRESULT Default();

  // Thin wrappers.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  CWnd* GetDlgItem(int nID) const;
  LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
  }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
  BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
  BOOL MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE) {
    return ::MoveWindow(m_hWnd, x, y, cx, cy, bRepaint);
  }
  BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
  void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
  std::string GetWindowText() const;
  void SetFont(HFONT hFont, BOOL bRedraw = TRUE) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), MAKELPARAM(bRedraw, 0));
  }
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
  void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  // Screen coordinates to this window's client coordinates.
  void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
  BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
  }
  // Sends a message to every window below this one, each parent before its children.
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Removes then adds style bits; with nFlags, also SetWindowPos(nFlags) so a frame change shows.
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
  }
  BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
  // Centres a top-level window over its owner (or pAlternateOwner), or on the work area of
  // its monitor when it has none, and keeps it inside that work area.
  void CenterWindow(CWnd* pAlternateOwner = nullptr);
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

  // The window procedure of every attached window.
  static LRESULT CALLBACK StandardWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Default handlers that derived classes' entries call first.
  int OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  // A menu that a child window tracks (a context menu) shows its items' prompts where the
  // frame's own menus do: the child hands WM_MENUSELECT on to its top-level window.
  void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);

  // Attaches this object to the next window that this thread creates (used by Create and
  // by modal dialogs); EndCreateHook removes the hook again.
  void BeginCreateHook();
  static void EndCreateHook();

  WNDPROC m_pfnSuper = nullptr;  // the window's original procedure

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void AttachSubclassed(HWND hWnd);
  void OnNcDestroyed();
  static LRESULT CALLBACK CreateHookProc(int code, WPARAM wParam, LPARAM lParam);

  bool m_bTemporary = false;
};
