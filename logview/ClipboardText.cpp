#include "logview/ClipboardText.h"

#include <cstring>

BOOL CClipboardText::SetText(const char* text) {
  if (!text) text = "";
  const size_t size = std::strlen(text) + 1;
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!memory) return FALSE;
  void* data = ::GlobalLock(memory);
  if (!data) {
    ::GlobalFree(memory);
    return FALSE;
  }
  std::memcpy(data, text, size);
  ::GlobalUnlock(memory);
  if (!::OpenClipboard(m_hWndOwner)) {
    ::GlobalFree(memory);
    return FALSE;
  }
  ::EmptyClipboard();
  // From here on the clipboard owns the memory, unless it refused it.
  if (!::SetClipboardData(CF_TEXT, memory)) {
    ::CloseClipboard();
    ::GlobalFree(memory);
    return FALSE;
  }
  ::CloseClipboard();
  return TRUE;
}
