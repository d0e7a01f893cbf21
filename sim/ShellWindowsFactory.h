#pragma once
// The class object that the simulator registers for its ShellWindows class: every
// creation hands out the one collection. In a server started by COM, the first creation
// also asks the simulator to withdraw the class object (so a simulator started later for a
// test is the one that answers next time).
#include <windows.h>
#include <unknwn.h>

#include <functional>

#include "sim/ComObject.h"
#include "sim/ShellWindowsCollection.h"

namespace sim {

class ShellWindowsFactory final : public ComObject<ShellWindowsFactory, IClassFactory> {
 public:
  static const Entry kInterfaces[];

  ShellWindowsFactory(ShellWindowsCollection* collection, std::function<void()> onCreated);

  void DetachCollection() { m_collection = nullptr; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~ShellWindowsFactory() = default;

  ShellWindowsCollection* m_collection;  // not counted: the simulator owns it
  std::function<void()> m_onCreated;
};

}  // namespace sim
