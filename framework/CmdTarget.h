#pragma once
// Base of every object that receives commands or automation calls. Commands and command
// state updates are looked up in the class's message map by OnCmdMsg. With EnableAutomation
// it also is a COM object: one IDispatch implementation driven by the class's dispatch map,
// answering IUnknown, IDispatch and every extra IID of the class's interface map. The
// object starts with one reference, owned by whoever created it; when the count falls to
// zero OnFinalRelease deletes it.
#include <windows.h>
#include <oleauto.h>

#include "framework/DispatchMap.h"
#include "framework/MessageMap.h"
#include "framework/Object.h"

class CCmdTarget;

// Filled by OnCmdMsg, instead of calling the handler, when the caller only asks whether a
// command has a handler on the route.
struct CmdHandlerInfo {
  CCmdTarget* pTarget = nullptr;
  const MessageEntry* pEntry = nullptr;
};

// An extra interface answered by a command target: its IID and how to reach it.
struct InterfaceEntry {
  const IID* piid;
  IUnknown* (*pfnGetInterface)(CCmdTarget* target);
};

struct InterfaceMap {
  const InterfaceMap* pBaseMap;
  const InterfaceEntry* pEntries;
  size_t nEntries;
};

#define ORMIX_DECLARE_DISPATCH_MAP()             \
 protected:                                      \
  static const DispatchMap dispatchMap;          \
  const DispatchMap* GetDispatchMap() const override;

#define ORMIX_DECLARE_INTERFACE_MAP()            \
 protected:                                      \
  static const InterfaceMap interfaceMap;        \
  const InterfaceMap* GetInterfaceMap() const override;

class CCmdTarget : public CObject {
  ORMIX_DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget();
  ~CCmdTarget() override;

  // Installs the IDispatch implementation; without it the object is not a COM object.
  void EnableAutomation();

  // The object's IDispatch, with an added reference if bAddRef; NULL without automation.
  IDispatch* GetIDispatch(BOOL bAddRef);

  // The COM identity of the object, used by every interface it answers.
  ULONG ExternalAddRef();
  ULONG ExternalRelease();
  HRESULT ExternalQueryInterface(REFIID iid, void** ppv);
  ULONG GetRefCount() const { return static_cast<ULONG>(m_dwRef); }

  // The interface answering `iid` without an added reference, or NULL.
  IUnknown* GetInterface(REFIID iid);

  // Releases every reference that COM's stubs still hold on the object.
  void ExternalDisconnect();

  // Carries out one automation call as IDispatch::Invoke would.
  HRESULT InvokeHelper(REFIID riid, DISPID dispid, WORD wFlags, DISPPARAMS* params,
                       VARIANT* result, UINT* puArgErr);
  // The dispatch entry for `dispid` in this class's map or its bases', or NULL.
  const DispatchEntry* FindDispatchEntry(DISPID dispid) const;
  const DispatchEntry* FindDispatchEntry(const char* name) const;

  static IUnknown* DispatchInterface(CCmdTarget* target) { return target->GetIDispatch(FALSE); }

  // Routes command `nID` with code CN_COMMAND, CN_UPDATE_COMMAND_UI (pExtra is the CCmdUI*)
  // or a control notification code to this object's message map. TRUE when an entry took
  // it. With pHandlerInfo, only reports the entry found and calls nothing. Classes that pass
  // commands on to other targets (view, frame) override it.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo);

  virtual const MessageMap* GetMessageMap() const;
  // The entry for (message, code, id) in this class's map or its bases', or NULL.
  const MessageEntry* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
  static const MessageEntry* FindMessageEntry(const MessageMap* map, UINT nMessage, UINT nCode,
                                              UINT nID);

 protected:
  // Called when the last reference is released; deletes the object.
  virtual void OnFinalRelease();

  static const DispatchMap dispatchMap;
  virtual const DispatchMap* GetDispatchMap() const;
  static const InterfaceMap interfaceMap;
  virtual const InterfaceMap* GetInterfaceMap() const;
  static const MessageEntry messageEntries[];
  static const MessageMap messageMap;

 private:
  class XDispatch final : public IDispatch {
   public:
    explicit XDispatch(CCmdTarget* owner) : m_pOwner(owner) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** ppInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excepInfo, UINT* puArgErr) override;

   private:
    CCmdTarget* m_pOwner;
  };

  LONG m_dwRef = 1;
  bool m_bAutomation = false;
  XDispatch m_xDispatch;
};
