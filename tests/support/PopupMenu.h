#pragma once
// Reads a pop-up menu while the code under test tracks it, as the user sees it, and picks
// one of its items (or none) so the tracking ends.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct OpenedMenu {
  std::vector<std::string> texts;  // "" for a separator
  std::vector<bool> grayed;
};

// Runs `open`, which tracks a pop-up menu; once the menu shows, records its items and
// chooses the item with mnemonic `choice` (0: closes the menu with no choice). Nothing is
// recorded when no menu showed.
inline OpenedMenu WhileMenuOpen(const std::function<void()>& open, char choice) {
  static OpenedMenu seen;
  static char key;
  seen = OpenedMenu();
  key = choice;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWnd = ::FindWindowA("#32768", nullptr);
    if (!menuWnd || !::IsWindowVisible(menuWnd)) return;
    ::KillTimer(nullptr, id);
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWnd, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
      char text[128] = "";
      ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
      seen.texts.push_back(text);
      seen.grayed.push_back((::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0);
    }
    if (key)
      ::PostMessageA(menuWnd, WM_CHAR, static_cast<WPARAM>(key), 0);
    else
      ::EndMenu();
  });
  open();
  ::KillTimer(nullptr, timer);
  return seen;
}

}  // namespace testsupport
