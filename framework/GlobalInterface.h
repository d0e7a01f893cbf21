#pragma once
// An interface pointer parked in the process's global interface table, so that another
// apartment of this process can take a proxy of its own. Register on the thread whose
// apartment the pointer belongs to, and only in an apartment that outlives every Get (the
// table's entry refers to it); Get and Revoke (or destroy) on any thread.
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <atomic>

// The table itself, untyped.
namespace globalinterface {
HRESULT Register(IUnknown* object, REFIID iid, DWORD* cookie);
HRESULT Get(DWORD cookie, REFIID iid, void** object);
void Revoke(DWORD cookie);
}  // namespace globalinterface

template <typename T>
class CGlobalInterface {
 public:
  CGlobalInterface() = default;
  CGlobalInterface(const CGlobalInterface&) = delete;
  CGlobalInterface& operator=(const CGlobalInterface&) = delete;
  ~CGlobalInterface() { Revoke(); }

  // Parks `object` (which may be NULL: nothing is parked).
  bool Register(T* object) {
    Revoke();
    DWORD cookie = 0;
    if (!object || FAILED(globalinterface::Register(object, __uuidof(T), &cookie))) return false;
    m_cookie = cookie;
    return true;
  }
  // This apartment's pointer to the parked interface (NULL when nothing is parked).
  Microsoft::WRL::ComPtr<T> Get() const {
    Microsoft::WRL::ComPtr<T> object;
    const DWORD cookie = m_cookie;
    if (cookie && FAILED(globalinterface::Get(cookie, __uuidof(T), reinterpret_cast<void**>(object.GetAddressOf()))))
      object.Reset();
    return object;
  }
  // Safe while another thread is in Get: that Get then finds the entry there or gone.
  void Revoke() {
    if (const DWORD cookie = m_cookie.exchange(0)) globalinterface::Revoke(cookie);
  }
  bool IsRegistered() const { return m_cookie != 0; }

 private:
  std::atomic<DWORD> m_cookie{0};
};
