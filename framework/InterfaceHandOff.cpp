#include "framework/InterfaceHandOff.h"

#include <objbase.h>

CInterfaceHandOff::~CInterfaceHandOff() {
  // Only an offer that neither side claimed: its marshalled reference is lost with the
  // stream rather than released by a call that could wait on its object.
  if (m_stream) m_stream->Release();
}

void CInterfaceHandOff::Offer(IUnknown* object, REFIID iid) {
  if (!object) return;
  IStream* stream = nullptr;
  // A normal marshal of a proxy takes references of its own from the object's process, so
  // the waiter's proxy does not depend on this apartment, which may close before it unmarshals.
  if (FAILED(::CoMarshalInterThreadInterfaceInStream(iid, object, &stream)) || !stream) return;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_givenUp) {
      m_stream = stream;
      return;
    }
  }
  // Nobody will take it: the references go back to the object from here.
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ::CoReleaseMarshalData(stream);
  stream->Release();
}

HRESULT CInterfaceHandOff::Take(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  IStream* stream = nullptr;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_givenUp = true;
    stream = m_stream;
    m_stream = nullptr;
  }
  if (!stream) return E_ABORT;
  // Releases the stream, whether or not the unmarshal succeeds.
  return ::CoGetInterfaceAndReleaseStream(stream, iid, object);
}
