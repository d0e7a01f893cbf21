#pragma once
// Reads the clipboard's text as a program pasting it would.
#include <windows.h>

#include <string>

namespace testsupport {

// The clipboard's text ("" when it holds none), or "(clipboard busy)" when another window
// holds the clipboard open.
inline std::string ClipboardText() {
  if (!::OpenClipboard(nullptr)) return "(clipboard busy)";
  std::string text;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(data))) text = p;
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

}  // namespace testsupport
