#pragma once
// Puts one text on the clipboard as CF_TEXT, owned by a window.
#include <windows.h>

class CClipboardText {
 public:
  CClipboardText() = default;

  BOOL SetOwner(HWND hWndOwner) {
    m_hWndOwner = hWndOwner;
    return TRUE;
  }
  // FALSE when memory or the clipboard cannot be had; the clipboard is then unchanged.
  BOOL SetText(const char* text);

 private:
  HWND m_hWndOwner = nullptr;
};
