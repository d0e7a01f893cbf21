#pragma once
// The HTML document shown in one rendering window of a simulated browser. Answers for
// IHTMLDocument2 (title, URL, ready state), IOleCommandTarget, and IServiceProvider, whose
// SID_SWebBrowserApp service is the browser hosting the document.
#include <windows.h>
#include <docobj.h>
#include <servprov.h>
#include <wrl/client.h>

#include <string>

#include "sim/ComObject.h"
#include "sim/ComStubs.h"

namespace sim {

class SimDocument final : public ComObject<SimDocument, WithoutTypeInfo<NotImplIHTMLDocument2>, IOleCommandTarget,
                                           IServiceProvider> {
 public:
  static const Entry kInterfaces[];

  SimDocument(IWebBrowser2* browser, const std::wstring& title, const std::wstring& url);

  void SetTitle(const std::wstring& title) { m_title = title; }
  void SetUrl(const std::wstring& url) { m_url = url; }
  const std::wstring& Title() const { return m_title; }
  const std::wstring& Url() const { return m_url; }
  // The browser has closed: the service chain no longer leads to it.
  void DetachBrowser() { m_browser = nullptr; }

  // IHTMLDocument2
  HRESULT STDMETHODCALLTYPE get_title(BSTR* title) override;
  HRESULT STDMETHODCALLTYPE put_title(BSTR title) override;
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_readyState(BSTR* state) override;
  // IOleCommandTarget
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
  HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in, VARIANT* out) override;
  // IServiceProvider
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** object) override;

 private:
  ~SimDocument() = default;

  IWebBrowser2* m_browser;  // not counted: the browser owns its documents
  std::wstring m_title;
  std::wstring m_url;
};

}  // namespace sim
