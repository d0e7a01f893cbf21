#pragma once
// Message maps: each class that handles messages or commands holds a static table of
// entries (message, notification code, id range, thunk) and a pointer to its base class's
// table; CCmdTarget::FindMessageEntry walks the chain. An entry is built by one of the
// builders below from a member-function pointer, e.g.
//   ORMIX_BEGIN_MESSAGE_MAP(CMyList, CListCtrl)
//     msgmap::Create<&CMyList::OnCreate>(),
//     msgmap::Command<&CMyList::OnClear>(ID_LOG_CLEAR),
//     msgmap::UpdateCommand<&CMyList::OnUpdateClear>(ID_LOG_CLEAR),
//   ORMIX_END_MESSAGE_MAP()
// The builder's thunk decodes WPARAM/LPARAM for the handler's signature; a handler of the
// wrong signature does not compile.
#include <windows.h>
#include <commctrl.h>

#include <type_traits>

class CCmdTarget;
class CCmdUI;

// Command codes carried with a command id through OnCmdMsg. CN_COMMAND is also the code of
// a menu item, an accelerator and a button click (BN_CLICKED is 0).
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// A notification sent back to the control that caused it is looked up under this base plus
// the original message (WM_NOTIFY, WM_COMMAND, WM_CTLCOLORSTATIC, ...).
constexpr UINT WM_REFLECT_BASE = 0xBC00;

// Decodes the arguments of one message for one handler and returns the message's result.
// For commands, wParam holds the command id; for updates, lParam holds the CCmdUI*.
using MessageThunk = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct MessageEntry {
  UINT nMessage;  // window message, WM_COMMAND for commands and updates
  UINT nCode;     // command/notification code, 0 for plain messages
  UINT nID;       // first control or command id, 0 for plain messages
  UINT nLastID;   // last id of the range
  MessageThunk pfn;  // NULL marks the end of a table
};

struct MessageMap {
  const MessageMap* pBaseMap;
  const MessageEntry* pEntries;  // ends with an entry whose pfn is NULL
};

#define ORMIX_DECLARE_MESSAGE_MAP()                  \
 public:                                             \
  const MessageMap* GetMessageMap() const override;  \
                                                     \
 protected:                                          \
  static const MessageEntry messageEntries[];        \
  static const MessageMap messageMap;

#define ORMIX_BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
  const MessageMap* theClass::GetMessageMap() const { return &theClass::messageMap; }        \
  const MessageMap theClass::messageMap = {&baseClass::messageMap, theClass::messageEntries}; \
  const MessageEntry theClass::messageEntries[] = {

#define ORMIX_END_MESSAGE_MAP() \
  MessageEntry{0, 0, 0, 0, nullptr}};

namespace msgmap {
namespace detail {

template <typename M> struct MemberOf;
template <class C, typename R, typename... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
};

template <auto M>
using ClassOf = typename MemberOf<decltype(M)>::Class;

template <auto M>
ClassOf<M>* Self(CCmdTarget* target) {
  return static_cast<ClassOf<M>*>(target);
}

template <auto M>
LRESULT RawThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  return (Self<M>(t)->*M)(w, l);
}
template <auto M>
LRESULT VoidThunk(CCmdTarget* t, WPARAM, LPARAM) {
  (Self<M>(t)->*M)();
  return 0;
}
template <auto M>
LRESULT CreateThunk(CCmdTarget* t, WPARAM, LPARAM l) {
  return static_cast<LRESULT>((Self<M>(t)->*M)(reinterpret_cast<LPCREATESTRUCTA>(l)));
}
template <auto M>
LRESULT SizeThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  (Self<M>(t)->*M)(static_cast<UINT>(w), static_cast<int>(static_cast<short>(LOWORD(l))),
                   static_cast<int>(static_cast<short>(HIWORD(l))));
  return 0;
}
template <auto M>
LRESULT CommandRangeThunk(CCmdTarget* t, WPARAM w, LPARAM) {
  (Self<M>(t)->*M)(static_cast<UINT>(w));
  return 0;
}
template <auto M>
LRESULT UpdateThunk(CCmdTarget* t, WPARAM, LPARAM l) {
  (Self<M>(t)->*M)(reinterpret_cast<CCmdUI*>(l));
  return 0;
}
template <auto M>
LRESULT NotifyThunk(CCmdTarget* t, WPARAM, LPARAM l) {
  LRESULT result = 0;
  (Self<M>(t)->*M)(reinterpret_cast<NMHDR*>(l), &result);
  return result;
}
template <auto M>
LRESULT CtlColorThunk(CCmdTarget* t, WPARAM w, LPARAM) {
  return reinterpret_cast<LRESULT>((Self<M>(t)->*M)(reinterpret_cast<HDC>(w)));
}
template <auto M>
LRESULT TimerThunk(CCmdTarget* t, WPARAM w, LPARAM) {
  (Self<M>(t)->*M)(static_cast<UINT_PTR>(w));
  return 0;
}
template <auto M>
LRESULT SetCursorThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  return (Self<M>(t)->*M)(reinterpret_cast<HWND>(w), LOWORD(l), HIWORD(l));
}
template <auto M>
LRESULT DcThunk(CCmdTarget* t, WPARAM w, LPARAM) {
  return (Self<M>(t)->*M)(reinterpret_cast<HDC>(w));
}
template <auto M>
LRESULT EndSessionThunk(CCmdTarget* t, WPARAM w, LPARAM) {
  (Self<M>(t)->*M)(w != 0);
  return 0;
}
template <auto M>
LRESULT SettingChangeThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  (Self<M>(t)->*M)(static_cast<UINT>(w), reinterpret_cast<LPCSTR>(l));
  return 0;
}
template <auto M>
LRESULT InitMenuPopupThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  (Self<M>(t)->*M)(reinterpret_cast<HMENU>(w), static_cast<UINT>(LOWORD(l)), HIWORD(l) != 0);
  return 0;
}
template <auto M>
LRESULT MenuSelectThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  (Self<M>(t)->*M)(static_cast<UINT>(LOWORD(w)), static_cast<UINT>(HIWORD(w)),
                   reinterpret_cast<HMENU>(l));
  return 0;
}

