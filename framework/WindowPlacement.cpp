#include "framework/WindowPlacement.h"

#include <algorithm>

RECT PlacementToScreen(const RECT& normal, const RECT& monitor, const RECT& workArea) {
  RECT screen = normal;
  ::OffsetRect(&screen, workArea.left - monitor.left, workArea.top - monitor.top);
  RECT overlap;
  if (::IntersectRect(&overlap, &screen, &workArea)) return screen;

  const LONG width = std::min(screen.right - screen.left, workArea.right - workArea.left);
  const LONG height = std::min(screen.bottom - screen.top, workArea.bottom - workArea.top);
  LONG left = std::max(workArea.left, std::min(screen.left, workArea.right - width));
  LONG top = std::max(workArea.top, std::min(screen.top, workArea.bottom - height));
  return RECT{left, top, left + width, top + height};
}

RECT PlacementToScreen(const RECT& normal) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoA(::MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST), &info))
    return normal;
  return PlacementToScreen(normal, info.rcMonitor, info.rcWork);
}
