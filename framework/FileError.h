#pragma once
// The framework's report of a file that could not be written: a message box, through
// ShowMessageBox, naming the file and giving the system's reason.
#include <windows.h>

#include <string>

// `path` is the file; `errorCode` a Win32 error code (0 if unknown).
void ReportFileWriteError(HWND hWndOwner, const char* path, DWORD errorCode);

// The system's text for a Win32 error code, without its line end; the code itself when the
// system has no text for it.
std::string SystemErrorText(DWORD errorCode);
