#pragma once
// Receives the events of one browser, one operation per catalogued event in catalogue
// order. Every operation does nothing by default; implementers override what they need.
// Pointer arguments are borrowed for the call; text arguments are temporary ANSI copies.
#include <windows.h>
#include <oaidl.h>

class IBrowserEventListener {
 public:
  virtual void StatusTextChange(const char* /*text*/) {}
  virtual void ProgressChange(long /*progress*/, long /*progressMax*/) {}
  virtual void CommandStateChange(long /*command*/, BOOL /*enable*/) {}
  virtual void DownloadBegin() {}
  virtual void DownloadComplete() {}
  virtual void TitleChange(const char* /*text*/) {}
  virtual void PropertyChange(const char* /*property*/) {}
  virtual void BeforeNavigate2(IDispatch* /*browser*/, VARIANT* /*url*/, VARIANT* /*flags*/,
                               VARIANT* /*targetFrameName*/, VARIANT* /*postData*/,
                               VARIANT* /*headers*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void NewWindow2(IDispatch** /*newBrowser*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void NavigateComplete2(IDispatch* /*browser*/, VARIANT* /*url*/) {}
  virtual void DocumentComplete(IDispatch* /*browser*/, VARIANT* /*url*/) {}
  virtual void OnQuit() {}
  virtual void OnVisible(BOOL /*visible*/) {}
  virtual void OnToolBar(BOOL /*toolBar*/) {}
  virtual void OnMenuBar(BOOL /*menuBar*/) {}
  virtual void OnStatusBar(BOOL /*statusBar*/) {}
  virtual void OnFullScreen(BOOL /*fullScreen*/) {}
  virtual void OnTheaterMode(BOOL /*theaterMode*/) {}
  virtual void WindowSetResizable(BOOL /*resizable*/) {}
  virtual void WindowSetLeft(long /*left*/) {}
  virtual void WindowSetTop(long /*top*/) {}
  virtual void WindowSetWidth(long /*width*/) {}
  virtual void WindowSetHeight(long /*height*/) {}
  virtual void WindowClosing(BOOL /*isChildWindow*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void ClientToHostWindow(long* /*width*/, long* /*height*/) {}
  virtual void SetSecureLockIcon(long /*secureLockIcon*/) {}
  virtual void FileDownload(VARIANT_BOOL* /*cancel*/) {}
  virtual void NavigateError(IDispatch* /*browser*/, VARIANT* /*url*/, VARIANT* /*frame*/,
                             VARIANT* /*statusCode*/, VARIANT_BOOL* /*cancel*/) {}
  virtual void PrintTemplateInstantiation(IDispatch* /*browser*/) {}
  virtual void PrintTemplateTeardown(IDispatch* /*browser*/) {}
  virtual void UpdatePageStatus(IDispatch* /*browser*/, VARIANT* /*page*/, VARIANT* /*done*/) {}
  virtual void PrivacyImpactedStateChange(BOOL /*impacted*/) {}

 protected:
  ~IBrowserEventListener() = default;
};
