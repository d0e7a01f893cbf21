#include "sim/PlainDispatch.h"

namespace sim {

const PlainDispatch::Entry PlainDispatch::kInterfaces[] = {
    {&IID_IUnknown, As<IDispatch>},
    {&IID_IDispatch, As<IDispatch>},
    {},
};

HRESULT PlainDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT PlainDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT PlainDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace sim
