#pragma once
// The arguments of one event call, carried from the browser's apartment to the thread that
// makes the call, and what the sink left in the by-reference ones carried back. Values are
// copied. Objects travel as references marshalled in the browser's apartment for another
// process (MarshalledReference): the sink receives exactly what a call made on the browser's
// thread would have sent it. Objects the sink leaves in by-reference arguments come back
// marshalled for the browser's apartment. The arguments a browser sends are values, or
// references to a VARIANT_BOOL, a LONG, an IDispatch* or a VARIANT (which may itself refer to
// a VARIANT); an argument of another kind cannot be carried.
#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <vector>

namespace sim {

class CarriedArguments {
 public:
  // On the browser's thread.
  explicit CarriedArguments(const DISPPARAMS& params);
  CarriedArguments(const CarriedArguments&) = delete;
  CarriedArguments& operator=(const CarriedArguments&) = delete;
  ~CarriedArguments();

  // Whether every argument could be carried.
  bool IsComplete() const { return m_complete; }
  // On the calling thread: the arguments to call with, laid out as given.
  DISPPARAMS* Params();
  // On the calling thread once the call has returned: keeps what the sink left in the
  // by-reference arguments, objects marshalled for the browser's apartment.
  void KeepResults();
  // On the browser's thread, after KeepResults: writes those results into `params`, the
  // arguments these were carried from.
  void ApplyResults(const DISPPARAMS& params);

 private:
  struct Value;

  std::vector<std::unique_ptr<Value>> m_values;  // one per argument, in the order given
  std::vector<VARIANTARG> m_array;
  std::vector<DISPID> m_named;
  DISPPARAMS m_params = {};
  bool m_complete = true;
};

}  // namespace sim
