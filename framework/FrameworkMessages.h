#pragma once
// Private messages of the framework, in the customary range.
#include <windows.h>

// Sent by the application at idle time to the main frame and all its descendants: bars and
// indicators refresh their command states. wParam: TRUE to disable commands without a
// handler.
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;
// Sent to a frame to show a text in its status bar's message pane: wParam is a string id
// (0 with lParam a const char*, or AFX_IDS_IDLEMESSAGE for the idle text).
constexpr UINT WM_SETMESSAGESTRING = 0x0362;
// Sent by a view to its frame once the frame has created it and the document is attached.
constexpr UINT WM_INITIALUPDATE = 0x0364;
// Sent to a window just before its owner hides it: a window that has switched its redraw
// off to defer painting finishes that now, since switching redraw back on later would
// make the hidden window visible again.
constexpr UINT WM_FLUSHDEFERREDPAINT = 0x0365;