template <auto M>
LRESULT PointThunk(CCmdTarget* t, WPARAM w, LPARAM l) {
  const POINT pt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  (Self<M>(t)->*M)(static_cast<UINT>(w), pt);
  return 0;
}
template <auto M>
LRESULT HitTestThunk(CCmdTarget* t, WPARAM, LPARAM l) {
  const POINT pt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
  return (Self<M>(t)->*M)(pt);
}
template <auto M>
LRESULT FocusThunk(CCmdTarget* t, WPARAM w, LPARAM) {
  (Self<M>(t)->*M)(reinterpret_cast<HWND>(w));
  return 0;
}

}  // namespace detail

// Any message, handler LRESULT F(WPARAM, LPARAM).
template <auto M>
constexpr MessageEntry Message(UINT message) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), LRESULT (C::*)(WPARAM, LPARAM)>,
                "handler must be LRESULT F(WPARAM, LPARAM)");
  return {message, 0, 0, 0, &detail::RawThunk<M>};
}

// WM_CREATE, handler int OnCreate(LPCREATESTRUCTA); -1 refuses the creation.
template <auto M>
constexpr MessageEntry Create() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), int (C::*)(LPCREATESTRUCTA)>,
                "handler must be int OnCreate(LPCREATESTRUCTA)");
  return {WM_CREATE, 0, 0, 0, &detail::CreateThunk<M>};
}

// WM_DESTROY, handler void OnDestroy().
template <auto M>
constexpr MessageEntry Destroy() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void OnDestroy()");
  return {WM_DESTROY, 0, 0, 0, &detail::VoidThunk<M>};
}

// WM_SIZE, handler void OnSize(UINT type, int cx, int cy).
template <auto M>
constexpr MessageEntry Size() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(UINT, int, int)>,
                "handler must be void OnSize(UINT, int, int)");
  return {WM_SIZE, 0, 0, 0, &detail::SizeThunk<M>};
}

// WM_CLOSE, handler void OnClose().
template <auto M>
constexpr MessageEntry Close() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void OnClose()");
  return {WM_CLOSE, 0, 0, 0, &detail::VoidThunk<M>};
}

// WM_ENDSESSION, handler void OnEndSession(BOOL ending); with `ending` TRUE the process may
// be ended as soon as the handler returns.
template <auto M>
constexpr MessageEntry EndSession() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(BOOL)>, "handler must be void OnEndSession(BOOL)");
  return {WM_ENDSESSION, 0, 0, 0, &detail::EndSessionThunk<M>};
}

// WM_SETTINGCHANGE, handler void OnSettingChange(UINT flags, LPCSTR section).
template <auto M>
constexpr MessageEntry SettingChange() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(UINT, LPCSTR)>,
                "handler must be void OnSettingChange(UINT, LPCSTR)");
  return {WM_SETTINGCHANGE, 0, 0, 0, &detail::SettingChangeThunk<M>};
}

// WM_INITMENUPOPUP, handler void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu).
template <auto M>
constexpr MessageEntry InitMenuPopup() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(HMENU, UINT, BOOL)>,
                "handler must be void OnInitMenuPopup(HMENU, UINT, BOOL)");
  return {WM_INITMENUPOPUP, 0, 0, 0, &detail::InitMenuPopupThunk<M>};
}

// WM_MENUSELECT, handler void OnMenuSelect(UINT item, UINT flags, HMENU menu); flags 0xFFFF
// with a NULL menu means the menu closed.
template <auto M>
constexpr MessageEntry MenuSelect() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(UINT, UINT, HMENU)>,
                "handler must be void OnMenuSelect(UINT, UINT, HMENU)");
  return {WM_MENUSELECT, 0, 0, 0, &detail::MenuSelectThunk<M>};
}

// A command (menu item, accelerator, tool bar button), handler void F().
template <auto M>
constexpr MessageEntry Command(UINT id) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void F()");
  return {WM_COMMAND, static_cast<UINT>(CN_COMMAND), id, id, &detail::VoidThunk<M>};
}

