#include "sim/BrowserWindow.h"

#include <oleacc.h>

namespace sim {

namespace {

const wchar_t kBrowserFrameClass[] = L"IEFrame";
const wchar_t kFolderFrameClass[] = L"CabinetWClass";
const wchar_t kHostFrameClass[] = L"OrmixSimHostWindow";
const wchar_t kEmbeddingClass[] = L"Shell Embedding";
const wchar_t kPaneClass[] = L"Shell DocObject View";
const wchar_t kServerClass[] = L"Internet Explorer_Server";

// The host program's strip above its embedded browser.
constexpr int kHostStripHeight = 28;
// Posted to a frame for each task handed to Post.
constexpr UINT kRunTaskMessage = WM_APP;

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
  wc.lpszClassName = kHostFrameClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&wc);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpfnWndProc = PaneProc;
  wc.lpszClassName = kEmbeddingClass;
  RegisterClassW(&wc);
  wc.lpszClassName = kPaneClass;
  RegisterClassW(&wc);
  wc.lpfnWndProc = ServerProc;
  wc.lpszClassName = kServerClass;
  RegisterClassW(&wc);
}

BrowserWindow::BrowserWindow(Kind kind, const std::wstring& title, const std::vector<SimDocument*>& documents,
                             bool visible, CloseRequest onClose)
    : m_kind(kind), m_onClose(std::move(onClose)) {
  RegisterClasses();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const wchar_t* frameClass = kind == Kind::kFolder ? kFolderFrameClass
                              : kind == Kind::kHost ? kHostFrameClass
                                                    : kBrowserFrameClass;
  m_frame = CreateWindowExW(0, frameClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
  if (!m_frame) return;
  SetWindowLongPtrW(m_frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (kind == Kind::kHost)
    m_embedding = CreateWindowExW(0, kEmbeddingClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10,
                                  m_frame, nullptr, instance, nullptr);
  HWND paneParent = m_embedding ? m_embedding : m_frame;
  for (SimDocument* document : documents) {
    HWND pane = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10,
                                paneParent, nullptr, instance, nullptr);
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

void BrowserWindow::ShowPageTitle(const std::wstring& title) {
  if (m_frame && m_kind != Kind::kHost) SetWindowTextW(m_frame, title.c_str());
  Repaint();
}

void BrowserWindow::Repaint() {
  for (HWND server : m_servers) InvalidateRect(server, nullptr, TRUE);
}

void BrowserWindow::MoveTo(int x, int y) {
  if (m_frame) SetWindowPos(m_frame, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BrowserWindow::Post(std::function<void()> task) {
  if (!m_frame) return;
  m_tasks.push_back(std::move(task));
  if (!PostMessageW(m_frame, kRunTaskMessage, 0, 0)) m_tasks.pop_back();
}

void BrowserWindow::Layout() {
  RECT client = {};
  GetClientRect(m_frame, &client);
  if (m_embedding) {
    MoveWindow(m_embedding, 0, kHostStripHeight, client.right, client.bottom - kHostStripHeight, TRUE);
    GetClientRect(m_embedding, &client);
  }
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
    case WM_PAINT:
      if (!self || self->m_kind != Kind::kHost) return DefWindowProcW(window, message, wParam, lParam);
      PaintHostStrip(window);
      return 0;
    case WM_CLOSE:
      // Closing by hand goes through the simulator's queue, like any other close.
      if (self && self->m_onClose) self->m_onClose();
      return 0;
    case kRunTaskMessage:
      if (self && !self->m_tasks.empty()) {
        // Taken off before it runs: it may post another.
        const std::function<void()> task = std::move(self->m_tasks.front());
        self->m_tasks.pop_front();
        task();
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void BrowserWindow::PaintHostStrip(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT strip;
  GetClientRect(window, &strip);
  strip.bottom = kHostStripHeight;
  InflateRect(&strip, -8, 0);
  wchar_t caption[256] = L"";
  GetWindowTextW(window, caption, 256);
  const std::wstring text = std::wstring(L"Host program: ") + caption;
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), -1, &strip, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  EndPaint(window, &paint);
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
