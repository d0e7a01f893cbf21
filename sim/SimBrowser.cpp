#include "sim/SimBrowser.h"

#include <exdisp.h>
#include <olectl.h>

#include "sim/CommandTokens.h"

namespace sim {

namespace {

BSTR AllocBstr(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

// A command-language token that survives any text: quoted, with escapes.
std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (char c : WideToUtf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out + "\"";
}

}  // namespace

SimBrowser::SimBrowser(const std::string& id, CommandQueue queue) : m_id(id), m_queue(std::move(queue)) {
  m_connectionPoint.Attach(new EventConnectionPoint(this));
}

SimBrowser::~SimBrowser() { m_connectionPoint->DetachContainer(); }

void SimBrowser::Close() {
  m_connectionPoint->ReleaseSinks();
  m_document.Reset();
  m_window = nullptr;
}

const SimBrowser::Entry SimBrowser::kInterfaces[] = {
    {&IID_IUnknown, As<IWebBrowser2>},
    {&IID_IDispatch, As<IWebBrowser2>},
    {&IID_IWebBrowser, As<IWebBrowser2>},
    {&IID_IWebBrowserApp, As<IWebBrowser2>},
    {&IID_IWebBrowser2, As<IWebBrowser2>},
    {&IID_IConnectionPointContainer, As<IConnectionPointContainer>},
    {},
};

HRESULT SimBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
  if (!m_window) return E_FAIL;
  m_queue("navigate " + m_id + " " + Quoted(url ? url : L""));
  return S_OK;
}

HRESULT SimBrowser::Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
  if (!url) return E_INVALIDARG;
  const VARIANT* value = V_VT(url) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(url) : url;
  if (V_VT(value) != VT_BSTR) return E_INVALIDARG;
  return Navigate(V_BSTR(value), nullptr, nullptr, nullptr, nullptr);
}

HRESULT SimBrowser::Stop() { return S_OK; }

HRESULT SimBrowser::get_Application(IDispatch** application) {
  if (!application) return E_POINTER;
  *application = static_cast<IWebBrowser2*>(this);
  AddRef();
  return S_OK;
}

HRESULT SimBrowser::get_Parent(IDispatch** parent) { return get_Application(parent); }

HRESULT SimBrowser::get_Document(IDispatch** document) {
  if (!document) return E_POINTER;
  *document = m_document.Get();
  if (!*document) return E_FAIL;
  (*document)->AddRef();
  return S_OK;
}

HRESULT SimBrowser::get_TopLevelContainer(VARIANT_BOOL* topLevel) {
  if (!topLevel) return E_POINTER;
  *topLevel = m_role == Role::kFrame ? VARIANT_FALSE : VARIANT_TRUE;
  return S_OK;
}

HRESULT SimBrowser::get_Type(BSTR* type) {
  if (!type) return E_POINTER;
  *type = SysAllocString(L"HTML Document");
  return S_OK;
}

HRESULT SimBrowser::get_LocationName(BSTR* name) {
  if (!name) return E_POINTER;
  *name = AllocBstr(m_locationName);
  return S_OK;
}

HRESULT SimBrowser::get_LocationURL(BSTR* url) {
  if (!url) return E_POINTER;
  *url = AllocBstr(m_locationUrl);
  return S_OK;
}

HRESULT SimBrowser::get_Busy(VARIANT_BOOL* busy) {
  if (!busy) return E_POINTER;
  *busy = VARIANT_FALSE;
  return S_OK;
}

HRESULT SimBrowser::Quit() {
  if (m_window && m_role == Role::kApplication) m_queue("close " + m_id + " quit");
  return S_OK;
}

HRESULT SimBrowser::get_Name(BSTR* name) {
  if (!name) return E_POINTER;
  *name = SysAllocString(L"Internet Explorer");
  return S_OK;
}

HRESULT SimBrowser::get_HWND(SHANDLE_PTR* window) {
  if (!window) return E_POINTER;
  // A control or a frame has no application window to report.
  const HWND own = m_role == Role::kApplication ? m_window : nullptr;
  *window = reinterpret_cast<SHANDLE_PTR>(own);
  return own ? S_OK : E_FAIL;
}

HRESULT SimBrowser::get_FullName(BSTR* path) {
  if (!path) return E_POINTER;
  wchar_t module[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  *path = SysAllocString(module);
  return S_OK;
}

HRESULT SimBrowser::get_Visible(VARIANT_BOOL* visible) {
  if (!visible) return E_POINTER;
  *visible = (m_window && IsWindowVisible(m_window)) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT SimBrowser::put_Visible(VARIANT_BOOL visible) {
  if (!m_window) return E_FAIL;
  ShowWindow(m_window, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
  return S_OK;
}

HRESULT SimBrowser::get_ReadyState(READYSTATE* state) {
  if (!state) return E_POINTER;
  *state = READYSTATE_COMPLETE;
  return S_OK;
}

HRESULT SimBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT SimBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (riid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
  *point = m_connectionPoint.Get();
  (*point)->AddRef();
  return S_OK;
}

}  // namespace sim
