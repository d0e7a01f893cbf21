#pragma once
// The arguments of one simulated event call, built from typed argument texts ("bstr:text", "i4:5",
// "pvar:bytes:613d31", "pbool:false", ...), kept alive for the call and laid out in a
// DISPPARAMS the way a browser sends them (last parameter first). Afterwards it reports
// what the receivers left in the by-reference arguments.
#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

namespace sim {

// Objects that "disp:NAME" and "pdisp:NAME" may name.
struct ArgumentObjects {
  IDispatch* browser = nullptr;
  IDispatch* document = nullptr;
  IDispatch* other = nullptr;
  std::vector<IDispatch*> frames;  // "frame1", "frame2", ...: the frames of the page
};

class EventArguments {
 public:
  EventArguments() = default;
  EventArguments(const EventArguments&) = delete;
  EventArguments& operator=(const EventArguments&) = delete;
  ~EventArguments();

  bool Add(const std::string& argText, const ArgumentObjects& objects, std::string* error);
  // The neutral value a browser would send for a parameter of this type.
  void AddDefault(VARTYPE type, const ArgumentObjects& objects);
  size_t Count() const { return m_slots.size(); }

  // Parameters in the order given, laid out last-first unless `reverse` is false; the
  // first `named` array entries get the DISPIDs 0, 1, ... as named arguments.
  DISPPARAMS* Build(bool reverse, UINT named);
  // "pbool:-1,pi4:5,pvar:0x0008,pdisp:null" for the by-reference arguments in given order.
  std::string Outputs() const;

 private:
  struct Slot {
    VARIANT arg;
    VARIANT inner;
    VARIANT deeper;  // what "pvar:pvar:..." refers to through `inner`
    VARIANT_BOOL boolValue = VARIANT_FALSE;
    LONG longValue = 0;
    IDispatch* dispValue = nullptr;
  };
  Slot* NewSlot();
  bool ParseValue(const std::string& argText, const ArgumentObjects& objects, VARIANT* out, std::string* error);
  static IDispatch* NamedObject(const std::string& name, const ArgumentObjects& objects, bool* ok);

  std::vector<std::unique_ptr<Slot>> m_slots;
  std::vector<VARIANTARG> m_array;
  std::vector<DISPID> m_named;
  DISPPARAMS m_params = {};
};

}  // namespace sim
