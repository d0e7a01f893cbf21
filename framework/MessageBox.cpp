#include "framework/MessageBox.h"

namespace {
MessageBoxHook g_hook = nullptr;
}

int ShowMessageBox(HWND hWndOwner, const char* text, const char* caption, UINT type) {
  if (g_hook) return g_hook(hWndOwner, text, caption, type);
  return ::MessageBoxA(hWndOwner, text, caption, type);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  const MessageBoxHook previous = g_hook;
  g_hook = hook;
  return previous;
}
