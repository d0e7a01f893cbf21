#pragma once
// An automation object that is nothing but IDispatch: the document of a shell folder window
// (not an HTML document) and the collection item that is not a browser at all.
#include <windows.h>
#include <oaidl.h>

namespace sim {

class PlainDispatch final : public IDispatch {
 public:
  PlainDispatch() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  ~PlainDispatch() = default;
  LONG m_refs = 1;
};

}  // namespace sim
