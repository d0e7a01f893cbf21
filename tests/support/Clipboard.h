#pragma once
// Reads and sets the clipboard's text as other programs copying and pasting would.
#include <windows.h>

#include <cstring>
#include <string>

namespace testsupport {

// The clipboard's text ("" when it holds none), or "(clipboard busy)" when another window
// holds the clipboard open; text that fills its memory without a terminating zero is
// followed by "<unterminated>".
inline std::string ClipboardText() {
  if (!::OpenClipboard(nullptr)) return "(clipboard busy)";
  std::string text;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(data))) {
      const size_t size = ::GlobalSize(data);
      text.assign(p, strnlen(p, size));
      if (text.size() == size) text += "<unterminated>";
    }
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

// Puts `text` on the clipboard as another program's copy; false when the clipboard is busy.
inline bool SetClipboardText(const char* text) {
  if (!::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
  std::memcpy(::GlobalLock(data), text, std::strlen(text) + 1);
  ::GlobalUnlock(data);
  ::SetClipboardData(CF_TEXT, data);
  ::CloseClipboard();
  return true;
}

}  // namespace testsupport
