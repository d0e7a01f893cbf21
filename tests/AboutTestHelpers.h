#pragma once
// Helpers of the About box tests: one shown parent window for the controls under test, the
// client area of a window read back from the screen, and a control's text width and tool tip.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"

namespace testsupport {

// The test program's one topmost host window, kept until the program ends: under Wine
// without a window manager, hiding a shown top-level window waits 2 s.
inline CWnd& SharedHost() {
  static CWnd* host = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hbrBackground = ::GetSysColorBrush(COLOR_3DFACE);
    wc.lpszClassName = "OrmixAboutTestHost";
    ::RegisterClassA(&wc);
    auto* wnd = new CWnd;
    wnd->CreateEx(WS_EX_TOPMOST, wc.lpszClassName, "host", WS_POPUP | WS_VISIBLE, 40, 40, 420, 220,
                  nullptr, nullptr);
    return wnd;
  }();
  return *host;
}

// The client area of a window as it is on the screen, as COLORREF values row by row.
struct ClientPixels {
  explicit ClientPixels(HWND hWnd) {
    RECT rect;
    ::GetClientRect(hWnd, &rect);
    w = rect.right;
    h = rect.bottom;
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC window = ::GetDC(hWnd);
    HDC memory = ::CreateCompatibleDC(window);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, window, 0, 0, SRCCOPY);
    ::GdiFlush();
    for (int i = 0; i < w * h; ++i) {
      const DWORD p = static_cast<const DWORD*>(bits)[i];
      pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(hWnd, window);
  }
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * w + x)]; }

  int w = 0, h = 0;
  std::vector<COLORREF> pixels;
};

// The width of a control's text in the font it has now.
inline int TextWidth(HWND hWnd) {
  char text[256] = {};
  const int length = ::GetWindowTextA(hWnd, text, sizeof(text));
  HDC dc = ::GetDC(hWnd);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)));
  SIZE size = {};
  ::GetTextExtentPoint32A(dc, text, length, &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(hWnd, dc);
  return size.cx;
}

// The text of tool 1 of the thread's tool tip that serves `hWndTool`; empty if none does.
inline std::string ToolTipText(HWND hWndTool) {
  std::pair<HWND, std::string> search = {hWndTool, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND hWnd, LPARAM lParam) -> BOOL {
    auto* s = reinterpret_cast<std::pair<HWND, std::string>*>(lParam);
    char buffer[512] = {};
    ::GetClassNameA(hWnd, buffer, sizeof(buffer));
    if (lstrcmpiA(buffer, TOOLTIPS_CLASSA) != 0) return TRUE;
    buffer[0] = '\0';
    TOOLINFOA info = {TTTOOLINFOA_V2_SIZE, 0, s->first, 1, {}, nullptr, buffer, 0, nullptr};
    ::SendMessageA(hWnd, TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&info));
    s->second = buffer;
    return s->second.empty();
  }, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

}  // namespace testsupport
