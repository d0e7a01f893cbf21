#include "threads/MessageOnlyWindow.h"

HWND CreateMessageOnlyWindow(const char* className, WNDPROC proc) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  ::RegisterClassA(&windowClass);  // fails harmlessly once registered
  return ::CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
}