// A range of commands, handler void F(UINT id).
template <auto M>
constexpr MessageEntry CommandRange(UINT first, UINT last) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(UINT)>, "handler must be void F(UINT)");
  return {WM_COMMAND, static_cast<UINT>(CN_COMMAND), first, last, &detail::CommandRangeThunk<M>};
}

// The state update of a command, handler void F(CCmdUI*).
template <auto M>
constexpr MessageEntry UpdateCommand(UINT id) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(CCmdUI*)>,
                "handler must be void F(CCmdUI*)");
  return {WM_COMMAND, static_cast<UINT>(CN_UPDATE_COMMAND_UI), id, id, &detail::UpdateThunk<M>};
}

// A WM_COMMAND notification from child control `id`, handler void F().
template <auto M>
constexpr MessageEntry Control(UINT code, UINT id) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void F()");
  return {WM_COMMAND, code, id, id, &detail::VoidThunk<M>};
}

// A click on button `id`, handler void F().
template <auto M>
constexpr MessageEntry ButtonClicked(UINT id) {
  return Control<M>(BN_CLICKED, id);
}

// A WM_NOTIFY notification from child control `id`, handler void F(NMHDR*, LRESULT*).
template <auto M>
constexpr MessageEntry Notify(UINT code, UINT id) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(NMHDR*, LRESULT*)>,
                "handler must be void F(NMHDR*, LRESULT*)");
  return {WM_NOTIFY, code, id, id, &detail::NotifyThunk<M>};
}

// A WM_NOTIFY notification that this control sent to its parent, reflected back to it.
template <auto M>
constexpr MessageEntry NotifyReflect(UINT code) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(NMHDR*, LRESULT*)>,
                "handler must be void F(NMHDR*, LRESULT*)");
  return {WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, &detail::NotifyThunk<M>};
}

// A WM_COMMAND notification that this control sent to its parent, reflected back to it.
template <auto M>
constexpr MessageEntry ControlReflect(UINT code) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void F()");
  return {WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, &detail::VoidThunk<M>};
}

// WM_CTLCOLORSTATIC reflected to the static control, handler HBRUSH F(HDC).
template <auto M>
constexpr MessageEntry CtlColorStaticReflect() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), HBRUSH (C::*)(HDC)>, "handler must be HBRUSH F(HDC)");
  return {WM_REFLECT_BASE + WM_CTLCOLORSTATIC, 0, 0, 0, &detail::CtlColorThunk<M>};
}

// WM_TIMER, handler void OnTimer(UINT_PTR nIDEvent).
template <auto M>
constexpr MessageEntry Timer() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(UINT_PTR)>,
                "handler must be void OnTimer(UINT_PTR)");
  return {WM_TIMER, 0, 0, 0, &detail::TimerThunk<M>};
}

// WM_SETCURSOR, handler BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT message); TRUE when
// the handler set the pointer.
template <auto M>
constexpr MessageEntry SetCursor() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), BOOL (C::*)(HWND, UINT, UINT)>,
                "handler must be BOOL OnSetCursor(HWND, UINT, UINT)");
  return {WM_SETCURSOR, 0, 0, 0, &detail::SetCursorThunk<M>};
}

// WM_PAINT, handler void OnPaint().
template <auto M>
constexpr MessageEntry Paint() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void OnPaint()");
  return {WM_PAINT, 0, 0, 0, &detail::VoidThunk<M>};
}

// WM_ERASEBKGND, handler BOOL OnEraseBkgnd(HDC); TRUE when the background was erased.
template <auto M>
constexpr MessageEntry EraseBkgnd() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), BOOL (C::*)(HDC)>,
                "handler must be BOOL OnEraseBkgnd(HDC)");
  return {WM_ERASEBKGND, 0, 0, 0, &detail::DcThunk<M>};
}

// A mouse button or move message in client coordinates, handler void F(UINT keys, POINT pt).
template <auto M>
constexpr MessageEntry Mouse(UINT message) {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(UINT, POINT)>,
                "handler must be void F(UINT, POINT)");
  return {message, 0, 0, 0, &detail::PointThunk<M>};
}

// WM_NCHITTEST, handler LRESULT F(POINT screenPoint) returning the HT* code.
template <auto M>
constexpr MessageEntry NcHitTest() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), LRESULT (C::*)(POINT)>,
                "handler must be LRESULT F(POINT)");
  return {WM_NCHITTEST, 0, 0, 0, &detail::HitTestThunk<M>};
}

// WM_SETFOCUS, handler void F(HWND hWndLosingFocus).
template <auto M>
constexpr MessageEntry SetFocus() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)(HWND)>, "handler must be void F(HWND)");
  return {WM_SETFOCUS, 0, 0, 0, &detail::FocusThunk<M>};
}

// WM_NCDESTROY, handler void F(); the window is gone once the default handling has run.
template <auto M>
constexpr MessageEntry NcDestroy() {
  using C = detail::ClassOf<M>;
  static_assert(std::is_same_v<decltype(M), void (C::*)()>, "handler must be void F()");
  return {WM_NCDESTROY, 0, 0, 0, &detail::VoidThunk<M>};
}

}  // namespace msgmap
