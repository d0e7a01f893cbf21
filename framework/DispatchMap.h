#pragma once
// Dispatch maps: the table that drives a command target's automation IDispatch. Each entry
// names a method, its DISPID, its declared parameter types as a string of type codes, and a
// handler member function. DispFunction<&Class::Method>(...) builds an entry and refuses, at
// compile time, a handler whose signature does not match the declared type codes.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <utility>

// Parameter type codes, one byte per parameter. VT_BSTRA marks text delivered as an ANSI
// string; VT_MFCBYREF marks a parameter passed by reference.
constexpr BYTE VT_BSTRA = 14;
constexpr BYTE VT_MFCBYREF = 0x40;

#define VTS_I4 "\x03"
#define VTS_DISPATCH "\x09"
#define VTS_BOOL "\x0B"
#define VTS_BSTR "\x0E"
#define VTS_PI4 "\x43"
#define VTS_PDISPATCH "\x49"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"
#define VTS_NONE ""

class CCmdTarget;

// The arguments of one call, converted to their declared types. Text and converted
// VARIANTs are temporaries owned by this object and freed when it is destroyed, after the
// handler has returned.
class DispatchArguments {
 public:
  static constexpr size_t kMaxParams = 16;

  DispatchArguments();
  ~DispatchArguments();
  DispatchArguments(const DispatchArguments&) = delete;
  DispatchArguments& operator=(const DispatchArguments&) = delete;

  // Brings `source` to the type of `code` as parameter `index`. Returns S_OK or the error
  // of the conversion (DISP_E_TYPEMISMATCH for a by-reference argument of another type).
  HRESULT Convert(size_t index, BYTE code, VARIANT* source);

  template <typename T>
  T Get(size_t index) const;

 private:
  union Value {
    long l;
    BOOL b;
    IDispatch* pdisp;
    const char* psz;
    long* pl;
    IDispatch** ppdisp;
    VARIANT_BOOL* pbool;
    VARIANT* pvar;
  };
  Value m_values[kMaxParams];
  VARIANT m_converted[kMaxParams];
  std::string m_texts[kMaxParams];
};

template <> inline long DispatchArguments::Get<long>(size_t i) const { return m_values[i].l; }
template <> inline BOOL DispatchArguments::Get<BOOL>(size_t i) const { return m_values[i].b; }
template <> inline IDispatch* DispatchArguments::Get<IDispatch*>(size_t i) const { return m_values[i].pdisp; }
template <> inline const char* DispatchArguments::Get<const char*>(size_t i) const { return m_values[i].psz; }
template <> inline long* DispatchArguments::Get<long*>(size_t i) const { return m_values[i].pl; }
template <> inline IDispatch** DispatchArguments::Get<IDispatch**>(size_t i) const { return m_values[i].ppdisp; }
template <> inline VARIANT_BOOL* DispatchArguments::Get<VARIANT_BOOL*>(size_t i) const { return m_values[i].pbool; }
template <> inline VARIANT* DispatchArguments::Get<VARIANT*>(size_t i) const { return m_values[i].pvar; }

using DispatchHandler = void (*)(CCmdTarget* target, const DispatchArguments& args);

struct DispatchEntry {
  const char* lpszName;
  DISPID dispid;
  const char* lpszParams;  // type codes of the parameters, in declaration order
  VARTYPE vtReturn;
  DispatchHandler pfnHandler;
};

struct DispatchMap {
  const DispatchMap* pBaseMap;
  const DispatchEntry* pEntries;
  size_t nEntries;
};

// The entry for `dispid` in `map` or its bases', or NULL.
const DispatchEntry* FindDispatchEntry(const DispatchMap* map, DISPID dispid);

// The entry named `name` (case-insensitive) in `map` or its bases', or NULL.
const DispatchEntry* FindDispatchEntry(const DispatchMap* map, const char* name);

// IDispatch::GetIDsOfNames over `map`: the member's DISPID; named arguments are not
// supported (DISP_E_UNKNOWNNAME for each, DISPID_UNKNOWN).
HRESULT DispatchIDsOfNames(const DispatchMap* map, REFIID riid, LPOLESTR* names, UINT count, DISPID* dispids);

// The checks of one automation call against `map`, in the order IDispatch::Invoke makes
// them: the interface, the arguments' presence, named arguments, the member, the count, then
// each argument converted into `args` (on a failed conversion `*puArgErr`, if given, names
// it). S_OK with `*entry` set, or the error the call is refused with. May throw bad_alloc.
HRESULT PrepareDispatchCall(const DispatchMap* map, REFIID riid, DISPID dispid, DISPPARAMS* params,
                            DispatchArguments& args, const DispatchEntry** entry, UINT* puArgErr);

namespace dispatch_detail {

template <typename T> struct TypeCode;
template <> struct TypeCode<long> { static constexpr char value = VTS_I4[0]; };
template <> struct TypeCode<IDispatch*> { static constexpr char value = VTS_DISPATCH[0]; };
template <> struct TypeCode<BOOL> { static constexpr char value = VTS_BOOL[0]; };
template <> struct TypeCode<const char*> { static constexpr char value = VTS_BSTR[0]; };
template <> struct TypeCode<long*> { static constexpr char value = VTS_PI4[0]; };
template <> struct TypeCode<IDispatch**> { static constexpr char value = VTS_PDISPATCH[0]; };
template <> struct TypeCode<VARIANT_BOOL*> { static constexpr char value = VTS_PBOOL[0]; };
template <> struct TypeCode<VARIANT*> { static constexpr char value = VTS_PVARIANT[0]; };

template <typename M> struct Handler;
template <class C, class... A>
struct Handler<void (C::*)(A...)> {
  using Class = C;
  static constexpr char codes[] = {TypeCode<A>::value..., '\0'};

  template <void (C::*M)(A...), size_t... I>
  static void Call(C* target, const DispatchArguments& args, std::index_sequence<I...>) {
    (target->*M)(args.Get<A>(I)...);
  }
  template <void (C::*M)(A...)>
  static void Thunk(CCmdTarget* target, const DispatchArguments& args) {
    Call<M>(static_cast<C*>(target), args, std::index_sequence_for<A...>{});
  }
};

constexpr bool SameCodes(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

}  // namespace dispatch_detail

// An entry for a method that returns nothing. Used to initialise a constexpr table, a
// mismatch between `params` and the handler's parameter types stops the build.
template <auto M>
constexpr DispatchEntry DispFunction(const char* name, DISPID dispid, const char* params) {
  using H = dispatch_detail::Handler<decltype(M)>;
  if (!dispatch_detail::SameCodes(params, H::codes))
    throw "handler signature does not match the declared parameter types";
  return DispatchEntry{name, dispid, params, VT_EMPTY, &H::template Thunk<M>};
}
