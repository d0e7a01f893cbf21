// The least a Win32 window program does, as the yardstick of the start-up benchmark: it
// registers a class, creates and shows one window, and once its first WM_PAINT is done sets
// the named event given on its command line (if any). It ends when its window is closed.
//   bare_window.exe [EVENT_NAME]
#include <windows.h>

namespace {

const char kClassName[] = "OrmixBenchBareWindow";
HANDLE g_painted = nullptr;

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hWnd, &ps);
      static const char text[] = "Bare window";
      TextOutA(dc, 8, 8, text, sizeof(text) - 1);
      EndPaint(hWnd, &ps);
      if (g_painted) {
        SetEvent(g_painted);
        CloseHandle(g_painted);
        g_painted = nullptr;
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hWnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  if (lpCmdLine && *lpCmdLine) g_painted = OpenEventA(EVENT_MODIFY_STATE, FALSE, lpCmdLine);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = hInstance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return 1;
  HWND hWnd = CreateWindowA(kClassName, "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
  if (!hWnd) return 1;
  ShowWindow(hWnd, nCmdShow);
  UpdateWindow(hWnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
