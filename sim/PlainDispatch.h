#pragma once
// An automation object that is nothing but IDispatch: the document of a shell folder window
// (not an HTML document) and the collection item that is not a browser at all.
#include <windows.h>
#include <oaidl.h>

#include "sim/ComObject.h"

namespace sim {

class PlainDispatch final : public ComObject<PlainDispatch, WithoutTypeInfo<IDispatch>> {
 public:
  static const Entry kInterfaces[];

  PlainDispatch() = default;

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  ~PlainDispatch() = default;
};

}  // namespace sim
