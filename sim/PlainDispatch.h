#pragma once
// An automation object that is nothing but IDispatch: the document of a shell folder window
// (not an HTML document) and the collection item that is not a browser at all. Such an
// item may answer the browser interfaces with an error other than E_NOINTERFACE (`refusal`,
// a broken server; tests use it in their own process, since COM across processes turns a
// refusal into E_NOINTERFACE), and may call `onAsked` when it is asked for one.
#include <windows.h>
#include <oaidl.h>

#include <functional>

#include "sim/ComObject.h"

namespace sim {

class PlainDispatch final : public ComObject<PlainDispatch, WithoutTypeInfo<IDispatch>> {
 public:
  static const Entry kInterfaces[];

  explicit PlainDispatch(HRESULT refusal = E_NOINTERFACE, std::function<void()> onAsked = nullptr)
      : m_refusal(refusal), m_onAsked(std::move(onAsked)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  ~PlainDispatch() = default;

  HRESULT m_refusal;
  std::function<void()> m_onAsked;
};

}  // namespace sim
