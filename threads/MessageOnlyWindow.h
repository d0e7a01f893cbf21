#pragma once
// A message-only window of the calling thread, of a class registered here for `proc`: for
// timers and posted messages that must reach this thread's message loop, and nothing else.
#include <windows.h>

// NULL when the window cannot be created.
HWND CreateMessageOnlyWindow(const char* className, WNDPROC proc);
