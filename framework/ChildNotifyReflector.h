#pragma once
// Lets a control hear the notifications it sends to a parent that is not a framework window
// (a plain window merely attached to an object, or one of another program's classes): the
// parent's procedure is wrapped, once per parent, so that a WM_NOTIFY from a child with a
// window object goes to that child's OnChildNotify first. A framework window reflects by
// itself and is left alone. Calls pair up: each Reflect with one Stop.
#include <windows.h>

void ReflectChildNotifications(HWND hWndParent);
void StopReflectingChildNotifications(HWND hWndParent);
