#pragma once
// A listener that records every call it receives as its slot and a text of its arguments,
// so tests can check which operation an automation call reached and with what values.
#include <string>
#include <vector>

#include "browser/BrowserEventListener.h"

struct ListenerCall {
  size_t slot;
  std::string args;
};

std::string DescribePointer(const void* p);

class RecordingListener : public IBrowserEventListener {
 public:
  std::vector<ListenerCall> calls;

  void StatusTextChange(const char* text) override;
  void ProgressChange(long progress, long progressMax) override;
  void CommandStateChange(long command, BOOL enable) override;
  void DownloadBegin() override;
  void DownloadComplete() override;
  void TitleChange(const char* text) override;
  void PropertyChange(const char* property) override;
  void BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* frame,
                       VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) override;
  void NewWindow2(IDispatch** newBrowser, VARIANT_BOOL* cancel) override;
  void NavigateComplete2(IDispatch* browser, VARIANT* url) override;
  void DocumentComplete(IDispatch* browser, VARIANT* url) override;
  void OnQuit() override;
  void OnVisible(BOOL visible) override;
  void OnToolBar(BOOL toolBar) override;
  void OnMenuBar(BOOL menuBar) override;
  void OnStatusBar(BOOL statusBar) override;
  void OnFullScreen(BOOL fullScreen) override;
  void OnTheaterMode(BOOL theaterMode) override;
  void WindowSetResizable(BOOL resizable) override;
  void WindowSetLeft(long left) override;
  void WindowSetTop(long top) override;
  void WindowSetWidth(long width) override;
  void WindowSetHeight(long height) override;
  void WindowClosing(BOOL isChildWindow, VARIANT_BOOL* cancel) override;
  void ClientToHostWindow(long* width, long* height) override;
  void SetSecureLockIcon(long secureLockIcon) override;
  void FileDownload(VARIANT_BOOL* cancel) override;
  void NavigateError(IDispatch* browser, VARIANT* url, VARIANT* frame, VARIANT* statusCode,
                     VARIANT_BOOL* cancel) override;
  void PrintTemplateInstantiation(IDispatch* browser) override;
  void PrintTemplateTeardown(IDispatch* browser) override;
  void UpdatePageStatus(IDispatch* browser, VARIANT* page, VARIANT* done) override;
  void PrivacyImpactedStateChange(BOOL impacted) override;

 private:
  template <typename... T>
  void Record(size_t slot, const T&... values);
};
