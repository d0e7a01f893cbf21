#pragma once
// An object of another apartment as a call made here hands it to another process: the bytes
// CoMarshalInterface wrote for it (as IDispatch, for another process) on the object's own
// thread, written again whenever a call made here marshals this stand-in. The receiver then
// reaches the object itself, exactly as if the object's own thread had made the call, and
// handing it over asks nothing of that thread.
//
// Table-strong data may be handed out any number of times: whoever unmarshals them asks the
// object's own thread for references of its own. Normal data carry their references with
// them, so they are handed out once, and given back (released) if never handed out.
//
// Calls made on the stand-in within this process, and marshalling it for this process, go to
// `local`, this apartment's proxy of the object, when there is one, and fail with
// RPC_E_WRONG_THREAD without one.
#include <windows.h>
#include <objidl.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <vector>

#include "sim/ComObject.h"

namespace sim {

class MarshalledReference final : public ComObject<MarshalledReference, IDispatch, IMarshal> {
 public:
  static const Entry kInterfaces[];

  // On `object`'s own thread: its IDispatch marshalled for another process with `flags`
  // (MSHLFLAGS_NORMAL or MSHLFLAGS_TABLESTRONG); empty when it could not be.
  static std::vector<BYTE> Marshal(IDispatch* object, MSHLFLAGS flags);

  // `objref` as Marshal made it with `flags`; `local` may be null.
  MarshalledReference(std::vector<BYTE> objref, MSHLFLAGS flags, IDispatch* local);

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;
  // IMarshal
  HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID riid, void* object, DWORD context, void* contextData,
                                              DWORD flags, CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID riid, void* object, DWORD context, void* contextData,
                                              DWORD flags, DWORD* size) override;
  HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* stream, REFIID riid, void* object, DWORD context,
                                             void* contextData, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* stream, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD reserved) override;

 private:
  ~MarshalledReference();
  // Whether marshalling as asked is handing out the data kept here.
  bool HandsOut(REFIID riid, DWORD context, DWORD flags) const;
  // The marshaller of `local`; RPC_E_WRONG_THREAD without one.
  HRESULT LocalMarshal(IMarshal** marshal) const;

  std::vector<BYTE> m_objref;
  MSHLFLAGS m_flags;
  Microsoft::WRL::ComPtr<IDispatch> m_local;
  bool m_handedOut = false;
};

}  // namespace sim
