#include "framework/MessageBox.h"

#include "framework/WinApp.h"

namespace {
MessageBoxHook g_hook = nullptr;
}

int ShowMessageBox(HWND hWndOwner, const char* text, const char* caption, UINT type) {
  // Owned by the top-level window, which stays disabled while the box is open; without a
  // caption of its own, the box is titled with the application's name.
  const HWND owner = AfxGetModalOwner(hWndOwner);
  if (!caption) {
    const CWinApp* app = AfxGetApp();
    caption = app && app->m_pszAppName ? app->m_pszAppName : "";
  }
  if (g_hook) return g_hook(owner, text, caption, type);
  return ::MessageBoxA(owner, text, caption, type);
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  const MessageBoxHook previous = g_hook;
  g_hook = hook;
  return previous;
}
