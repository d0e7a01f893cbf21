#include "sim/BrowserWindow.h"

#include <oleacc.h>

namespace sim {

namespace {

const wchar_t kBrowserFrameClass[] = L"IEFrame";
const wchar_t kFolderFrameClass[] = L"CabinetWClass";
const wchar_t kPaneClass[] = L"Shell DocObject View";
const wchar_t kServerClass[] = L"Internet Explorer_Server";

UINT HtmlGetObjectMessage() {
  static const UINT message = RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
  return message;
}

}  // namespace

void BrowserWindow::RegisterClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc = {};
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpfnWndProc = FrameProc;
  wc.lpszClassName = kBrowserFrameClass;
  RegisterClassW(&wc);
  wc.lpszClassName = kFolderFrameClass;
  RegisterClassW(&wc);
  wc.lpfnWndProc = PaneProc;
  wc.lpszClassName = kPaneClass;
  RegisterClassW(&wc);
  wc.lpfnWndProc = ServerProc;
  wc.lpszClassName = kServerClass;
  RegisterClassW(&wc);
}

BrowserWindow::BrowserWindow(Kind kind, const std::wstring& title, const std::vector<SimDocument*>& documents,
                             bool visible, CloseRequest onClose)
    : m_onClose(std::move(onClose)) {
  RegisterClasses();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  m_frame = CreateWindowExW(0, kind == Kind::kFolder ? kFolderFrameClass : kBrowserFrameClass, title.c_str(),
                            WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 320, nullptr, nullptr,
                            instance, nullptr);
  if (!m_frame) return;
  SetWindowLongPtrW(m_frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  for (SimDocument* document : documents) {
    HWND pane = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10,
                                m_frame, nullptr, instance, nullptr);
    HWND server = CreateWindowExW(0, kServerClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, pane, nullptr,
                                  instance, nullptr);
    SetWindowLongPtrW(server, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(document));
    m_panes.push_back(pane);
    m_servers.push_back(server);
  }
  Layout();
  if (visible) ShowWindow(m_frame, SW_SHOWNOACTIVATE);
}

BrowserWindow::~BrowserWindow() {
  if (!m_frame) return;
  SetWindowLongPtrW(m_frame, GWLP_USERDATA, 0);
  for (HWND server : m_servers) SetWindowLongPtrW(server, GWLP_USERDATA, 0);
  DestroyWindow(m_frame);
}

void BrowserWindow::SetCaption(const std::wstring& title) {
  if (m_frame) SetWindowTextW(m_frame, title.c_str());
  Repaint();
}

void BrowserWindow::Repaint() {
  for (HWND server : m_servers) InvalidateRect(server, nullptr, TRUE);
}

void BrowserWindow::Layout() {
  RECT client = {};
  GetClientRect(m_frame, &client);
  const int count = static_cast<int>(m_panes.size());
  for (int i = 0; i < count; ++i) {
    const int left = client.right * i / count;
    const int right = client.right * (i + 1) / count;
    MoveWindow(m_panes[i], left, 0, right - left, client.bottom, TRUE);
    MoveWindow(m_servers[i], 0, 0, right - left, client.bottom, TRUE);
  }
}

LRESULT CALLBACK BrowserWindow::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<BrowserWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_SIZE:
      if (self) self->Layout();
      return 0;
    case WM_CLOSE:
      // Closing by hand goes through the simulator's queue, like any other close.
      if (self && self->m_onClose) self->m_onClose();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK BrowserWindow::PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK BrowserWindow::ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* document = reinterpret_cast<SimDocument*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == HtmlGetObjectMessage()) {
    if (!document) return 0;
    return LresultFromObject(IID_IHTMLDocument, wParam, static_cast<IHTMLDocument2*>(document));
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (document) {
      RECT rect;
      GetClientRect(window, &rect);
      InflateRect(&rect, -8, -8);
      const std::wstring text = document->Title() + L"\n" + document->Url();
      DrawTextW(dc, text.c_str(), -1, &rect, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace sim
