#include "framework/CmdTarget.h"

#include <new>


ORMIX_IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const DispatchMap CCmdTarget::dispatchMap = {nullptr, nullptr, 0};
const InterfaceMap CCmdTarget::interfaceMap = {nullptr, nullptr, 0};

const MessageEntry CCmdTarget::messageEntries[] = {{0, 0, 0, 0, nullptr}};
const MessageMap CCmdTarget::messageMap = {nullptr, CCmdTarget::messageEntries};

const DispatchMap* CCmdTarget::GetDispatchMap() const { return &dispatchMap; }
const MessageMap* CCmdTarget::GetMessageMap() const { return &messageMap; }
const InterfaceMap* CCmdTarget::GetInterfaceMap() const { return &interfaceMap; }

CCmdTarget::CCmdTarget() : m_xDispatch(this) {}

CCmdTarget::~CCmdTarget() {
  if (m_bAutomation) ExternalDisconnect();
}

void CCmdTarget::EnableAutomation() { m_bAutomation = true; }

IDispatch* CCmdTarget::GetIDispatch(BOOL bAddRef) {
  if (!m_bAutomation) return nullptr;
  if (bAddRef) ExternalAddRef();
  return &m_xDispatch;
}

ULONG CCmdTarget::ExternalAddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }

ULONG CCmdTarget::ExternalRelease() {
  if (m_dwRef == 0) return 0;
  const LONG count = InterlockedDecrement(&m_dwRef);
  if (count == 0) OnFinalRelease();
  return static_cast<ULONG>(count);
}

void CCmdTarget::OnFinalRelease() { delete this; }

void CCmdTarget::ExternalDisconnect() {
  if (m_dwRef == 0) return;  // already disconnected, or being deleted by its last Release
  IUnknown* identity = GetInterface(IID_IUnknown);
  if (!identity) return;
  // Hold a reference so that the stubs' releases cannot delete the object underneath us.
  InterlockedIncrement(&m_dwRef);
  CoDisconnectObject(identity, 0);
  m_dwRef = 0;
}

IUnknown* CCmdTarget::GetInterface(REFIID iid) {
  if (m_bAutomation && (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)))
    return &m_xDispatch;
  for (const InterfaceMap* map = GetInterfaceMap(); map; map = map->pBaseMap)
    for (size_t i = 0; i < map->nEntries; ++i)
      if (IsEqualIID(iid, *map->pEntries[i].piid)) return map->pEntries[i].pfnGetInterface(this);
  return nullptr;
}

HRESULT CCmdTarget::ExternalQueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  IUnknown* unknown = GetInterface(iid);
  *ppv = unknown;
  if (!unknown) return E_NOINTERFACE;
  ExternalAddRef();
  return S_OK;
}

const DispatchEntry* CCmdTarget::FindDispatchEntry(DISPID dispid) const {
  return ::FindDispatchEntry(GetDispatchMap(), dispid);
}

const DispatchEntry* CCmdTarget::FindDispatchEntry(const char* name) const {
  return ::FindDispatchEntry(GetDispatchMap(), name);
}

HRESULT CCmdTarget::InvokeHelper(REFIID riid, DISPID dispid, WORD /*wFlags*/, DISPPARAMS* params,
                                 VARIANT* result, UINT* puArgErr) {
  // No exception leaves this function: converting the arguments allocates (ANSI texts),
  // and a handler may throw.
  try {
    DispatchArguments args;
    const DispatchEntry* entry = nullptr;
    const HRESULT hr = PrepareDispatchCall(GetDispatchMap(), riid, dispid, params, args, &entry, puArgErr);
    if (FAILED(hr)) return hr;
    if (result) VariantInit(result);
    try {
      entry->pfnHandler(this, args);
    } catch (...) {
      return DISP_E_EXCEPTION;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return DISP_E_EXCEPTION;
  }
  return S_OK;
}

// --- Message maps and commands ---------------------------------------------------------

const MessageEntry* CCmdTarget::FindMessageEntry(const MessageMap* map, UINT nMessage, UINT nCode,
                                                 UINT nID) {
  for (; map; map = map->pBaseMap)
    for (const MessageEntry* e = map->pEntries; e && e->pfn; ++e)
      if (e->nMessage == nMessage && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID)
        return e;
  return nullptr;
}

const MessageEntry* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
  return FindMessageEntry(GetMessageMap(), nMessage, nCode, nID);
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) {
  const MessageEntry* entry = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
  if (!entry) return FALSE;
  if (pHandlerInfo) {
    pHandlerInfo->pTarget = this;
    pHandlerInfo->pEntry = entry;
    return TRUE;
  }
  if (nCode == CN_UPDATE_COMMAND_UI) {
    if (!pExtra) return FALSE;
    entry->pfn(this, nID, reinterpret_cast<LPARAM>(pExtra));
  } else {
    entry->pfn(this, nID, 0);
  }
  return TRUE;
}

// --- IDispatch, delegating to the owner -------------------------------------------------

STDMETHODIMP CCmdTarget::XDispatch::QueryInterface(REFIID iid, void** ppv) {
  return m_pOwner->ExternalQueryInterface(iid, ppv);
}

STDMETHODIMP_(ULONG) CCmdTarget::XDispatch::AddRef() { return m_pOwner->ExternalAddRef(); }

STDMETHODIMP_(ULONG) CCmdTarget::XDispatch::Release() { return m_pOwner->ExternalRelease(); }

STDMETHODIMP CCmdTarget::XDispatch::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP CCmdTarget::XDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo) {
  if (ppInfo) *ppInfo = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP CCmdTarget::XDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                  DISPID* dispids) {
  return DispatchIDsOfNames(m_pOwner->GetDispatchMap(), riid, names, count, dispids);
}

STDMETHODIMP CCmdTarget::XDispatch::Invoke(DISPID dispid, REFIID riid, LCID, WORD wFlags,
                                           DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                           UINT* puArgErr) {
  return m_pOwner->InvokeHelper(riid, dispid, wFlags, params, result, puArgErr);
}
