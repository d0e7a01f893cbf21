#pragma once
// An interface pointer marshalled for one other apartment of this process: marshalled on the
// thread whose apartment the pointer belongs to, taken once anywhere else. A normal marshal
// carries its own references to the object itself, so it stays good after the marshalling
// apartment has ended, and taking it asks nothing of an object in another process. Data never
// taken are released by the destructor, which for another process's object is a call into
// it: let such a holder go on a worker.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

template <typename T>
class CMarshalledInterface {
 public:
  CMarshalledInterface() = default;
  CMarshalledInterface(CMarshalledInterface&& other) noexcept : m_stream(other.m_stream) { other.m_stream = nullptr; }
  CMarshalledInterface& operator=(CMarshalledInterface&& other) noexcept {
    if (this != &other) {
      Discard();
      m_stream = other.m_stream;
      other.m_stream = nullptr;
    }
    return *this;
  }
  ~CMarshalledInterface() { Discard(); }

  // Marshals `object` (NULL: nothing); false when it could not be.
  bool Marshal(T* object) {
    Discard();
    if (object && FAILED(::CoMarshalInterThreadInterfaceInStream(__uuidof(T), object, &m_stream)))
      m_stream = nullptr;
    return m_stream != nullptr;
  }
  // This apartment's pointer, once; NULL when nothing is held.
  Microsoft::WRL::ComPtr<T> Take() {
    Microsoft::WRL::ComPtr<T> object;
    if (m_stream && FAILED(::CoGetInterfaceAndReleaseStream(m_stream, __uuidof(T),
                                                             reinterpret_cast<void**>(object.GetAddressOf()))))
      object.Reset();
    m_stream = nullptr;
    return object;
  }
  bool IsEmpty() const { return m_stream == nullptr; }
  // Gives back the references the data hold: taken here and released.
  void Discard() { Take(); }

 private:
  IStream* m_stream = nullptr;
};
