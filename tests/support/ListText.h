#pragma once
// Reads a list view's cell texts as another window reads them: LVM_GETITEMTEXTA into a
// buffer of the reader's size.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace testsupport {

inline std::string ListItemText(HWND list, int item, int sub, size_t bufferSize = 4096) {
  std::string text(bufferSize, '\0');
  LVITEMA cell = {};
  cell.iSubItem = sub;
  cell.pszText = &text[0];
  cell.cchTextMax = static_cast<int>(bufferSize);
  const LRESULT length = ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace testsupport
