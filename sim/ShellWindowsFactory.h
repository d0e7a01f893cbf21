#pragma once
// The class object that the simulator registers for its ShellWindows class: every
// creation hands out the one collection. In a server started by COM, the first creation
// also asks the simulator to withdraw the class object (so a simulator started later for a
// test is the one that answers next time).
#include <windows.h>
#include <unknwn.h>

#include <functional>

#include "sim/ShellWindowsCollection.h"

namespace sim {

class ShellWindowsFactory final : public IClassFactory {
 public:
  ShellWindowsFactory(ShellWindowsCollection* collection, std::function<void()> onCreated);

  void DetachCollection() { m_collection = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~ShellWindowsFactory() = default;

  LONG m_refs = 1;
  ShellWindowsCollection* m_collection;  // not counted: the simulator owns it
  std::function<void()> m_onCreated;
};

}  // namespace sim
