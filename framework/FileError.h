#pragma once
// The framework's report of a file that could not be written or closed: a message box,
// through ShowMessageBox, naming the file.
#include <windows.h>

// `path` is the file; `errorCode` a Win32 error code or an errno value (0 if unknown).
void ReportFileWriteError(HWND hWndOwner, const char* path, int errorCode);
