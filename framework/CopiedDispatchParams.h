#pragma once
// The arguments of an automation call copied so that they outlive the call: every value,
// text and array, and the target of every by-reference argument, belongs to this object,
// and by-reference arguments point into it (so a handler's reads and writes stay here).
// Interface pointers are not carried: they belong to the apartment the call came into, so
// each becomes NULL of its type; a caller may put a stand-in of its own apartment in place
// of a by-value argument (SetDispatch). Named arguments are not copied.
#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <memory>
#include <vector>

class CCopiedDispatchParams {
 public:
  CCopiedDispatchParams();
  ~CCopiedDispatchParams();
  CCopiedDispatchParams(CCopiedDispatchParams&&) noexcept = default;
  CCopiedDispatchParams& operator=(CCopiedDispatchParams&&) noexcept = default;

  // Copies the positional arguments of `params`; a failed copy (out of memory) leaves the
  // object empty and returns the error.
  HRESULT CopyFrom(const DISPPARAMS& params);
  // Puts `object` (of the caller's apartment; may be NULL) by value as the argument at
  // `position` of the argument array, in place of what was copied there.
  void SetDispatch(size_t position, IDispatch* object);
  // The copies as the arguments of a call; valid until this object changes or goes.
  DISPPARAMS* Get();

 private:
  struct Storage {
    std::vector<VARIANT> arguments;
    // Targets of by-reference arguments; a deque, so that their addresses never move.
    std::deque<VARIANT> targets;
    ~Storage();
  };

  HRESULT Copy(const VARIANT& source, VARIANT& copy, int depth);
  VARIANT& NewTarget();

  std::unique_ptr<Storage> m_storage;
  DISPPARAMS m_params;
};
