#include "sim/MarshalledReference.h"

namespace sim {

namespace {

// The bytes written to `stream` so far.
std::vector<BYTE> Written(IStream* stream) {
  ULARGE_INTEGER end = {};
  const LARGE_INTEGER none = {};
  if (FAILED(stream->Seek(none, STREAM_SEEK_CUR, &end)) || FAILED(stream->Seek(none, STREAM_SEEK_SET, nullptr)))
    return {};
  std::vector<BYTE> bytes(static_cast<size_t>(end.QuadPart));
  ULONG read = 0;
  if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size()) return {};
  return bytes;
}

}  // namespace

const MarshalledReference::Entry MarshalledReference::kInterfaces[] = {
    {&IID_IUnknown, As<IDispatch>},
    {&IID_IDispatch, As<IDispatch>},
    {&IID_IMarshal, As<IMarshal>},
    {},
};

std::vector<BYTE> MarshalledReference::Marshal(IDispatch* object, MSHLFLAGS flags) {
  Microsoft::WRL::ComPtr<IStream> stream;
  if (!object || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) ||
      FAILED(CoMarshalInterface(stream.Get(), IID_IDispatch, object, MSHCTX_LOCAL, nullptr, flags)))
    return {};
  std::vector<BYTE> objref = Written(stream.Get());
  if (objref.empty()) {
    // Never handed out: the references the data hold go back.
    const LARGE_INTEGER start = {};
    if (SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) CoReleaseMarshalData(stream.Get());
  }
  return objref;
}

MarshalledReference::MarshalledReference(std::vector<BYTE> objref, MSHLFLAGS flags, IDispatch* local)
    : m_objref(std::move(objref)), m_flags(flags), m_local(local) {}

MarshalledReference::~MarshalledReference() {
  // Normal data not handed out still hold their references to the object: given back here,
  // which within this process needs no call into the object's thread.
  if (m_flags != MSHLFLAGS_NORMAL || m_handedOut || m_objref.empty()) return;
  Microsoft::WRL::ComPtr<IStream> stream;
  const LARGE_INTEGER start = {};
  if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.GetAddressOf())) &&
      SUCCEEDED(stream->Write(m_objref.data(), static_cast<ULONG>(m_objref.size()), nullptr)) &&
      SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
    CoReleaseMarshalData(stream.Get());
}

bool MarshalledReference::HandsOut(REFIID riid, DWORD context, DWORD flags) const {
  const bool otherProcess = context != MSHCTX_INPROC && context != MSHCTX_CROSSCTX;
  return otherProcess && riid == IID_IDispatch && flags == MSHLFLAGS_NORMAL && !m_objref.empty() &&
         (m_flags == MSHLFLAGS_TABLESTRONG || !m_handedOut);
}

HRESULT MarshalledReference::LocalMarshal(IMarshal** marshal) const {
  *marshal = nullptr;
  if (!m_local) return RPC_E_WRONG_THREAD;
  return m_local->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(marshal));
}

HRESULT MarshalledReference::GetTypeInfoCount(UINT* count) {
  if (!m_local) return RPC_E_WRONG_THREAD;
  return m_local->GetTypeInfoCount(count);
}

HRESULT MarshalledReference::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  if (!m_local) return RPC_E_WRONG_THREAD;
  return m_local->GetTypeInfo(index, lcid, info);
}

HRESULT MarshalledReference::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* dispids) {
  if (!m_local) return RPC_E_WRONG_THREAD;
  return m_local->GetIDsOfNames(riid, names, count, lcid, dispids);
}

HRESULT MarshalledReference::Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (!m_local) return RPC_E_WRONG_THREAD;
  return m_local->Invoke(dispid, riid, lcid, flags, params, result, exception, argError);
}

HRESULT MarshalledReference::GetUnmarshalClass(REFIID riid, void*, DWORD context, void* contextData, DWORD flags,
                                               CLSID* clsid) {
  if (!clsid) return E_POINTER;
  // The data kept are a standard object reference, read by the standard unmarshaller.
  if (HandsOut(riid, context, flags)) {
    *clsid = CLSID_StdMarshal;
    return S_OK;
  }
  Microsoft::WRL::ComPtr<IMarshal> marshal;
  const HRESULT hr = LocalMarshal(marshal.GetAddressOf());
  if (FAILED(hr)) return hr;
  return marshal->GetUnmarshalClass(riid, m_local.Get(), context, contextData, flags, clsid);
}

HRESULT MarshalledReference::GetMarshalSizeMax(REFIID riid, void*, DWORD context, void* contextData, DWORD flags,
                                               DWORD* size) {
  if (!size) return E_POINTER;
  if (HandsOut(riid, context, flags)) {
    *size = static_cast<DWORD>(m_objref.size());
    return S_OK;
  }
  Microsoft::WRL::ComPtr<IMarshal> marshal;
  const HRESULT hr = LocalMarshal(marshal.GetAddressOf());
  if (FAILED(hr)) return hr;
  return marshal->GetMarshalSizeMax(riid, m_local.Get(), context, contextData, flags, size);
}

HRESULT MarshalledReference::MarshalInterface(IStream* stream, REFIID riid, void*, DWORD context, void* contextData,
                                              DWORD flags) {
  if (!stream) return E_POINTER;
  if (HandsOut(riid, context, flags)) {
    const HRESULT hr = stream->Write(m_objref.data(), static_cast<ULONG>(m_objref.size()), nullptr);
    if (SUCCEEDED(hr)) m_handedOut = true;
    return hr;
  }
  Microsoft::WRL::ComPtr<IMarshal> marshal;
  const HRESULT hr = LocalMarshal(marshal.GetAddressOf());
  if (FAILED(hr)) return hr;
  return marshal->MarshalInterface(stream, riid, m_local.Get(), context, contextData, flags);
}

HRESULT MarshalledReference::UnmarshalInterface(IStream* stream, REFIID riid, void** object) {
  Microsoft::WRL::ComPtr<IMarshal> marshal;
  const HRESULT hr = LocalMarshal(marshal.GetAddressOf());
  if (FAILED(hr)) return hr;
  return marshal->UnmarshalInterface(stream, riid, object);
}

HRESULT MarshalledReference::ReleaseMarshalData(IStream* stream) {
  Microsoft::WRL::ComPtr<IMarshal> marshal;
  const HRESULT hr = LocalMarshal(marshal.GetAddressOf());
  if (FAILED(hr)) return hr;
  return marshal->ReleaseMarshalData(stream);
}

HRESULT MarshalledReference::DisconnectObject(DWORD reserved) {
  Microsoft::WRL::ComPtr<IMarshal> marshal;
  const HRESULT hr = LocalMarshal(marshal.GetAddressOf());
  if (FAILED(hr)) return hr;
  return marshal->DisconnectObject(reserved);
}

}  // namespace sim
