#include "sim/PlainDispatch.h"

#include <exdisp.h>

namespace sim {

const PlainDispatch::Entry PlainDispatch::kInterfaces[] = {
    {&IID_IUnknown, As<IDispatch>},
    {&IID_IDispatch, As<IDispatch>},
    {},
};

HRESULT PlainDispatch::QueryInterface(REFIID riid, void** object) {
  const bool browser = riid == IID_IWebBrowser2 || riid == IID_IWebBrowserApp || riid == IID_IWebBrowser;
  if (browser && m_onAsked) m_onAsked();
  if (browser && m_refusal != E_NOINTERFACE) {
    if (object) *object = nullptr;
    return m_refusal;
  }
  return ComObject::QueryInterface(riid, object);
}

HRESULT PlainDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT PlainDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT PlainDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace sim
