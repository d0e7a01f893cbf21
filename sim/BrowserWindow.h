#pragma once
// The windows of one simulated browser: a top-level frame captioned with the page title,
// and per document pane a "Shell DocObject View" holding an "Internet Explorer_Server"
// window that hands out its HTML document for the registered message "WM_HTML_GETOBJECT".
// A shell-folder window has a frame and no rendering window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/SimDocument.h"

namespace sim {

class BrowserWindow {
 public:
  enum class Kind { kBrowser, kFolder };
  using CloseRequest = std::function<void()>;

  BrowserWindow(Kind kind, const std::wstring& title, const std::vector<SimDocument*>& documents, bool visible,
                CloseRequest onClose);
  BrowserWindow(const BrowserWindow&) = delete;
  BrowserWindow& operator=(const BrowserWindow&) = delete;
  ~BrowserWindow();

  HWND Frame() const { return m_frame; }
  const std::vector<HWND>& ServerWindows() const { return m_servers; }
  void SetCaption(const std::wstring& title);
  void Repaint();

 private:
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterClasses();
  void Layout();

  HWND m_frame = nullptr;
  std::vector<HWND> m_panes;
  std::vector<HWND> m_servers;
  CloseRequest m_onClose;
};

}  // namespace sim
