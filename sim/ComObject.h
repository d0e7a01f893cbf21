#pragma once
// IUnknown for the simulator's COM objects and the test doubles. A class derives from
// ComObject<Self, Interfaces...> and defines `kInterfaces`, a table of {IID, cast} entries
// ended by an empty one; it gets a QueryInterface that walks the table and an Interlocked
// reference count that starts at 1 and deletes the object when it drops to 0.
#include <windows.h>
#include <oaidl.h>

namespace sim {

// One row of a class's interface table: an IID and the function that gives the interface
// pointer for it, or nullptr while the object does not answer that IID.
template <class Self>
struct InterfaceEntry {
  const IID* iid;
  void* (*cast)(Self* self);
};

// When set, called with the object at the start of every QueryInterface on a simulator
// object: the simulator's incoming-call counter learns from it which object a remote
// interface query reached. Never set in the test programs' own doubles.
inline void (*g_queryInterfaceObserver)(const void* object) = nullptr;

template <class Self, class... Interfaces>
class ComObject : public Interfaces... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (g_queryInterfaceObserver) g_queryInterfaceObserver(static_cast<Self*>(this));
    for (const InterfaceEntry<Self>* entry = Self::kInterfaces; entry->iid; ++entry) {
      if (*entry->iid != riid) continue;
      *object = entry->cast(static_cast<Self*>(this));
      if (!*object) return E_NOINTERFACE;
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }
  // The current count, for a test's check that every reference handed out came back.
  LONG References() const { return m_refs; }

 protected:
  using Entry = InterfaceEntry<Self>;
  // The usual table cast: the object seen as interface I (which fixes the pointer identity).
  template <class I>
  static void* As(Self* self) { return static_cast<I*>(self); }

  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  LONG m_refs = 1;
};

// An IDispatch-derived Base that publishes no type information: GetTypeInfoCount gives 0.
template <class Base>
class WithoutTypeInfo : public Base {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
};

}  // namespace sim
