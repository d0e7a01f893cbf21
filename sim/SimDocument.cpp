#include "sim/SimDocument.h"

#include <exdisp.h>
#include <shlguid.h>

namespace sim {

SimDocument::SimDocument(IWebBrowser2* browser, const std::wstring& title, const std::wstring& url)
    : m_browser(browser), m_title(title), m_url(url) {}

const SimDocument::Entry SimDocument::kInterfaces[] = {
    {&IID_IUnknown, As<IHTMLDocument2>},
    {&IID_IDispatch, As<IHTMLDocument2>},
    {&IID_IHTMLDocument, As<IHTMLDocument2>},
    {&IID_IHTMLDocument2, As<IHTMLDocument2>},
    {&IID_IOleCommandTarget, As<IOleCommandTarget>},
    {&IID_IServiceProvider, As<IServiceProvider>},
    {},
};

HRESULT SimDocument::get_title(BSTR* title) {
  if (!title) return E_POINTER;
  *title = SysAllocStringLen(m_title.data(), static_cast<UINT>(m_title.size()));
  return S_OK;
}

HRESULT SimDocument::put_title(BSTR title) {
  m_title = title ? title : L"";
  return S_OK;
}

HRESULT SimDocument::get_URL(BSTR* url) {
  if (!url) return E_POINTER;
  *url = SysAllocStringLen(m_url.data(), static_cast<UINT>(m_url.size()));
  return S_OK;
}

HRESULT SimDocument::get_readyState(BSTR* state) {
  if (!state) return E_POINTER;
  *state = SysAllocString(L"complete");
  return S_OK;
}

HRESULT SimDocument::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_NOTSUPPORTED; }

HRESULT SimDocument::Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) { return OLECMDERR_E_NOTSUPPORTED; }

HRESULT SimDocument::QueryService(REFGUID service, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (service != SID_SWebBrowserApp) return E_NOINTERFACE;
  if (!m_browser) return E_FAIL;
  return m_browser->QueryInterface(riid, object);
}

}  // namespace sim
