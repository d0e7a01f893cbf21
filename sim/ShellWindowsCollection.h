#pragma once
// The simulator's ShellWindows collection: IShellWindows over the open items (browsers,
// folder windows, other objects) in the order they were opened. Item takes an index that
// converts to VT_I4 and gives the item's IDispatch. Through IDispatch it also answers the
// property "SimulatorProcessId", so that a test can tell its own simulator's list from one
// that another process still serves.
#include <windows.h>
#include <wrl/client.h>

#include <vector>

#include "sim/ComObject.h"
#include "sim/ComStubs.h"

namespace sim {

class ShellWindowsCollection final
    : public ComObject<ShellWindowsCollection, WithoutTypeInfo<NotImplIShellWindows>> {
 public:
  static const Entry kInterfaces[];

  ShellWindowsCollection() = default;

  void Append(IDispatch* item) { m_items.emplace_back(item); }
  void Remove(IDispatch* item);
  void Clear() { m_items.clear(); }
  // References held by others than the simulator itself.
  LONG OutsideReferences() const { return References() - 1; }

  static constexpr DISPID kProcessIdDispid = 1;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;
  // IShellWindows
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override;

 private:
  ~ShellWindowsCollection() = default;

  std::vector<Microsoft::WRL::ComPtr<IDispatch>> m_items;
};

}  // namespace sim
