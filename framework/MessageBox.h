#pragma once
// The one function through which the program shows message boxes. Tests (and anything else
// that must not block) replace the system message box with a hook that records the call
// and returns an answer.
#include <windows.h>

// Same arguments and result as MessageBoxA.
using MessageBoxHook = int (*)(HWND hWndOwner, const char* text, const char* caption, UINT type);

// Shows a message box through the hook if one is set, else through the system.
int ShowMessageBox(HWND hWndOwner, const char* text, const char* caption, UINT type);

// Installs `hook` (NULL restores the system message box); returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
