#include "sim/SimDocument.h"

#include <exdisp.h>
#include <shlguid.h>

namespace sim {

SimDocument::SimDocument(IWebBrowser2* browser, const std::wstring& title, const std::wstring& url)
    : m_browser(browser), m_title(title), m_url(url) {}

HRESULT SimDocument::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument || riid == IID_IHTMLDocument2)
    *object = static_cast<IHTMLDocument2*>(this);
  else if (riid == IID_IOleCommandTarget)
    *object = static_cast<IOleCommandTarget*>(this);
  else if (riid == IID_IServiceProvider)
    *object = static_cast<IServiceProvider*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG SimDocument::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }

ULONG SimDocument::Release() {
  const LONG refs = InterlockedDecrement(&m_refs);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

HRESULT SimDocument::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

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
