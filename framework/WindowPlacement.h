#pragma once
// Where a top-level window's normal rectangle, as the system's window placement reports it,
// lies on the screen. The placement counts from the top-left corner of the work area of the
// window's monitor, so a task bar at the top or left shifts it against screen coordinates;
// a rectangle left on a monitor that is no longer there is brought onto the nearest one.
#include <windows.h>

// The screen rectangle of placement rectangle `normal` on the monitor with rectangle
// `monitor` and work area `workArea`. A rectangle that then overlaps no part of the work
// area is moved (and, if larger, shrunk) to lie inside it; one that overlaps keeps its place.
RECT PlacementToScreen(const RECT& normal, const RECT& monitor, const RECT& workArea);

// The same on the monitor nearest to `normal`.
RECT PlacementToScreen(const RECT& normal);
