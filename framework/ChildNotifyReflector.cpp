#include "framework/ChildNotifyReflector.h"

#include <map>

#include "framework/Wnd.h"

namespace {

struct WrappedParent {
  WNDPROC previous;
  int users;
};

std::map<HWND, WrappedParent>& WrappedParents() {
  static std::map<HWND, WrappedParent> parents;
  return parents;
}

LRESULT CALLBACK ReflectingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& parents = WrappedParents();
  const auto found = parents.find(hWnd);
  if (found == parents.end()) return ::DefWindowProcA(hWnd, message, wParam, lParam);
  const WNDPROC previous = found->second.previous;
  if (message == WM_NOTIFY && lParam && found->second.users > 0) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    CWnd* child = CWnd::FromHandlePermanent(header->hwndFrom);
    LRESULT result = 0;
    if (child && ::GetParent(header->hwndFrom) == hWnd &&
        child->OnChildNotify(WM_NOTIFY, wParam, lParam, &result))
      return result;
  }
  if (message == WM_NCDESTROY) {
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == &ReflectingProc)
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    parents.erase(found);
  }
  return ::CallWindowProcA(previous, hWnd, message, wParam, lParam);
}

}  // namespace

void ReflectChildNotifications(HWND hWndParent) {
  if (!hWndParent) return;
  if (CWnd::FromHandlePermanent(hWndParent) &&
      reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWndParent, GWLP_WNDPROC)) == &CWnd::StandardWndProc)
    return;
  auto& parents = WrappedParents();
  const auto found = parents.find(hWndParent);
  if (found != parents.end()) {
    ++found->second.users;
    return;
  }
  const WNDPROC previous = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hWndParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReflectingProc)));
  if (previous) parents[hWndParent] = {previous, 1};
}

void StopReflectingChildNotifications(HWND hWndParent) {
  auto& parents = WrappedParents();
  const auto found = parents.find(hWndParent);
  if (found == parents.end() || --found->second.users > 0) return;
  // Unwrapped only while nothing has wrapped the procedure since; otherwise the wrapper
  // stays in the chain, passing everything on, until the parent goes.
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWndParent, GWLP_WNDPROC)) != &ReflectingProc)
    return;
  ::SetWindowLongPtrA(hWndParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.previous));
  parents.erase(found);
}
