#pragma once
// The windows of one simulated browser: a top-level frame captioned with the page title,
// and per document pane a "Shell DocObject View" holding an "Internet Explorer_Server"
// window that hands out its HTML document for the registered message "WM_HTML_GETOBJECT".
// A shell-folder window has a frame and no rendering window. A host program's window (a class
// of its own, its own caption) holds the browser control's "Shell Embedding" window, with
// the pane and the rendering window below it, beneath a strip of its own.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimDocument.h"

namespace sim {

class BrowserWindow {
 public:
  enum class Kind { kBrowser, kFolder, kHost };
  using CloseRequest = std::function<void()>;

  // `title` is the caption: the page title, or a host program's own caption.
  BrowserWindow(Kind kind, const std::wstring& title, const std::vector<SimDocument*>& documents, bool visible,
                CloseRequest onClose);
  BrowserWindow(const BrowserWindow&) = delete;
  BrowserWindow& operator=(const BrowserWindow&) = delete;
  ~BrowserWindow();

  HWND Frame() const { return m_frame; }
  const std::vector<HWND>& ServerWindows() const { return m_servers; }
  // A new page title: a browser's caption shows it; a host program keeps its own caption.
  void ShowPageTitle(const std::wstring& title);
  void Repaint();
  // Puts the top-level window's corner at (x, y) on the screen.
  void MoveTo(int x, int y);
  // Runs `task` from the thread's message loop after the messages already queued for the
  // thread (incoming calls among them) and before any queued later; never if the window
  // goes first.
  void Post(std::function<void()> task);

 private:
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterClasses();
  void Layout();

  static void PaintHostStrip(HWND window);

  Kind m_kind;
  HWND m_frame = nullptr;
  HWND m_embedding = nullptr;  // the control's own window inside a host program
  std::vector<HWND> m_panes;
  std::vector<HWND> m_servers;
  CloseRequest m_onClose;
  std::deque<std::function<void()>> m_tasks;  // posted, each with a message of its own
};

}  // namespace sim
