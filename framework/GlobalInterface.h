#pragma once
// An interface pointer parked in the process's global interface table, so that another
// apartment of this process can take a proxy of its own. Register on the thread whose
// apartment the pointer belongs to; Get and Revoke (or destroy) on any thread.
#include <windows.h>
#include <objidl.h>

class CGlobalInterface {
 public:
  CGlobalInterface() = default;
  CGlobalInterface(const CGlobalInterface&) = delete;
  CGlobalInterface& operator=(const CGlobalInterface&) = delete;
  ~CGlobalInterface() { Revoke(); }

  // Parks `object` (which may be NULL: nothing is parked) as interface `iid`.
  BOOL Register(IUnknown* object, REFIID iid);
  // This apartment's pointer to the parked interface; the caller owns the reference.
  HRESULT Get(REFIID iid, void** object) const;
  void Revoke();
  bool IsRegistered() const { return m_cookie != 0; }
  // Takes over what `other` has parked; `other` is left empty.
  void TakeFrom(CGlobalInterface& other) {
    Revoke();
    m_cookie = other.m_cookie;
    other.m_cookie = 0;
  }

 private:
  static IGlobalInterfaceTable* Table();
  DWORD m_cookie = 0;
};
