#pragma once
// The event sink advised on a browser's DWebBrowserEvents2 connection point. Its dispatch
// map turns each catalogued event into a call of its forwarding operation of the same name,
// which passes the event on to the listener (if one is set). Created by name as
// "CWebBrowserEvents2"; owned and deleted by its connection holder.
#include "browser/BrowserEventListener.h"
#include "framework/CmdTarget.h"

class CWebBrowserEvents2 : public CCmdTarget {
  ORMIX_DECLARE_DYNCREATE(CWebBrowserEvents2)

 public:
  CWebBrowserEvents2();
  ~CWebBrowserEvents2() override;

  BOOL SetListener(IBrowserEventListener* listener);
  // Runs the dispatch of an event received elsewhere, over its copied arguments, as a call of
  // the browser's would; the same result.
  HRESULT Deliver(DISPID dispid, DISPPARAMS* params) {
    return InvokeHelper(IID_NULL, dispid, DISPATCH_METHOD, params, nullptr, nullptr);
  }
  // The events this sink takes and what each takes, for a receiver that checks calls for it.
  static const DispatchMap* EventMap() { return &dispatchMap; }
  IBrowserEventListener* GetListener() const { return m_pListener; }

  virtual void StatusTextChange(const char* text);
  virtual void ProgressChange(long progress, long progressMax);
  virtual void CommandStateChange(long command, BOOL enable);
  virtual void DownloadBegin();
  virtual void DownloadComplete();
  virtual void TitleChange(const char* text);
  virtual void PropertyChange(const char* property);
  virtual void BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags,
                               VARIANT* targetFrameName, VARIANT* postData, VARIANT* headers,
                               VARIANT_BOOL* cancel);
  virtual void NewWindow2(IDispatch** newBrowser, VARIANT_BOOL* cancel);
  virtual void NavigateComplete2(IDispatch* browser, VARIANT* url);
  virtual void DocumentComplete(IDispatch* browser, VARIANT* url);
  virtual void OnQuit();
  virtual void OnVisible(BOOL visible);
  virtual void OnToolBar(BOOL toolBar);
  virtual void OnMenuBar(BOOL menuBar);
  virtual void OnStatusBar(BOOL statusBar);
  virtual void OnFullScreen(BOOL fullScreen);
  virtual void OnTheaterMode(BOOL theaterMode);
  virtual void WindowSetResizable(BOOL resizable);
  virtual void WindowSetLeft(long left);
  virtual void WindowSetTop(long top);
  virtual void WindowSetWidth(long width);
  virtual void WindowSetHeight(long height);
  virtual void WindowClosing(BOOL isChildWindow, VARIANT_BOOL* cancel);
  virtual void ClientToHostWindow(long* width, long* height);
  virtual void SetSecureLockIcon(long secureLockIcon);
  virtual void FileDownload(VARIANT_BOOL* cancel);
  virtual void NavigateError(IDispatch* browser, VARIANT* url, VARIANT* frame,
                             VARIANT* statusCode, VARIANT_BOOL* cancel);
  virtual void PrintTemplateInstantiation(IDispatch* browser);
  virtual void PrintTemplateTeardown(IDispatch* browser);
  virtual void UpdatePageStatus(IDispatch* browser, VARIANT* page, VARIANT* done);
  virtual void PrivacyImpactedStateChange(BOOL impacted);

 protected:
  void OnFinalRelease() override;

  ORMIX_DECLARE_DISPATCH_MAP()
  ORMIX_DECLARE_INTERFACE_MAP()

 private:
  template <typename... Params, typename... Args>
  void Forward(void (IBrowserEventListener::*operation)(Params...), Args... args) {
    if (m_pListener) (m_pListener->*operation)(args...);
  }

  IBrowserEventListener* m_pListener;
};
